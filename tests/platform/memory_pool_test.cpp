// The first-fit memory pool and its statistics. The pool is process-wide, so every test creates its own.
#include "platform.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct alignas(16) PoolBuffer {
    unsigned char bytes[1024 + 16];
};

intptr_t poolFree() { return goGetDeviceInfo(GO_INFO_POOL_FREE); }
intptr_t poolUsed() { return goGetDeviceInfo(GO_INFO_POOL_USED); }

TEST(MemoryPool, FreshPoolIsOneFreeBlock)
{
    static PoolBuffer buffer;
    ASSERT_EQ(goMemCreate(buffer.bytes, 1024), 0);
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_POOL_SIZE), 1024);
    EXPECT_EQ(poolFree(), 996); // 1024 - one 28-byte header
    EXPECT_EQ(poolUsed(), 28);
}

TEST(MemoryPool, AllocationSplitsAndFreeMergesBack)
{
    static PoolBuffer buffer;
    ASSERT_EQ(goMemCreate(buffer.bytes, 1024), 0);
    void *block = goMalloc(10, 7);
    EXPECT_EQ(block, buffer.bytes + 28);
    EXPECT_EQ(poolFree(), 956);      // 996 - 12 (10 rounded up) - 28 (the split header)
    EXPECT_EQ(poolUsed(), 68);       // 28 + 12 + 28
    EXPECT_EQ(goFree(block), 0);
    EXPECT_EQ(poolFree(), 996);
    EXPECT_EQ(poolUsed(), 28);
}

TEST(MemoryPool, ExactFitTakesTheWholeBlockWithoutSplitting)
{
    static PoolBuffer buffer;
    ASSERT_EQ(goMemCreate(buffer.bytes, 1024), 0);
    ASSERT_NE(goMalloc(968, 0), nullptr); // 996 is not greater than 968 + 28
    EXPECT_EQ(poolFree(), 0);
    EXPECT_EQ(poolUsed(), 28 + 996);
    goGetLastErrorCode();
    EXPECT_EQ(goMalloc(4, 0), nullptr);
    EXPECT_EQ(goGetLastErrorCode(), GO_ERROR_NO_MEMORY);
}

TEST(MemoryPool, FreeingMiddleBlockMergesWithBothNeighbours)
{
    static PoolBuffer buffer;
    ASSERT_EQ(goMemCreate(buffer.bytes, 1024), 0);
    void *a = goMalloc(100, 1);
    void *b = goMalloc(100, 2);
    void *c = goMalloc(100, 3);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(static_cast<unsigned char *>(b) - static_cast<unsigned char *>(a), 128);
    goFree(a);
    goFree(c); // c merges with the free tail
    EXPECT_EQ(poolFree(), 100 + (996 - 2 * 128)); // a, plus c merged with the tail (its header freed too)
    goFree(b); // b joins a below and the tail above: one block again
    EXPECT_EQ(poolFree(), 996);
    EXPECT_EQ(poolUsed(), 28);
    EXPECT_EQ(goMalloc(996, 0), buffer.bytes + 28);
}

TEST(MemoryPool, FirstFitReusesAFreedHole)
{
    static PoolBuffer buffer;
    ASSERT_EQ(goMemCreate(buffer.bytes, 1024), 0);
    void *a = goMalloc(64, 1);
    void *b = goMalloc(64, 2);
    ASSERT_TRUE(a && b);
    goFree(a);
    EXPECT_EQ(goMalloc(32, 3), a); // the freed hole is at the head of the free list
    EXPECT_EQ(goFree(nullptr), 0);
}

TEST(MemoryPool, HugeRequestsFailInsteadOfWrapping)
{
    static PoolBuffer buffer;
    ASSERT_EQ(goMemCreate(buffer.bytes, 1024), 0);
    goGetLastErrorCode();
    EXPECT_EQ(goMalloc(0xFFFFFFFFu, 0), nullptr); // rounding up must not wrap to 0
    EXPECT_EQ(goGetLastErrorCode(), GO_ERROR_NO_MEMORY);
    EXPECT_EQ(poolFree(), 996);
}

TEST(MemoryPool, UnusableBuffersAreRefusedAndKeepThePreviousPool)
{
    static PoolBuffer buffer;
    ASSERT_EQ(goMemCreate(buffer.bytes, 1024), 0);
    static PoolBuffer small;
    EXPECT_EQ(goMemCreate(small.bytes, 28), -1);
    EXPECT_EQ(goMemCreate(small.bytes + 1, 32), -1); // 4-byte rounding leaves 28 usable bytes
    EXPECT_EQ(goMemCreate(nullptr, 1024), -1);
    EXPECT_EQ(goMemCreate(small.bytes, -100), -1);
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_POOL_SIZE), 1024);
    EXPECT_EQ(goMemCreate(small.bytes + 1, 36), 0); // start rounds up by 3, end down: 32 usable bytes
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_POOL_SIZE), 32);
    EXPECT_EQ(poolFree(), 4);
}

} // namespace

namespace {

// A longer sequence: allocations of several sizes, frees in mixed order, and checks that the statistics
// always account for every byte (free + used = pool size) and that freeing everything coalesces the pool
// back into one block.
TEST(MemoryPool, MixedSequenceKeepsEveryByteAccountedForAndCoalesces)
{
    static PoolBuffer buffer;
    ASSERT_EQ(goMemCreate(buffer.bytes, 1024), 0);
    void *blocks[8] = {};
    const unsigned sizes[8] = {1, 30, 64, 5, 100, 17, 44, 8};
    for (int i = 0; i < 8; ++i) {
        blocks[i] = goMalloc(sizes[i], static_cast<unsigned>(i));
        ASSERT_NE(blocks[i], nullptr) << i;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(blocks[i]) % 4, 0u);
        EXPECT_EQ(poolFree() + poolUsed(), 1024);
    }
    // Used: 9 headers (8 blocks and the free tail) plus the rounded sizes 4+32+64+8+100+20+44+8 = 280.
    EXPECT_EQ(poolUsed(), 9 * 28 + 280);
    for (int i : {3, 1, 6, 0, 7, 2, 5, 4}) {
        goFree(blocks[i]);
        EXPECT_EQ(poolFree() + poolUsed(), 1024) << "after freeing " << i;
    }
    EXPECT_EQ(poolFree(), 996);
    EXPECT_EQ(poolUsed(), 28);
    EXPECT_EQ(goMalloc(996, 0), buffer.bytes + 28) << "one block again, at the start";
}

} // namespace
