// Where the built binaries lie, seen from a running test program (they share one folder); the
// files a test reads or writes whole; texts between UTF-16 and a code page.
#pragma once

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

inline std::string binFolder() {  // with a trailing backslash
    char path[MAX_PATH];
    std::string folder(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}
inline std::string binFile(const char *name) { return binFolder() + name; }

inline std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
inline bool writeFile(const std::string &path, const std::string &bytes) {
    return (std::ofstream(path, std::ios::binary) << bytes).good();
}
inline std::string narrow(const std::wstring &text, UINT page = CP_UTF8) {
    std::string out(text.size() * 4, '\0');
    out.resize(WideCharToMultiByte(page, 0, text.data(), int(text.size()), &out[0], int(out.size()), nullptr, nullptr));
    return out;
}
inline std::wstring widen(const std::string &text, UINT page) {
    std::wstring out(text.size(), L'\0');
    out.resize(MultiByteToWideChar(page, 0, text.data(), int(text.size()), &out[0], int(out.size())));
    return out;
}

// A DLL for `machine` as it looks from outside: a DOS stub, "PE\0\0" and a file header.
inline std::string writeDll(const std::string &path, WORD machine) {
    std::string dll(0x200, '\0');
    dll[0] = 'M', dll[1] = 'Z', dll[0x3C] = 0x40, dll[0x40] = 'P', dll[0x41] = 'E', dll[0x44] = char(machine), dll[0x45] = char(machine >> 8);
    return writeFile(path, dll) ? path : "";
}
