// MAPI memory: a buffer is a head block that more blocks can be chained onto; freeing the head
// frees them all. Every head is recorded, so the count of those not yet freed is exact and a
// pointer that is not a head of ours is refused instead of corrupting the heap.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "text.h"

namespace testmail {

// The pool behind the exported MAPIAllocateBuffer, MAPIAllocateMore and MAPIFreeBuffer.
SCODE allocateBuffer(ULONG size, void **buffer) noexcept;
SCODE allocateMore(ULONG size, void *head, void **buffer) noexcept;
bool freeBuffer(void *head) noexcept;  // false: null or not a head handed out here
long outstandingBuffers() noexcept;

// What this DLL hands its callers is allocated through MAPI32.DLL's own MAPIAllocateBuffer,
// so that whichever MAPIFreeBuffer MAPI32.DLL routes the caller's release to frees it. Wine's
// MAPI32.DLL takes Simple MAPI calls from the DLLPath client but MAPIFreeBuffer only from a
// DLLPathEx one: registered for Simple MAPI only, our buffers would reach Wine's own
// allocator. Registered in full, MAPI32.DLL hands the call back to our export, and it lands
// in the pool as before; the export then neither logs it nor applies a scripted result.
bool forwardedByMapi32() noexcept;
void releaseToCaller(void *head) noexcept;  // a head made for a caller, not handed over after all

// Owns a head while a result is built, so a failure half-way frees what was made.
struct BufferDeleter {
    void operator()(void *head) const noexcept { releaseToCaller(head); }
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
