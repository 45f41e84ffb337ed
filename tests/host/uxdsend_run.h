// uxdsend.exe run as a script runs it: its own process in a given folder, each argument quoted,
// judged by its exit status and what it printed.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "test_paths.h"

struct UxdsendRun {
    DWORD status;
    std::string out, err;
};

namespace uxdsend_run {
inline std::string readAndDelete(const std::string &path) {
    std::string text;
    {
        std::ifstream in(path, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    DeleteFileA(path.c_str());
    return text;
}

inline HANDLE inheritable(const std::string &path) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
}
}  // namespace uxdsend_run

inline UxdsendRun runUxdsend(const std::vector<std::string> &arguments, const std::string &folder) {
    std::string command = "\"" + binFile("uxdsend.exe") + "\"", outPath = folder + "stdout.txt",
                errPath = folder + "stderr.txt";
    for (const std::string &argument : arguments) command += " \"" + argument + "\"";
    HANDLE outFile = uxdsend_run::inheritable(outPath), errFile = uxdsend_run::inheritable(errPath);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES, startup.hStdOutput = outFile, startup.hStdError = errFile;
    PROCESS_INFORMATION process = {};
    DWORD status = 0xBAD;
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, 120000) == WAIT_TIMEOUT) {
            ADD_FAILURE() << command << " was still running after two minutes";
            TerminateProcess(process.hProcess, status);
        }
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread), CloseHandle(process.hProcess);
    } else {
        ADD_FAILURE() << "cannot start " << command << " (" << GetLastError() << ")";
    }
    CloseHandle(outFile), CloseHandle(errFile);
    return {status, uxdsend_run::readAndDelete(outPath), uxdsend_run::readAndDelete(errPath)};
}
