// Owners for handles, in the shape of WIL's unique_any (WIL itself does not build with
// MinGW-w64). Every Win32 and MAPI resource the module takes is held by one of these, so
// an early return cannot leak it.
#pragma once

#include <utility>

namespace uxd {

// Owns one handle; Close is a function object taking the handle; Invalid is the empty value.
template <class Handle, class Close, Handle Invalid = Handle{}>
class unique_res {
public:
    unique_res() noexcept = default;
    explicit unique_res(Handle handle) noexcept : handle_(handle) {}
    unique_res(unique_res &&other) noexcept : handle_(other.release()) {}
    unique_res &operator=(unique_res &&other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    unique_res(const unique_res &) = delete;
    unique_res &operator=(const unique_res &) = delete;
    ~unique_res() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Invalid; }
    Handle release() noexcept { return std::exchange(handle_, Invalid); }
    void reset(Handle handle = Invalid) noexcept {
        Handle old = std::exchange(handle_, handle);
        if (old != Invalid) Close{}(old);
    }
    Handle *put() noexcept {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Invalid;
};

}  // namespace uxd
