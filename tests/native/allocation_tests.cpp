// The allocation seam the out-of-memory tests rely on: one scheduled failure, counted blocks,
// overflow refused.
#include <gtest/gtest.h>

#include <cstdint>

#include "allocation.h"

using namespace uxd;

namespace {
TEST(AllocationSeam, FailsExactlyTheScheduledAttemptAndCountsBlocks) {
    const long before = allocation_fault::outstanding();
    allocation_fault::failAt(3);
    const struct { const char *what; void *block; bool given; } cases[] = {  // made in order
        {"first attempt", allocate(8), true},
        {"second attempt", allocateZeroed(2, 4), true},
        {"third attempt, scheduled to fail", allocate(16), false},
        {"fourth attempt", duplicateText("x"), true},
        {"count x size overflowing", allocateZeroed(SIZE_MAX / 2, 3), false},
    };
    for (const auto &c : cases) EXPECT_EQ(c.block != nullptr, c.given) << c.what;
    EXPECT_EQ(allocation_fault::attempts(), 4u) << "the overflow is refused before any attempt";
    EXPECT_EQ(allocation_fault::outstanding(), before + 3);
    for (const auto &c : cases) release(c.block);
    EXPECT_EQ(allocation_fault::outstanding(), before);
    allocation_fault::reset();
}
}  // namespace
