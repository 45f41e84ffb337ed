// The host's locale and working directory put back; see process_state.h.
#include "process_state.h"

#include <windows.h>

#include <clocale>
#include <cstring>
#include <cwchar>

namespace uxd {
namespace {
// Setting the directory costs more than reading it, and mostly nothing changed it.
bool isCurrentDirectory(const wchar_t *directory) noexcept {
    wchar_t current[MAX_PATH + 1];
    DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, current);
    return length != 0 && length <= MAX_PATH && std::wcscmp(current, directory) == 0;
}
}  // namespace

void putBackLocale(const char *locale) noexcept {
    // Setting a locale makes the run-time library parse and load it; reading it costs little.
    if (!locale) return;
    const char *current = std::setlocale(LC_ALL, nullptr);
    if (!current || std::strcmp(current, locale) != 0) std::setlocale(LC_ALL, locale);
}

void putBackDirectory(const wchar_t *directory) noexcept {
    if (directory && !isCurrentDirectory(directory)) SetCurrentDirectoryW(directory);
}

}  // namespace uxd
