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

// Canaries (tests only): bytes after each block's last, as a debug heap's no man's land.
constexpr std::size_t kCanaryBytes = 8;
constexpr unsigned char kCanary = 0xFD;
bool guarding = false;
long overruns = 0;

std::size_t blockSize(void *block) noexcept {
#ifdef _WIN32
    return _msize(block);
#else
    return malloc_usable_size(block);
#endif
}

// Marker characters [first, first + count) at `at`, each followed by `width` - 1 zero bytes
// (1: ANSI, 2: UTF-16LE).
bool markerAt(const unsigned char *at, std::size_t width, std::size_t first, std::size_t count) noexcept {
    for (std::size_t i = 0; i < count; ++i) {
        if (at[i * width] != static_cast<unsigned char>(marker[first + i])) return false;
        for (std::size_t z = 1; z < width; ++z)
            if (at[i * width + z] != 0) return false;
    }
    return true;
}

// Any run of eight marker characters counts: a later text written over the start of a copy
// must not hide what is left of it.
bool holds(const void *block, std::size_t size, std::size_t width) noexcept {
    std::size_t run = markerLength < 8 ? markerLength : 8, span = run * width;
    const auto *bytes = static_cast<const unsigned char *>(block);
    for (std::size_t at = 0; span && at + span <= size; ++at)
        for (std::size_t first = 0; first + run <= markerLength; ++first)
            if (markerAt(bytes + at, width, first, run)) return true;
    return false;
}

// The block's bytes as its owner sees them: without the canary.
std::size_t usableSize(void *block) noexcept { return blockSize(block) - (guarding ? kCanaryBytes : 0); }

void watchRelease(void *block) noexcept {
    if (guarding) {
        const auto *canary = static_cast<const unsigned char *>(block) + usableSize(block);
        for (std::size_t i = 0; i < kCanaryBytes; ++i)
            if (canary[i] != kCanary) {
                ++overruns;
                break;
            }
    }
    if (!markerLength) return;
    std::size_t size = usableSize(block);
    if (holds(block, size, 1) || holds(block, size, 2)) ++markedReleases;
}

// Room for `bytes` and the canary when guarding; 0 when that overflows.
std::size_t withCanary(std::size_t bytes) noexcept {
    if (!guarding) return bytes;
    return bytes > static_cast<std::size_t>(-1) - kCanaryBytes ? 0 : bytes + kCanaryBytes;
}

bool scheduledToFail() noexcept {
    ++attemptCount;
    return failingAttempt != 0 && attemptCount == failingAttempt;
}

void *counted(void *block) noexcept {
    if (!block) return nullptr;
    ++liveBlocks;
    if (markerLength) std::memset(block, 0, usableSize(block));
    if (guarding) std::memset(static_cast<unsigned char *>(block) + usableSize(block), kCanary, kCanaryBytes);
    return block;
}
}  // namespace

void *allocate(std::size_t bytes) noexcept {
    if (scheduledToFail()) return nullptr;
    std::size_t room = withCanary(bytes ? bytes : 1);
    return room ? counted(std::malloc(room)) : nullptr;
}

void *allocateZeroed(std::size_t count, std::size_t size) noexcept {
    if (size != 0 && count > static_cast<std::size_t>(-1) / size) return nullptr;
    if (scheduledToFail()) return nullptr;
    std::size_t room = withCanary((count ? count : 1) * (size ? size : 1));
    return room ? counted(std::calloc(room, 1)) : nullptr;
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
    wipe(block, usableSize(block));
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
void guardEveryBlock() noexcept { guarding = true; }
long overrunBlocks() noexcept { return overruns; }
}  // namespace allocation_fault

}  // namespace uxd
