// Owner of one COM interface pointer: Release on reset and destruction.
#pragma once

#include <unknwn.h>

namespace uxd {

template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr &) = delete;
    ComPtr &operator=(const ComPtr &) = delete;

    T *get() const noexcept { return p_; }
    T *operator->() const noexcept { return p_; }
    T **put() noexcept {
        reset();
        return &p_;
    }
    void reset() noexcept {
        if (p_) p_->Release();
        p_ = nullptr;
    }

private:
    T *p_ = nullptr;
};

}  // namespace uxd
