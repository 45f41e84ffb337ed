// The allocation seam the out-of-memory tests rely on: one scheduled failure, counted blocks,
// overflow refused, no object constructed without memory.
#include <gtest/gtest.h>

#include <cstdint>

#include "allocation.h"

using namespace uxd;

namespace {
struct Counted {
    static inline int alive = 0;
    Counted() { ++alive; }
    ~Counted() { --alive; }
};
}  // namespace

TEST(AllocationSeam, FailsExactlyTheScheduledAttemptAndCountsBlocks) {
    const long before = allocation_fault::outstanding();
    allocation_fault::failAt(3);
    void *blocks[5] = {allocate(8), allocateZeroed(2, 4), create<Counted>(), duplicateText("x"),
                       allocateZeroed(SIZE_MAX / 2, 3)};
    EXPECT_TRUE(blocks[0] && blocks[1] && blocks[3]) << "only the third attempt may fail";
    EXPECT_EQ(blocks[2], nullptr) << "the third attempt was scheduled to fail";
    EXPECT_EQ(Counted::alive, 0) << "no object constructed without memory";
    EXPECT_EQ(blocks[4], nullptr) << "count x size overflows";
    EXPECT_EQ(allocation_fault::attempts(), 4u) << "the overflow is refused before any attempt";
    EXPECT_EQ(allocation_fault::outstanding(), before + 3);
    for (void *block : blocks) release(block);
    EXPECT_EQ(allocation_fault::outstanding(), before);
    allocation_fault::reset();
}
