// Native stand-in for the code-page seam (on Windows: codepage_win32.cpp). It follows the
// contract of codepage.h: measure with a null destination, 0 for a result that does not fit.
// Characters the code page lacks become '?' one UTF-16 unit at a time (the real function
// may pick a best-fit letter instead; tests do not depend on which).
#include "codepage_standin.h"

#include <cstdint>

#include "codepage.h"

namespace uxd {
namespace codepage_standin {
namespace {

CodePage page = CodePage::Windows1252;
unsigned long failingCall = 0, callCount = 0;

// Windows-1252 0x80-0x9F; the five undefined bytes map to the C1 controls of the same
// value, as Windows does, so every byte survives a round trip.
constexpr uint16_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr uint16_t kFirstDouble = 0x4E00;
constexpr unsigned kTrails = 0xFE - 0x40 + 1;  // 191
constexpr unsigned kDoubleCount = (0x9F - 0x81 + 1) * kTrails;

bool scheduledToFail() { return ++callCount == failingCall; }
bool doubleByte() { return page == CodePage::ToyDoubleByte; }
bool isLead(unsigned char byte) { return doubleByte() && byte >= 0x81 && byte <= 0x9F; }
bool isTrail(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE; }

uint16_t singleToWide(unsigned char byte) {
    if (isLead(byte)) return '?';
    return byte >= 0x80 && byte <= 0x9F ? kHigh1252[byte - 0x80] : byte;
}

// The ANSI bytes of one unit; returns their count (1 or 2).
int wideToBytes(uint16_t unit, unsigned char bytes[2]) {
    if (doubleByte() && unit >= kFirstDouble && unit < kFirstDouble + kDoubleCount) {
        unsigned index = unit - kFirstDouble;
        bytes[0] = static_cast<unsigned char>(0x81 + index / kTrails);
        bytes[1] = static_cast<unsigned char>(0x40 + index % kTrails);
        return 2;
    }
    bytes[0] = '?';
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        bytes[0] = static_cast<unsigned char>(unit);
    } else {
        for (unsigned i = 0; i < 32; ++i)
            if (kHigh1252[i] == unit && !isLead(static_cast<unsigned char>(0x80 + i)))
                bytes[0] = static_cast<unsigned char>(0x80 + i);
    }
    return 1;
}

}  // namespace

void use(CodePage next) noexcept { page = next; }
CodePage current() noexcept { return page; }

void failCall(unsigned long nth) noexcept {
    failingCall = nth;
    callCount = 0;
}
unsigned long calls() noexcept { return callCount; }

}  // namespace codepage_standin

using namespace codepage_standin;

int ansiToWide(const char *src, int srcBytes, UXDWideChar *dst, int dstUnits) noexcept {
    if (scheduledToFail() || !src || srcBytes < 1 || dstUnits < 0) return 0;
    bool measuring = !dst || dstUnits == 0;
    const auto *bytes = reinterpret_cast<const unsigned char *>(src);
    int units = 0;
    for (int i = 0; i < srcBytes;) {
        uint16_t unit;
        if (isLead(bytes[i]) && i + 1 < srcBytes && isTrail(bytes[i + 1])) {
            unit = static_cast<uint16_t>(kFirstDouble + (bytes[i] - 0x81) * kTrails + (bytes[i + 1] - 0x40));
            i += 2;
        } else {
            unit = singleToWide(bytes[i]);
            i += 1;
        }
        if (!measuring) {
            if (units == dstUnits) return 0;
            dst[units] = unit;
        }
        ++units;
    }
    return units;
}

int wideToAnsi(const UXDWideChar *src, int srcUnits, char *dst, int dstBytes) noexcept {
    if (scheduledToFail() || !src || srcUnits < 1 || dstBytes < 0) return 0;
    bool measuring = !dst || dstBytes == 0;
    int written = 0;
    for (int i = 0; i < srcUnits; ++i) {
        unsigned char bytes[2];
        int count = wideToBytes(src[i], bytes);
        if (!measuring) {
            if (written + count > dstBytes) return 0;
            for (int k = 0; k < count; ++k) dst[written + k] = static_cast<char>(bytes[k]);
        }
        written += count;
    }
    return written;
}

}  // namespace uxd
