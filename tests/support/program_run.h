// A test's program run as a script runs it: its own process in a given folder, each argument
// quoted, judged by its exit status and what it printed, and stopped (failing the test) when
// it outlives its time. What it printed is caught in files, as a script redirects it, or in
// screen buffers of a console, as a command window shows it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "test_paths.h"

enum class Output { Files, Console };

struct ProgramRun {
    DWORD status;
    std::string out, err;  // the bytes written to a file; a console's lines in UTF-8
    double seconds;  // from start to exit
};

namespace program_run {
inline std::string readAndDelete(const std::string &path) {
    const std::string text = readFile(path);
    DeleteFileA(path.c_str());
    return text;
}

inline HANDLE inheritable(const std::string &path) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
}

// Wide enough that no line wraps, so that each row read back is one line written.
const SHORT kConsoleWidth = 400, kConsoleHeight = 200;

// A fresh screen buffer of the test's own console, for a child to write to. The console Wine
// gives a program started from a shell without a terminal makes no screen buffers: the first
// call trades it for a new one, which shows the OEM code page as a console on Windows does.
inline HANDLE screenBuffer() {
    [[maybe_unused]] static const bool own = FreeConsole() && AllocConsole() && SetConsoleOutputCP(GetOEMCP());
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE buffer = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              &inherit, CONSOLE_TEXTMODE_BUFFER, nullptr);
    SetConsoleScreenBufferSize(buffer, {kConsoleWidth, kConsoleHeight});
    return buffer;
}

// The rows written, up to the cursor, without their trailing blanks; each ends in "\n".
inline std::string readAndClose(HANDLE buffer) {
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    GetConsoleScreenBufferInfo(buffer, &info);
    std::string text;
    for (SHORT y = 0; y < info.dwCursorPosition.Y + (info.dwCursorPosition.X ? 1 : 0); ++y) {
        std::wstring row(kConsoleWidth, L' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(buffer, &row[0], kConsoleWidth, {0, y}, &read);
        row.erase(row.find_last_not_of(L' ') + 1);
        text += narrow(row) + "\n";
    }
    CloseHandle(buffer);
    return text;
}
}  // namespace program_run

// Runs `program` of the bin folder, or at a full path; past `timeoutMs` it is ended and the test fails.
inline ProgramRun runProgram(const char *program, const std::vector<std::string> &arguments,
                             const std::string &folder, DWORD timeoutMs = 120000, Output output = Output::Files) {
    std::string command = "\"" + (strchr(program, ':') ? program : binFile(program)) + "\"", outPath = folder + "stdout.txt",
                errPath = folder + "stderr.txt";
    // A backslash before the closing quote would escape it: a folder's trailing one is doubled.
    for (const std::string &argument : arguments)
        command += " \"" + argument + (!argument.empty() && argument.back() == '\\' ? "\\\"" : "\"");
    const bool console = output == Output::Console;
    HANDLE outFile = console ? program_run::screenBuffer() : program_run::inheritable(outPath),
           errFile = console ? program_run::screenBuffer() : program_run::inheritable(errPath);
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
    if (console) return {status, program_run::readAndClose(outFile), program_run::readAndClose(errFile), seconds};
    CloseHandle(outFile), CloseHandle(errFile);
    return {status, program_run::readAndDelete(outPath), program_run::readAndDelete(errPath), seconds};
}

// uxdsend.exe, the reference host.
inline ProgramRun runUxdsend(const std::vector<std::string> &arguments, const std::string &folder,
                             Output output = Output::Files) {
    return runProgram("uxdsend.exe", arguments, folder, 120000, output);
}
