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

// Shows the system wait cursor for the life of the outermost scope and puts the previous
// one back when that ends. A scope opened while the module already shows it does nothing,
// so an entry point's work costs two SetCursor calls however deep its waits go (each is a
// round trip to the window server). The cursor is shared, so it is never destroyed.
class WaitCursor {
public:
    WaitCursor() noexcept : outermost_(depth_++ == 0) {
        if (outermost_) previous_ = ::SetCursor(waitCursor());
    }
    ~WaitCursor() {
        --depth_;
        if (outermost_) ::SetCursor(previous_);
    }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    // Loaded once per process, never destroyed. Plain module-wide variables, not guarded
    // statics: the host calls the module on one thread.
    static HCURSOR waitCursor() noexcept {
        if (!loaded_) loaded_ = ::LoadCursorA(nullptr, IDC_WAIT);
        return loaded_;
    }
    inline static unsigned depth_ = 0;
    inline static HCURSOR loaded_ = nullptr;

    bool outermost_;
    HCURSOR previous_ = nullptr;
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
