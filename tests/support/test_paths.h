// Where the built binaries lie, seen from a running test program (they share one folder).
#pragma once

#include <windows.h>

#include <string>

inline std::string binFolder() {  // with a trailing backslash
    char path[MAX_PATH];
    std::string folder(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}
inline std::string binFile(const char *name) { return binFolder() + name; }
