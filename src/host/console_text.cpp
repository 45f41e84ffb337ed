// Writing ANSI text to a console or to a redirected stream; see console_text.h.
#include "console_text.h"

#include <windows.h>

#include <io.h>

namespace {

HANDLE consoleOf(std::FILE *stream) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

bool writeToConsole(HANDLE console, const std::string &ansi) {
    int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    if (length <= 0) return false;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], length);
    DWORD written = 0;
    return WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
}

}  // namespace

void writeText(std::FILE *stream, const std::string &ansi) {
    if (ansi.empty()) return;
    HANDLE console = consoleOf(stream);
    std::fflush(stream);  // keeps the order of what went before through the C library
    if (!console || !writeToConsole(console, ansi)) std::fputs(ansi.c_str(), stream);
}
