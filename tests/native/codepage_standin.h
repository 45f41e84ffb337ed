// The native stand-in for the ANSI code page behind codepage.h. Windows-1252 by default;
// a test can switch to a toy double-byte code page to see that no string is cut or
// overflows when its ANSI form needs more bytes than it has characters.
#pragma once

namespace uxd {
namespace codepage_standin {

enum class CodePage {
    Windows1252,
    // Bytes 0x81-0x9F lead two-byte characters: with a trail byte 0x40-0xFE they make
    // U+4E00 + (lead - 0x81) * 191 + (trail - 0x40). A lead byte without a valid trail reads
    // as '?'. Every other byte means what it means in Windows-1252.
    ToyDoubleByte,
};

void use(CodePage page) noexcept;
CodePage current() noexcept;

// Makes the nth conversion call from now fail (returns 0), as the real functions can;
// 0 disarms. calls() counts the calls since the last failCall.
void failCall(unsigned long nth) noexcept;
unsigned long calls() noexcept;

// Switches for the lifetime of a test scope.
class Using {
public:
    explicit Using(CodePage page) noexcept : previous_(current()) { use(page); }
    ~Using() { use(previous_); }
    Using(const Using &) = delete;
    Using &operator=(const Using &) = delete;

private:
    CodePage previous_;
};

}  // namespace codepage_standin
}  // namespace uxd
