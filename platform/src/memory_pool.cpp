// A first-fit memory pool over a caller-supplied buffer. Blocks tile the pool without gaps; each starts
// with a 28-byte header whose links are 32-bit offsets from the pool start, so the layout is the same
// on 32- and 64-bit targets. Free blocks form a doubly linked list in no particular order.
#include "memory_pool.h"

#include "canvas_state.h"
#include "platform.h"

#include <cstddef>

namespace tamarind::platform {
namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu; // link value meaning "no block"
constexpr uint32_t kHeaderBytes = 28;

struct BlockHeader {
    uint16_t used;
    uint16_t reserved;
    uint32_t size; // payload bytes, a multiple of 4
    uint32_t tag;
    uint32_t prevPhys;
    uint32_t nextPhys;
    uint32_t prevFree;
    uint32_t nextFree;
};
static_assert(sizeof(BlockHeader) == kHeaderBytes);

struct PoolState {
    uint8_t *start = nullptr;
    uint32_t freeHead = kNone;
    int32_t size = 0;
};

PoolState pool;

BlockHeader &block(uint32_t offset)
{
    return *reinterpret_cast<BlockHeader *>(pool.start + offset);
}

uint32_t offsetOf(const BlockHeader &header)
{
    return static_cast<uint32_t>(reinterpret_cast<const uint8_t *>(&header) - pool.start);
}

void unlinkFree(BlockHeader &b)
{
    if (b.prevFree != kNone)
        block(b.prevFree).nextFree = b.nextFree;
    else
        pool.freeHead = b.nextFree;
    if (b.nextFree != kNone)
        block(b.nextFree).prevFree = b.prevFree;
}

void pushFree(BlockHeader &b)
{
    b.prevFree = kNone;
    b.nextFree = pool.freeHead;
    if (pool.freeHead != kNone)
        block(pool.freeHead).prevFree = offsetOf(b);
    pool.freeHead = offsetOf(b);
}

// Appends `upper` (the block just above `lower` in memory) to `lower`.
void absorb(BlockHeader &lower, BlockHeader &upper)
{
    lower.size += upper.size + kHeaderBytes;
    lower.nextPhys = upper.nextPhys;
    if (upper.nextPhys != kNone)
        block(upper.nextPhys).prevPhys = offsetOf(lower);
}

} // namespace

int32_t poolSize()
{
    return pool.size;
}

int32_t poolFreeBytes()
{
    if (pool.size == 0)
        return -1;
    int64_t total = 0;
    for (uint32_t at = 0; at != kNone; at = block(at).nextPhys)
        if (!block(at).used)
            total += block(at).size;
    return static_cast<int32_t>(total);
}

int32_t poolUsedBytes()
{
    if (pool.size == 0)
        return -1;
    int64_t total = 0;
    for (uint32_t at = 0; at != kNone; at = block(at).nextPhys)
        total += kHeaderBytes + (block(at).used ? block(at).size : 0);
    return static_cast<int32_t>(total);
}

} // namespace tamarind::platform

using namespace tamarind::platform;

int goMemCreate(void *buffer, int size)
{
    const uintptr_t base = reinterpret_cast<uintptr_t>(buffer);
    const uintptr_t start = (base + 3) & ~uintptr_t{3};
    const intptr_t end = static_cast<intptr_t>((base + static_cast<intptr_t>(size)) & ~uintptr_t{3});
    if (start == 0 || end - static_cast<intptr_t>(start) <= static_cast<intptr_t>(kHeaderBytes))
        return -1;
    pool.start = reinterpret_cast<uint8_t *>(start);
    pool.size = static_cast<int32_t>(end - static_cast<intptr_t>(start));
    BlockHeader &first = block(0);
    first = BlockHeader{0, 0, static_cast<uint32_t>(pool.size) - kHeaderBytes, 0, kNone, kNone, kNone, kNone};
    pool.freeHead = 0;
    return 0;
}

void *goMalloc(unsigned int size, unsigned int tag)
{
    const uint64_t wanted = (uint64_t{size} + 3) & ~uint64_t{3}; // 64-bit: no wrap to 0 near UINT_MAX
    uint32_t at = pool.freeHead;
    while (at != kNone && block(at).size < wanted)
        at = block(at).nextFree;
    if (at == kNone) {
        setLastError(GO_ERROR_NO_MEMORY);
        return nullptr;
    }
    BlockHeader &found = block(at);
    const uint32_t b = static_cast<uint32_t>(wanted);
    if (uint64_t{found.size} > wanted + kHeaderBytes) {
        const uint32_t splitAt = at + kHeaderBytes + b;
        BlockHeader &rest = block(splitAt);
        rest = BlockHeader{0, 0, found.size - b - kHeaderBytes, 0, at, found.nextPhys, found.prevFree, found.nextFree};
        if (found.nextPhys != kNone)
            block(found.nextPhys).prevPhys = splitAt;
        if (found.prevFree != kNone)
            block(found.prevFree).nextFree = splitAt;
        else
            pool.freeHead = splitAt;
        if (found.nextFree != kNone)
            block(found.nextFree).prevFree = splitAt;
        found.size = b;
        found.nextPhys = splitAt;
    } else {
        unlinkFree(found);
    }
    found.used = 1;
    found.tag = tag;
    return pool.start + at + kHeaderBytes;
}

int goFree(void *payload)
{
    if (payload == nullptr)
        return 0;
    BlockHeader *h = reinterpret_cast<BlockHeader *>(static_cast<uint8_t *>(payload) - kHeaderBytes);
    if (h->prevPhys != kNone && !block(h->prevPhys).used) {
        BlockHeader &prev = block(h->prevPhys);
        absorb(prev, *h);
        h = &prev;
    } else {
        h->used = 0;
        pushFree(*h);
    }
    if (h->nextPhys != kNone && !block(h->nextPhys).used) {
        BlockHeader &next = block(h->nextPhys);
        unlinkFree(next);
        absorb(*h, next);
    }
    return 0;
}
