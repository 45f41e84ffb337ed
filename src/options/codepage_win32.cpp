// The code-page seam on Windows: the process's ANSI code page, as the options records use it.
#include <windows.h>

#include "codepage.h"

namespace uxd {

int ansiToWide(const char *src, int srcBytes, UXDWideChar *dst, int dstUnits) noexcept {
    return MultiByteToWideChar(CP_ACP, 0, src, srcBytes, dst, dst ? dstUnits : 0);
}

int wideToAnsi(const UXDWideChar *src, int srcUnits, char *dst, int dstBytes) noexcept {
    return WideCharToMultiByte(CP_ACP, 0, src, srcUnits, dst, dst ? dstBytes : 0, nullptr, nullptr);
}

bool ansiIsSingleByte() noexcept {
    // Asked of Windows once. The static is not guarded: the host calls the module on one thread.
    static const bool single = [] {
        CPINFO info = {};
        return GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1;
    }();
    return single;
}

}  // namespace uxd
