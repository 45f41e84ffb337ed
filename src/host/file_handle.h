// An open file of uxdsend's, closed when it goes out of scope.
#pragma once

#include <windows.h>

class File {
public:
    explicit File(HANDLE handle) : handle_(handle) {}
    ~File() {
        if (open()) CloseHandle(handle_);
    }
    File(const File &) = delete;
    File &operator=(const File &) = delete;
    bool open() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};
