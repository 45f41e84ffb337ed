// The native stand-in for the ANSI code page behind codepage.h: Windows-1252, or a toy
// double-byte page to see that no string is cut or overflows when its ANSI form needs more
// bytes than it has characters.
#pragma once

namespace uxd {
namespace codepage_standin {

enum class CodePage {
    Windows1252,
    // Bytes 0x81-0x9F lead two-byte characters: with a trail byte 0x40-0xFE they make
    // U+4E00 + (lead - 0x81) * 191 + (trail - 0x40); a lead byte without a trail reads as '?'.
    // Every other byte means what it means in Windows-1252.
    ToyDoubleByte,
};

void use(CodePage page) noexcept;

}  // namespace codepage_standin
}  // namespace uxd
