// Block arenas: bump allocation across blocks, reuse after reset.
#include "render/block_arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

namespace tamarind {
namespace {

struct Element {
    int64_t a;
    int32_t b;
};

TEST(BlockArena, StartsWithOneBlockAndChainsMoreWhenFull)
{
    BlockArena arena;
    initArena(arena, sizeof(Element), 4);
    ASSERT_NE(arena.first, nullptr);
    EXPECT_EQ(arena.first->next, nullptr);
    std::set<void *> seen;
    for (int i = 0; i < 10; ++i) {
        auto *e = arenaNew<Element>(arena);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(e) % alignof(Element), 0u);
        e->a = i;
        e->b = i;
        EXPECT_TRUE(seen.insert(e).second) << "every element is distinct";
    }
    EXPECT_EQ(arena.position, 10 * static_cast<int32_t>(sizeof(Element)));
    ASSERT_NE(arena.first->next, nullptr);
    ASSERT_NE(arena.first->next->next, nullptr) << "10 elements need three blocks of 4";
    EXPECT_EQ(arena.first->next->next->next, nullptr);
    freeArena(arena);
}

TEST(BlockArena, ResetReusesTheSameBlocksInTheSameOrder)
{
    BlockArena arena;
    initArena(arena, sizeof(Element), 4);
    void *first[9];
    for (void *&p : first)
        p = arenaAllocate(arena);
    ArenaBlock *second = arena.first->next;
    resetArena(arena);
    EXPECT_EQ(arena.position, 0);
    for (void *p : first)
        EXPECT_EQ(arenaAllocate(arena), p);
    EXPECT_EQ(arena.first->next, second) << "no new block after a reset";
    EXPECT_EQ(arena.first->next->next->next, nullptr);
    freeArena(arena);
    EXPECT_EQ(arena.first, nullptr);
}

} // namespace
} // namespace tamarind
