// The code-page seam natively (on Windows: codepage_win32.cpp). Characters the page lacks
// become '?', where Windows may pick a best-fit letter; no test relies on which.
#include "codepage_standin.h"

#include <cstdint>
#include <cstring>

#include "codepage.h"

namespace uxd {
namespace codepage_standin {
namespace {

CodePage page = CodePage::Latin1;

constexpr uint16_t kFirstDouble = 0x4E00;
constexpr unsigned kTrails = 0xFE - 0x40 + 1, kDoubleCount = (0x9F - 0x81 + 1) * kTrails;

bool isLead(unsigned char byte) { return page == CodePage::ToyDoubleByte && byte >= 0x81 && byte <= 0x9F; }

// The unit of the character at bytes[i]; moves i past it.
uint16_t nextUnit(const unsigned char *bytes, int count, int &i) {
    unsigned char byte = bytes[i++];
    if (!isLead(byte)) return byte;
    if (i < count && bytes[i] >= 0x40 && bytes[i] <= 0xFE)
        return static_cast<uint16_t>(kFirstDouble + (byte - 0x81) * kTrails + (bytes[i++] - 0x40));
    return '?';
}

// The ANSI bytes of one unit; returns their count (1 or 2).
int wideToBytes(uint16_t unit, unsigned char bytes[2]) {
    if (page == CodePage::ToyDoubleByte && unit >= kFirstDouble && unit < kFirstDouble + kDoubleCount) {
        bytes[0] = static_cast<unsigned char>(0x81 + (unit - kFirstDouble) / kTrails);
        bytes[1] = static_cast<unsigned char>(0x40 + (unit - kFirstDouble) % kTrails);
        return 2;
    }
    bytes[0] = unit <= 0xFF && !isLead(static_cast<unsigned char>(unit)) ? static_cast<unsigned char>(unit) : '?';
    return 1;
}

}  // namespace

void use(CodePage next) noexcept { page = next; }

}  // namespace codepage_standin

bool ansiIsSingleByte() noexcept { return codepage_standin::page == codepage_standin::CodePage::Latin1; }

int ansiToWide(const char *src, int srcBytes, UXDWideChar *dst, int dstUnits) noexcept {
    if (!src || srcBytes < 1 || dstUnits < 0) return 0;
    if (codepage_standin::page == codepage_standin::CodePage::Latin1) {  // a byte per unit, as Windows' tables take it
        if (!dst || !dstUnits) return srcBytes;
        if (srcBytes > dstUnits) return 0;
        for (int i = 0; i < srcBytes; ++i) dst[i] = static_cast<unsigned char>(src[i]);
        return srcBytes;
    }
    int units = 0;
    for (int i = 0; i < srcBytes; ++units) {
        uint16_t unit = codepage_standin::nextUnit(reinterpret_cast<const unsigned char *>(src), srcBytes, i);
        if (dst && dstUnits) {
            if (units == dstUnits) return 0;
            dst[units] = unit;
        }
    }
    return units;
}

int wideToAnsi(const UXDWideChar *src, int srcUnits, char *dst, int dstBytes) noexcept {
    if (!src || srcUnits < 1 || dstBytes < 0) return 0;
    if (codepage_standin::page == codepage_standin::CodePage::Latin1) {  // a unit per byte, as above
        if (!dst || !dstBytes) return srcUnits;
        if (srcUnits > dstBytes) return 0;
        for (int i = 0; i < srcUnits; ++i) dst[i] = src[i] <= 0xFF ? static_cast<char>(src[i]) : '?';
        return srcUnits;
    }
    int written = 0;
    for (int i = 0; i < srcUnits; ++i) {
        if (src[i] < 0x80 && dst && written < dstBytes) {  // ASCII, the common case, as fast as Windows takes it
            dst[written++] = char(src[i]);
            continue;
        }
        unsigned char bytes[2];
        int count = codepage_standin::wideToBytes(src[i], bytes);
        if (dst && dstBytes) {
            if (written + count > dstBytes) return 0;
            std::memcpy(dst + written, bytes, count);
        }
        written += count;
    }
    return written;
}

}  // namespace uxd
