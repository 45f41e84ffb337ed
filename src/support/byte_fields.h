// Reading and writing fields of host records at their byte offsets. Host records are
// packed or only partly known, so fields are copied with memcpy rather than read through
// a pointer that may be misaligned.
#pragma once

#include <cstddef>
#include <cstring>

namespace uxd {

template <class T>
T readField(const void *record, std::size_t offset) noexcept {
    T value;
    std::memcpy(&value, static_cast<const unsigned char *>(record) + offset, sizeof value);
    return value;
}

template <class T>
void writeField(void *record, std::size_t offset, T value) noexcept {
    std::memcpy(static_cast<unsigned char *>(record) + offset, &value, sizeof value);
}

}  // namespace uxd
