// Owners for the Win32 resources the module holds: library handles, the wait cursor and
// the error mode, each put back the way it was found.
#pragma once

#include <windows.h>

#include "raii.h"

namespace uxd {

// Stores a run-time entry point (null included) in its typed slot, then says whether it
// was there. The slot's type is the published prototype, so a wrong one fails to compile.
template <class Function>
bool bindFunction(HMODULE library, const char *name, Function &slot) noexcept {
    slot = reinterpret_cast<Function>(reinterpret_cast<void *>(::GetProcAddress(library, name)));
    return slot != nullptr;
}

struct FreeLibraryCloser {
    void operator()(HMODULE module) const noexcept { ::FreeLibrary(module); }
};
using unique_library = unique_res<HMODULE, FreeLibraryCloser>;

// Shows the system wait cursor for the life of the object and puts the previous one back.
// The cursor is shared, so it is never destroyed.
class WaitCursor {
public:
    WaitCursor() noexcept : previous_(::SetCursor(waitCursor())) {}
    ~WaitCursor() { ::SetCursor(previous_); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    // A shared system cursor: loaded once per process, never destroyed.
    static HCURSOR waitCursor() noexcept {
        static const HCURSOR wait = ::LoadCursorA(nullptr, IDC_WAIT);
        return wait;
    }
    HCURSOR previous_;
};

// Sets the process error mode for the life of the object and restores the previous one.
class ErrorModeScope {
public:
    explicit ErrorModeScope(UINT mode) noexcept : previous_(::SetErrorMode(mode)) {}
    ~ErrorModeScope() { ::SetErrorMode(previous_); }
    ErrorModeScope(const ErrorModeScope &) = delete;
    ErrorModeScope &operator=(const ErrorModeScope &) = delete;

private:
    UINT previous_;
};

}  // namespace uxd
