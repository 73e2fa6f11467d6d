// A block arena: fixed-size elements carved from a chain of memory blocks by a bump position. The scan
// converter draws its edges, active edges and coverage intervals from arenas that the VG context keeps
// for its whole life; a reset after every draw makes the blocks reusable without freeing them.
#ifndef TAMARIND_VG_RENDER_BLOCK_ARENA_H
#define TAMARIND_VG_RENDER_BLOCK_ARENA_H

#include <cstdint>

namespace tamarind {

struct ArenaBlock {
    ArenaBlock *next; // the block after this one, or null
    int32_t limit;    // bump position just past this block's last element
    // elements follow
};

struct BlockArena {
    int32_t position = 0;        // bytes handed out since the last reset
    ArenaBlock *first = nullptr; // allocated with the arena
    ArenaBlock *current = nullptr;
    int32_t blockSize = 0;       // element bytes per block
    int32_t elementsPerBlock = 0;
    int32_t elementSize = 0;
};

// Sets up an arena with its first block already allocated.
void initArena(BlockArena &arena, int32_t elementSize, int32_t elementsPerBlock);
// Returns uninitialised storage for one element; a new block is allocated only when none follows.
void *arenaAllocate(BlockArena &arena);
// Makes every element available again; the blocks are kept.
void resetArena(BlockArena &arena);
// Frees every block.
void freeArena(BlockArena &arena);

template <class T>
T *arenaNew(BlockArena &arena)
{
    return static_cast<T *>(arenaAllocate(arena));
}

} // namespace tamarind

#endif
