// Heap seam of the module; see allocation.h.
#include "allocation.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace uxd {
namespace {
unsigned long failingAttempt = 0;  // 0: never fail
unsigned long attemptCount = 0;
long liveBlocks = 0;

// Release watching (tests only): the marker, and the blocks that held it. A fixed buffer,
// so that the seam needs nothing of the C++ library.
char marker[64];
std::size_t markerLength = 0;
long markedReleases = 0;

std::size_t blockSize(void *block) noexcept {
#ifdef _WIN32
    return _msize(block);
#else
    return malloc_usable_size(block);
#endif
}

// The marker at `at`, each of its bytes followed by `width` - 1 zero bytes (1: ANSI, 2: UTF-16LE).
bool markerAt(const unsigned char *at, std::size_t width) noexcept {
    for (std::size_t i = 0; i < markerLength; ++i) {
        if (at[i * width] != static_cast<unsigned char>(marker[i])) return false;
        for (std::size_t z = 1; z < width; ++z)
            if (at[i * width + z] != 0) return false;
    }
    return true;
}

bool holds(const void *block, std::size_t size, std::size_t width) noexcept {
    std::size_t span = markerLength * width;
    const auto *bytes = static_cast<const unsigned char *>(block);
    for (std::size_t at = 0; span && at + span <= size; ++at)
        if (markerAt(bytes + at, width)) return true;
    return false;
}

void watchRelease(void *block) noexcept {
    if (!markerLength) return;
    std::size_t size = blockSize(block);
    if (holds(block, size, 1) || holds(block, size, 2)) ++markedReleases;
}

bool scheduledToFail() noexcept {
    ++attemptCount;
    return failingAttempt != 0 && attemptCount == failingAttempt;
}

void *counted(void *block) noexcept {
    if (!block) return nullptr;
    ++liveBlocks;
    if (markerLength) std::memset(block, 0, blockSize(block));
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
    watchRelease(block);
    --liveBlocks;
    std::free(block);
}

void wipe(void *block, std::size_t bytes) noexcept {
    if (!block) return;
#ifdef _WIN32
    SecureZeroMemory(block, bytes);
#else
    explicit_bzero(block, bytes);  // as SecureZeroMemory: never optimised away
#endif
}

void releaseSecret(void *block) noexcept {
    if (!block) return;
    wipe(block, blockSize(block));
    release(block);
}

char *duplicateText(const char *text) noexcept {
    if (!text) return nullptr;
    std::size_t bytes = std::strlen(text) + 1;
    char *copy = static_cast<char *>(allocate(bytes));
    if (copy) std::memcpy(copy, text, bytes);
    return copy;
}

void *duplicateBytes(const void *source, std::size_t size) noexcept {
    void *copy = allocate(size ? size : 1);
    if (copy && size) std::memcpy(copy, source, size);
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
void watchReleasesFor(const char *text) noexcept {
    markerLength = 0;
    for (; text && text[markerLength] && markerLength < sizeof marker; ++markerLength) marker[markerLength] = text[markerLength];
    markedReleases = 0;
}
long releasesHoldingMarker() noexcept { return markedReleases; }
}  // namespace allocation_fault

}  // namespace uxd
