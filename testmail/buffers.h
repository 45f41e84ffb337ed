// MAPI memory: a buffer is a head block that more blocks can be chained onto; freeing the head
// frees them all. Every head is recorded, so the count of those not yet freed is exact and a
// pointer that is not a head of ours is refused instead of corrupting the heap.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "text.h"

namespace testmail {

SCODE allocateBuffer(ULONG size, void **buffer) noexcept;
SCODE allocateMore(ULONG size, void *head, void **buffer) noexcept;
bool freeBuffer(void *head) noexcept;  // false: null or not a head handed out here
long outstandingBuffers() noexcept;

// Owns a head while a result is built, so a failure half-way frees what was made.
struct BufferDeleter {
    void operator()(void *head) const noexcept { freeBuffer(head); }
};
using OwnedBuffer = std::unique_ptr<void, BufferDeleter>;

// A zeroed head for count objects of T; throws std::bad_alloc.
template <class T>
T *newBuffer(std::size_t count, OwnedBuffer &owner);
void *newBufferBytes(std::size_t size, OwnedBuffer &owner);

// Copies chained onto a head; throw std::bad_alloc.
char *chainText(void *head, const std::string &text);
unsigned char *chainBytes(void *head, const Bytes &bytes);

template <class T>
T *newBuffer(std::size_t count, OwnedBuffer &owner) {
    if (count > (MAXDWORD - 64) / sizeof(T)) throw std::bad_alloc();
    return static_cast<T *>(newBufferBytes(count * sizeof(T), owner));
}

}  // namespace testmail
