// Owners of module blocks (see allocation.h), in the shape of raii.h's unique_res.
// owned_block is read as the plain pointer it holds: the job's texts, names and saved state
// are read in many places and owned in one, so reading stays plain and only their end
// belongs to the owner.
#pragma once

#include <cstdint>

#include <utility>

#include "allocation.h"
#include "raii.h"

namespace uxd {

struct ReleaseBlock {
    void operator()(void *block) const noexcept { release(block); }
};
struct ReleaseSecret {  // for blocks that may hold a password
    void operator()(void *block) const noexcept { releaseSecret(block); }
};

template <class T, class Release = ReleaseBlock>
using unique_block = unique_res<T *, Release>;

template <class T, class Release = ReleaseBlock>
class owned_block : public unique_res<T *, Release> {
public:
    using unique_res<T *, Release>::unique_res;
    operator T *() const noexcept { return this->get(); }
};

// An owned array of `count` zeroed items, each released by ReleaseItem before the array.
template <class T, void (*ReleaseItem)(T &) noexcept>
class owned_array {
public:
    owned_array() noexcept = default;
    owned_array(const owned_array &) = delete;
    owned_array &operator=(const owned_array &) = delete;
    ~owned_array() { reset(); }

    // Room for `count` zeroed items; false (and no array) when it cannot be had.
    bool allocate(uint32_t count) noexcept {
        reset();
        items_ = static_cast<T *>(allocateZeroed(count, sizeof(T)));
        count_ = items_ ? count : 0;
        return items_ != nullptr;
    }
    void reset() noexcept {
        for (uint32_t i = 0; items_ && i < count_; ++i) ReleaseItem(items_[i]);
        release(items_);
        items_ = nullptr;
        count_ = 0;
    }
    void swap(owned_array &other) noexcept {
        std::swap(items_, other.items_);
        std::swap(count_, other.count_);
    }
    T *get() const noexcept { return items_; }
    uint32_t count() const noexcept { return count_; }

private:
    T *items_ = nullptr;
    uint32_t count_ = 0;
};

inline void releaseText(char *&text) noexcept { release(text); }

// An owned array of owned texts, any of them null.
class owned_texts : public owned_array<char *, releaseText> {
public:
    // Takes `text` for entry `index`, releasing the one it replaces.
    void put(uint32_t index, char *text) noexcept {
        release(get()[index]);
        get()[index] = text;
    }
    operator char **() const noexcept { return get(); }
};

}  // namespace uxd
