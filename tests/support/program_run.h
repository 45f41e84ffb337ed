// A test's program run as a script runs it: its own process in a given folder, each argument
// quoted, judged by its exit status and what it printed, and stopped (failing the test) when
// it outlives its time.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "test_paths.h"

struct ProgramRun {
    DWORD status;
    std::string out, err;
    double seconds;  // from start to exit
};

namespace program_run {
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
}  // namespace program_run

// Runs `program` of the bin folder; past `timeoutMs` it is ended and the test fails.
inline ProgramRun runProgram(const char *program, const std::vector<std::string> &arguments,
                             const std::string &folder, DWORD timeoutMs = 120000) {
    std::string command = "\"" + binFile(program) + "\"", outPath = folder + "stdout.txt",
                errPath = folder + "stderr.txt";
    // A backslash before the closing quote would escape it: a folder's trailing one is doubled.
    for (const std::string &argument : arguments)
        command += " \"" + argument + (!argument.empty() && argument.back() == '\\' ? "\\\"" : "\"");
    HANDLE outFile = program_run::inheritable(outPath), errFile = program_run::inheritable(errPath);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES, startup.hStdOutput = outFile, startup.hStdError = errFile;
    PROCESS_INFORMATION process = {};
    DWORD status = 0xBAD;
    ULONGLONG started = GetTickCount64();
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_TIMEOUT) {
            ADD_FAILURE() << command << " was still running after " << timeoutMs / 1000 << " s";
            TerminateProcess(process.hProcess, status);
            WaitForSingleObject(process.hProcess, 5000);
        }
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread), CloseHandle(process.hProcess);
    } else {
        ADD_FAILURE() << "cannot start " << command << " (" << GetLastError() << ")";
    }
    double seconds = double(GetTickCount64() - started) / 1000;
    CloseHandle(outFile), CloseHandle(errFile);
    return {status, program_run::readAndDelete(outPath), program_run::readAndDelete(errPath), seconds};
}

// uxdsend.exe, the reference host.
inline ProgramRun runUxdsend(const std::vector<std::string> &arguments, const std::string &folder) {
    return runProgram("uxdsend.exe", arguments, folder);
}
