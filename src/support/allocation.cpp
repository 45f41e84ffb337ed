// Heap seam of the module; see allocation.h.
#include "allocation.h"

#include <cstdlib>
#include <cstring>

namespace uxd {
namespace {
unsigned long failingAttempt = 0;  // 0: never fail
unsigned long attemptCount = 0;
long liveBlocks = 0;

bool scheduledToFail() noexcept {
    ++attemptCount;
    return failingAttempt != 0 && attemptCount == failingAttempt;
}

void *counted(void *block) noexcept {
    if (block) ++liveBlocks;
    return block;
}
}  // namespace

void *allocate(std::size_t bytes) noexcept {
    if (scheduledToFail()) return nullptr;
    return counted(std::malloc(bytes ? bytes : 1));
}

void *allocateZeroed(std::size_t count, std::size_t size) noexcept {
    if (size != 0 && count > static_cast<std::size_t>(-1) / size) return nullptr;
    if (scheduledToFail()) return nullptr;
    return counted(std::calloc(count ? count : 1, size ? size : 1));
}

void release(void *block) noexcept {
    if (!block) return;
    --liveBlocks;
    std::free(block);
}

char *duplicateText(const char *text) noexcept {
    if (!text) return nullptr;
    std::size_t bytes = std::strlen(text) + 1;
    char *copy = static_cast<char *>(allocate(bytes));
    if (copy) std::memcpy(copy, text, bytes);
    return copy;
}

namespace allocation_fault {
void failAt(unsigned long nth) noexcept {
    attemptCount = 0;
    failingAttempt = nth;
}
unsigned long attempts() noexcept { return attemptCount; }
long outstanding() noexcept { return liveBlocks; }
void reset() noexcept { failAt(0); }
}  // namespace allocation_fault

}  // namespace uxd
