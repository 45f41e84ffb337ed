// uxdsend.exe run as a script runs it: its own process in a given folder, each argument quoted,
// judged by its exit status and what it printed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct UxdsendRun {
    DWORD status;
    std::string out, err;
};

UxdsendRun runUxdsend(const std::vector<std::string> &arguments, const std::string &folder);
