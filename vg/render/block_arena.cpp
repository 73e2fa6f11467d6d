// Block arenas for the scan converter's records.
#include "block_arena.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace tamarind {
namespace {

// Header rounded up so the elements after it stay aligned for any record.
constexpr size_t kHeaderBytes = (sizeof(ArenaBlock) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
                                alignof(std::max_align_t);

ArenaBlock *newBlock(const BlockArena &arena, int32_t limit)
{
    auto *block = static_cast<ArenaBlock *>(std::malloc(kHeaderBytes + static_cast<size_t>(arena.blockSize)));
    if (block == nullptr)
        throw std::bad_alloc();
    block->next = nullptr;
    block->limit = limit;
    return block;
}

uint8_t *elementsOf(ArenaBlock *block)
{
    return reinterpret_cast<uint8_t *>(block) + kHeaderBytes;
}

} // namespace

void initArena(BlockArena &arena, int32_t elementSize, int32_t elementsPerBlock)
{
    arena.position = 0;
    arena.elementSize = elementSize;
    arena.elementsPerBlock = elementsPerBlock;
    arena.blockSize = elementSize * elementsPerBlock;
    arena.first = newBlock(arena, arena.blockSize);
    arena.current = arena.first;
}

void *arenaAllocate(BlockArena &arena)
{
    if (arena.position >= arena.current->limit) {
        if (arena.current->next == nullptr)
            arena.current->next = newBlock(arena, arena.current->limit + arena.blockSize);
        arena.current = arena.current->next;
    }
    const int32_t offset = arena.position - (arena.current->limit - arena.blockSize);
    arena.position += arena.elementSize;
    return elementsOf(arena.current) + offset;
}

void resetArena(BlockArena &arena)
{
    arena.current = arena.first;
    arena.position = 0;
}

void freeArena(BlockArena &arena)
{
    ArenaBlock *block = arena.first;
    while (block != nullptr) {
        ArenaBlock *next = block->next;
        std::free(block);
        block = next;
    }
    arena.first = nullptr;
    arena.current = nullptr;
    arena.position = 0;
}

} // namespace tamarind
