// The allocation seam: failures scheduled by count, overflow refused, blocks counted.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "allocation.h"

using namespace uxd;

class AllocationSeam : public ::testing::Test {
protected:
    void SetUp() override { allocation_fault::reset(); }
    void TearDown() override { allocation_fault::reset(); }
};

TEST_F(AllocationSeam, FailsExactlyTheScheduledAttempt) {
    long before = allocation_fault::outstanding();
    allocation_fault::failAt(3);
    void *first = allocate(8);
    void *second = allocateZeroed(2, 4);
    void *third = allocate(8);
    void *fourth = allocate(8);
    EXPECT_NE(first, nullptr);
    EXPECT_NE(second, nullptr);
    EXPECT_EQ(third, nullptr) << "the third attempt was scheduled to fail";
    EXPECT_NE(fourth, nullptr) << "only one attempt fails";
    EXPECT_EQ(allocation_fault::attempts(), 4u);
    EXPECT_EQ(allocation_fault::outstanding(), before + 3);
    release(first);
    release(second);
    release(fourth);
    EXPECT_EQ(allocation_fault::outstanding(), before);
}

TEST_F(AllocationSeam, ZeroedBlocksAreZeroAndOverflowIsRefused) {
    auto *block = static_cast<unsigned char *>(allocateZeroed(16, 4));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(block[i], 0) << "byte " << i;
    release(block);
    EXPECT_EQ(allocateZeroed(SIZE_MAX / 2, 3), nullptr) << "count * size overflows";
}

TEST_F(AllocationSeam, DuplicateTextCopiesAndFailsCleanly) {
    char *copy = duplicateText("xmapi");
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "xmapi");
    release(copy);
    EXPECT_EQ(duplicateText(nullptr), nullptr);

    long before = allocation_fault::outstanding();
    allocation_fault::failAt(1);
    EXPECT_EQ(duplicateText("xmapi"), nullptr);
    EXPECT_EQ(allocation_fault::outstanding(), before);
}

namespace {
struct Counted {
    static int alive;
    int value;
    explicit Counted(int v) : value(v) { ++alive; }
    ~Counted() { --alive; }
};
int Counted::alive = 0;
}  // namespace

TEST_F(AllocationSeam, ObjectsAreMadeAndDestroyedThroughTheSeam) {
    Counted *object = create<Counted>(7);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->value, 7);
    EXPECT_EQ(Counted::alive, 1);
    destroy(object);
    EXPECT_EQ(Counted::alive, 0);

    allocation_fault::failAt(1);
    EXPECT_EQ(create<Counted>(1), nullptr);
    EXPECT_EQ(Counted::alive, 0) << "no object is constructed without memory";
}
