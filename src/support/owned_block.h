// Owners of module blocks (see allocation.h), in the shape of raii.h's unique_res.
// owned_block is read as the plain pointer it holds: the job's texts, names and saved state
// are read in many places and owned in one, so reading stays plain and only their end
// belongs to the owner.
#pragma once

#include <cstdint>

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

// An owned array of `count` owned texts, any of them null.
class owned_texts {
public:
    owned_texts() noexcept = default;
    owned_texts(const owned_texts &) = delete;
    owned_texts &operator=(const owned_texts &) = delete;
    ~owned_texts() { reset(); }

    // Room for `count` null texts; false (and no array) when it cannot be had.
    bool allocate(uint16_t count) noexcept {
        reset();
        items_ = static_cast<char **>(allocateZeroed(count, sizeof(char *)));
        count_ = items_ ? count : 0;
        return items_ != nullptr;
    }
    // Takes `text` for entry `index`, releasing the one it replaces.
    void put(uint16_t index, char *text) noexcept {
        release(items_[index]);
        items_[index] = text;
    }
    operator char **() const noexcept { return items_; }
    uint16_t count() const noexcept { return count_; }

private:
    void reset() noexcept {
        for (uint16_t i = 0; items_ && i < count_; ++i) release(items_[i]);
        release(items_);
        items_ = nullptr;
        count_ = 0;
    }
    char **items_ = nullptr;
    uint16_t count_ = 0;
};

}  // namespace uxd
