// The one place where the module takes and returns heap memory. Every allocation of the
// module goes through here, so a test can make the Nth one fail and check that the path
// returns code 2 and leaves nothing behind. Memory comes from the C run-time heap, since
// records handed to a host are released by the module with free().
#pragma once

#include <cstddef>

namespace uxd {

// Null when memory is exhausted (or when a test has scheduled a failure).
void *allocate(std::size_t bytes) noexcept;
void *allocateZeroed(std::size_t count, std::size_t size) noexcept;  // count * size checked
void release(void *block) noexcept;
// For blocks that may hold a password: the whole block is wiped, in a way the compiler
// cannot drop as a dead store, before it goes back to the heap.
void releaseSecret(void *block) noexcept;
// Wipes `bytes` bytes at `block` (as SecureZeroMemory does: never optimised away).
void wipe(void *block, std::size_t bytes) noexcept;

// Own heap copy of a terminated text; null on failure or for a null source.
char *duplicateText(const char *text) noexcept;
// Own heap copy of `size` bytes (a block of at least one byte even when size is 0); null
// on failure.
void *duplicateBytes(const void *source, std::size_t size) noexcept;

// Test control. Inert unless a test arms it; never reachable through an export.
namespace allocation_fault {
// Make the nth allocation from now fail (1 = the next one); 0 disarms.
void failAt(unsigned long nth) noexcept;
// Count of allocations since the last failAt/reset.
unsigned long attempts() noexcept;
// Blocks handed out and not yet released, since the module was loaded.
long outstanding() noexcept;
void reset() noexcept;
// Watches every block released from now on for `marker` (ASCII), as bytes and as UTF-16LE;
// blocks allocated meanwhile start zeroed, so stale heap contents do not count. Null stops.
void watchReleasesFor(const char *marker) noexcept;
// Released blocks that still held eight or more consecutive characters of the marker.
long releasesHoldingMarker() noexcept;
// From now on every block carries a canary after its last byte, checked when it is released,
// so that a write one byte past a buffer is counted even where the heap would not notice.
// Call before the module's first allocation: a block made before has no canary.
void guardEveryBlock() noexcept;
// Released blocks whose canary was overwritten.
long overrunBlocks() noexcept;
}  // namespace allocation_fault

}  // namespace uxd
