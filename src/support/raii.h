// Owners for handles and one-off cleanups, in the shape of WIL's unique_any and scope_exit
// (WIL itself does not build with MinGW-w64). Every Win32 and MAPI resource the module
// takes is held by one of these, so an early return cannot leak it.
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

// Runs a callable when the scope ends, unless dismissed.
template <class F>
class scope_exit_t {
public:
    explicit scope_exit_t(F &&f) noexcept : f_(std::move(f)) {}
    scope_exit_t(const scope_exit_t &) = delete;
    scope_exit_t &operator=(const scope_exit_t &) = delete;
    ~scope_exit_t() {
        if (active_) f_();
    }
    void dismiss() noexcept { active_ = false; }

private:
    F f_;
    bool active_ = true;
};

template <class F>
[[nodiscard]] scope_exit_t<F> scope_exit(F &&f) noexcept {
    return scope_exit_t<F>(std::forward<F>(f));
}

}  // namespace uxd
