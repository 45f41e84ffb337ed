// The native ANSI code page behind codepage.h: Latin-1, or a toy double-byte page to see that
// no text is cut or overflows when its ANSI form needs more bytes than characters.
#pragma once

namespace uxd {
namespace codepage_standin {

enum class CodePage {
    Latin1,  // every byte its own character: any text survives a round trip, as with 1252
    // Lead 0x81-0x9F + trail 0x40-0xFE is U+4E00 + (lead - 0x81) * 191 + (trail - 0x40); a lone
    // lead is '?'; other bytes as in Latin-1.
    ToyDoubleByte,
};

void use(CodePage page) noexcept;

}  // namespace codepage_standin
}  // namespace uxd
