// Deleting through slot 0 of an object's virtual table, as a host or a deriving module
// does. A class with a C++ virtual destructor gets two slots from GCC (complete and
// deleting); the job and its recipients instead put one deleting destructor taking flags in
// slot 0, so their tables have the documented layout, and every deletion goes through it.
#pragma once

#include <cstdint>
#include <memory>

namespace uxd {

// Bit 0 of the flags: release the object's memory after destroying it.
constexpr uint32_t kReleaseMemory = 1;

template <class T>
void destroy(T *object) noexcept {
    if (object) object->deletingDestructor(kReleaseMemory);
}

struct SlotZeroDelete {
    template <class T>
    void operator()(T *object) const noexcept {
        destroy(object);
    }
};

template <class T>
using unique_slot_ptr = std::unique_ptr<T, SlotZeroDelete>;

}  // namespace uxd
