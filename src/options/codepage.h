// Converting option texts between the process's ANSI code page and UTF-16. The module uses
// MultiByteToWideChar / WideCharToMultiByte on CP_ACP; behind this seam the conversions of
// the options records stay free of Windows, and the native tests put a known code page in
// its place (single-byte Latin-1, or a double-byte one to try the room for DBCS text).
#pragma once

#include "uxdmapi.h"

namespace uxd {

// Both behave as the Windows functions with CP_ACP, no flags and no default character:
// `srcBytes` / `srcUnits` is an explicit length of at least 1 (no -1 form); with a null
// `dst` or a zero limit they return the size the result needs, otherwise what they wrote;
// 0 means failure (including a result larger than the limit). Units are UTF-16 code units.
int ansiToWide(const char *src, int srcBytes, UXDWideChar *dst, int dstUnits) noexcept;
int wideToAnsi(const UXDWideChar *src, int srcUnits, char *dst, int dstBytes) noexcept;

// True when the ANSI code page has one byte a character: then no UTF-16 text needs more
// bytes than it has units, and the conversions need not measure it first.
bool ansiIsSingleByte() noexcept;

}  // namespace uxd
