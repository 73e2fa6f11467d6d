// The scan converter's set-up, edge bucketing with the guard band, scissor boundaries and the row helpers
// of scanConvert (the pixel loop itself is a template in the header).
#include "scan_converter.h"

#include "../context/float_rules.h"
#include "../context/saturating.h"

#include <algorithm>
#include <new>
#include <utility>

namespace tamarind {
namespace {

// ---- Scissor boundary pool ----

// Adds one block of free nodes; false when the heap refuses.
bool addBoundaryBlock(ScissorBoundaryPool &pool)
{
    ScissorBlock *block = nullptr;
    try {
        block = new ScissorBlock;
    } catch (const std::bad_alloc &) {
        return false;
    }
    block->freeNodes = nullptr;
    for (int32_t i = kBoundariesPerBlock - 1; i >= 0; --i) {
        block->nodes[i].next = block->freeNodes;
        block->freeNodes = &block->nodes[i];
    }
    block->freeCount = kBoundariesPerBlock;
    block->next = pool.blocks;
    pool.blocks = block;
    pool.capacity += kBoundariesPerBlock;
    return true;
}

// Grows the pool to hold at least `count` nodes; false when the heap refuses.
bool reserveBoundaries(ScissorBoundaryPool &pool, int32_t count)
{
    while (pool.capacity < count) {
        if (!addBoundaryBlock(pool))
            return false;
    }
    return true;
}

// A free node; the caller has reserved room, so one always exists.
ScissorBoundary *takeBoundary(ScissorBoundaryPool &pool)
{
    ScissorBlock *block = pool.blocks;
    while (block->freeCount == 0)
        block = block->next;
    ScissorBoundary *node = block->freeNodes;
    block->freeNodes = node->next;
    block->freeCount -= 1;
    pool.inUse += 1;
    return node;
}

// Returns a node to the free list of the block it belongs to.
void releaseBoundary(ScissorBoundaryPool &pool, ScissorBoundary *node)
{
    ScissorBlock *block = pool.blocks;
    while (!(node >= block->nodes && node < block->nodes + kBoundariesPerBlock))
        block = block->next;
    node->next = block->freeNodes;
    block->freeNodes = node;
    block->freeCount += 1;
    pool.inUse -= 1;
}

void freeBoundaryPool(ScissorBoundaryPool &pool)
{
    ScissorBlock *block = pool.blocks;
    while (block != nullptr) {
        ScissorBlock *next = block->next;
        delete block;
        block = next;
    }
    pool = ScissorBoundaryPool{};
}

// Inserts `node` into the x-sorted list, searching from `last` (the node inserted before); a node goes
// after the nodes of equal x, so equal boundaries keep their insertion order.
void insertBoundary(ScanConverter &c, ScissorBoundary *node, ScissorBoundary *last)
{
    if (c.scissorBoundaries == nullptr) {
        node->previous = nullptr;
        node->next = nullptr;
        c.scissorBoundaries = node;
        return;
    }
    ScissorBoundary *at = last;
    if (node->x >= at->x) {
        while (at->next != nullptr && at->next->x <= node->x)
            at = at->next;
        node->previous = at;
        node->next = at->next;
        if (at->next != nullptr)
            at->next->previous = node;
        at->next = node;
    } else {
        while (at->previous != nullptr && at->previous->x > node->x)
            at = at->previous;
        node->next = at;
        node->previous = at->previous;
        if (at->previous != nullptr)
            at->previous->next = node;
        else
            c.scissorBoundaries = node;
        at->previous = node;
    }
}

void clearBuckets(ScanConverter &c)
{
    if (c.buckets != nullptr)
        std::fill(c.buckets, c.buckets + static_cast<size_t>(c.subClipY1 - c.subClipY0), nullptr);
}

// ---- Edges ----

// The written bucketing rule for an edge already inside the guard band (pixel coordinates).
void bucketEdge(ScanConverter &c, double x0, double y0, double x1, double y1)
{
    // Subsample units, truncated toward zero; exact for float input since samplesPerAxis is a power of 2.
    const int32_t sx0 = static_cast<int32_t>(x0 * c.samplesPerAxis);
    const int32_t sy0 = static_cast<int32_t>(y0 * c.samplesPerAxis);
    const int32_t sx1 = static_cast<int32_t>(x1 * c.samplesPerAxis);
    const int32_t sy1 = static_cast<int32_t>(y1 * c.samplesPerAxis);
    if (sy0 == sy1)
        return;
    const bool downward = sy0 < sy1; // given from smaller to larger y
    const int32_t yTop = downward ? sy0 : sy1;
    const int32_t yBottom = downward ? sy1 : sy0;
    if (yTop >= c.subClipY1 || yBottom <= c.subClipY0)
        return;
    EdgeRecord *edge = arenaNew<EdgeRecord>(*c.edgeArena);
    edge->xTop = downward ? sx0 : sx1;
    edge->yTop = yTop;
    edge->xBottom = downward ? sx1 : sx0;
    edge->yBottom = yBottom;
    edge->direction = downward ? 1 : -1;
    EdgeRecord *&bucket = c.buckets[std::max(yTop - c.subClipY0, 0)];
    edge->next = bucket;
    bucket = edge;
}

// x on the line through (ax, ay) and (bx, by) at height y (ay != by).
double xAtY(double ax, double ay, double bx, double by, double y)
{
    return ax + (bx - ax) * ((y - ay) / (by - ay));
}

double yAtX(double ax, double ay, double bx, double by, double x)
{
    return ay + (by - ay) * ((x - ax) / (bx - ax));
}

// ---- Active edges and intervals ----

// Inserts `edge` into the active list at its place by currentX.
void insertActiveEdge(ScanConverter &c, ActiveEdge *edge)
{
    ActiveEdge *before = nullptr;
    ActiveEdge *after = c.activeEdges;
    while (after != nullptr && after->currentX < edge->currentX) {
        before = after;
        after = after->next;
    }
    edge->previous = before;
    edge->next = after;
    if (before != nullptr)
        before->next = edge;
    else
        c.activeEdges = edge;
    if (after != nullptr)
        after->previous = edge;
}

// Stable insertion sort of the active list by currentX.
void sortActiveEdges(ScanConverter &c)
{
    if (c.activeEdges == nullptr)
        return;
    ActiveEdge *edge = c.activeEdges->next;
    while (edge != nullptr) {
        ActiveEdge *next = edge->next;
        if (edge->previous->currentX > edge->currentX) {
            ActiveEdge *at = edge->previous;
            // Unlink, then walk back past every larger key.
            at->next = next;
            if (next != nullptr)
                next->previous = at;
            while (at != nullptr && at->currentX > edge->currentX)
                at = at->previous;
            edge->previous = at;
            if (at != nullptr) {
                edge->next = at->next;
                at->next = edge;
            } else {
                edge->next = c.activeEdges;
                c.activeEdges = edge;
            }
            edge->next->previous = edge;
        }
        edge = next;
    }
}

// A new interval [x, of->x1) with of's count; `of` ends at x.
CoverageInterval *splitInterval(ScanConverter &c, CoverageInterval *of, int32_t x)
{
    CoverageInterval *rest = arenaNew<CoverageInterval>(*c.intervalArena);
    *rest = CoverageInterval{of->next, x, of->x1, of->count};
    of->x1 = x;
    of->next = rest;
    return rest;
}

} // namespace

void beginScanConversion(ScanConverter &converter, int32_t x0, int32_t y0, int32_t x1, int32_t y1, VgContext &context)
{
    ScanConverter &c = converter;
    c.activeEdgeArena = &context.activeEdgeArena;
    c.edgeArena = &context.edgeArena;
    c.intervalArena = &context.intervalArena;
    c.boundaryPool = ScissorBoundaryPool{};
    switch (context.renderingQuality) {
    case VG_RENDERING_QUALITY_NONANTIALIASED:
        c.qualityCode = 1;
        break;
    case VG_RENDERING_QUALITY_FASTER:
        c.qualityCode = 2;
        break;
    default:
        c.qualityCode = 6;
        break;
    }
    c.windingMask = 1;
    c.shift = c.qualityCode >> 1;
    c.samplesPerAxis = 1 << c.shift;
    c.subsampleMask = c.samplesPerAxis - 1;
    c.sampleWeight = 256 / (c.samplesPerAxis * c.samplesPerAxis);

    // Keep the fixed-point range (see the header) and the rows the bucket table holds.
    c.clipX0 = std::clamp(x0, 0, kMaxClipCoordinate);
    c.clipX1 = std::clamp(x1, c.clipX0, kMaxClipCoordinate);
    c.clipY0 = std::clamp(y0, 0, kMaxClipRow);
    const int64_t tableRows = static_cast<int64_t>(context.edgeBuckets.size()) / kMaxSamplesPerAxis;
    c.clipY1 =
        static_cast<int32_t>(std::clamp<int64_t>(y1, c.clipY0, std::min<int64_t>(c.clipY0 + tableRows, kMaxClipRow)));
    c.subClipX0 = c.clipX0 * c.samplesPerAxis;
    c.subClipY0 = c.clipY0 * c.samplesPerAxis;
    c.subClipX1 = c.clipX1 * c.samplesPerAxis;
    c.subClipY1 = c.clipY1 * c.samplesPerAxis;
    c.row = c.clipY0;
    c.subsampleRow = c.subClipY0;

    c.buckets = context.edgeBuckets.data();
    c.activeEdges = nullptr;
    c.scissorBoundaries = nullptr;
    c.rowBoundaries = nullptr;
    c.scissoring = 0;
    c.intervals = nullptr;
    clearBuckets(c);
    // A draw that left by an exception may not have reset them.
    resetArena(*c.edgeArena);
    resetArena(*c.activeEdgeArena);
    resetArena(*c.intervalArena);
}

void setScissorBoundaries(ScanConverter &converter, const std::vector<ScissorRect> &rects)
{
    ScanConverter &c = converter;
    c.scissoring = 1;
    int32_t count = 0; // boundaries in the list
    ScissorBoundary *last = nullptr;
    for (const ScissorRect &r : rects) {
        if (r.width <= 0 || r.height <= 0)
            continue;
        // Room for both sides of the rectangle at once (a lone left side would open the region to the
        // right), plus one spare node per boundary for the row copies, so scanConvert never runs short.
        if (!reserveBoundaries(c.boundaryPool, 2 * (count + 2)))
            return;
        const int32_t y1 = saturatingAdd(r.y, r.height);
        ScissorBoundary *left = takeBoundary(c.boundaryPool);
        ScissorBoundary *right = takeBoundary(c.boundaryPool);
        *left = ScissorBoundary{nullptr, nullptr, r.x, r.y, y1, +1};
        *right = ScissorBoundary{nullptr, nullptr, saturatingAdd(r.x, r.width), r.y, y1, -1};
        insertBoundary(c, left, last);
        insertBoundary(c, right, left);
        last = right;
        count += 2;
    }
}

void addEdge(ScanConverter &converter, float x0f, float y0f, float x1f, float y1f)
{
    ScanConverter &c = converter;
    double x0 = sanitizeFloat(x0f);
    double y0 = sanitizeFloat(y0f);
    double x1 = sanitizeFloat(x1f);
    double y1 = sanitizeFloat(y1f);
    if (y0 == y1)
        return; // horizontal: equal subsample rows whatever the quality
    const double bandX0 = static_cast<double>(c.clipX0) - kGuardBand;
    const double bandX1 = static_cast<double>(c.clipX1) + kGuardBand;
    const double bandY0 = static_cast<double>(c.clipY0) - kGuardBand;
    const double bandY1 = static_cast<double>(c.clipY1) + kGuardBand;
    if ((y0 < bandY0 && y1 < bandY0) || (y0 > bandY1 && y1 > bandY1))
        return; // no visited row

    // Cut off the parts above and below the band, both ends from the original line.
    const double ox0 = x0, oy0 = y0, ox1 = x1, oy1 = y1;
    for (int end = 0; end < 2; ++end) {
        double &x = end == 0 ? x0 : x1;
        double &y = end == 0 ? y0 : y1;
        const double limit = y < bandY0 ? bandY0 : (y > bandY1 ? bandY1 : y);
        if (limit != y) {
            x = xAtY(ox0, oy0, ox1, oy1, limit);
            y = limit;
        }
    }

    // Split where the line crosses the band's sides; the pieces beyond a side are moved onto it.
    double xs[4] = {x0, 0, 0, 0};
    double ys[4] = {y0, 0, 0, 0};
    int points = 1;
    double crossings[2];
    int crossingCount = 0;
    for (double side : {bandX0, bandX1}) {
        if ((x0 < side && x1 > side) || (x0 > side && x1 < side))
            crossings[crossingCount++] = side;
    }
    // Order the crossings from the (x0, y0) end.
    if (crossingCount == 2 && (x0 > x1))
        std::swap(crossings[0], crossings[1]);
    for (int i = 0; i < crossingCount; ++i) {
        xs[points] = crossings[i];
        ys[points] = std::clamp(yAtX(x0, y0, x1, y1, crossings[i]), std::min(y0, y1), std::max(y0, y1));
        points += 1;
    }
    xs[points] = x1;
    ys[points] = y1;
    points += 1;
    for (int i = 0; i + 1 < points; ++i) {
        bucketEdge(c, std::clamp(xs[i], bandX0, bandX1), ys[i], std::clamp(xs[i + 1], bandX0, bandX1), ys[i + 1]);
    }
}

void resetEdges(ScanConverter &converter)
{
    resetArena(*converter.edgeArena);
    clearBuckets(converter);
}

void endScanConversion(ScanConverter &converter)
{
    ScanConverter &c = converter;
    if (c.edgeArena == nullptr)
        return; // never begun
    resetArena(*c.edgeArena);
    resetArena(*c.activeEdgeArena);
    resetArena(*c.intervalArena);
    clearBuckets(c);
    freeBoundaryPool(c.boundaryPool);
    c.activeEdges = nullptr;
    c.scissorBoundaries = nullptr;
    c.rowBoundaries = nullptr;
    c.intervals = nullptr;
}

void collectRowBoundaries(ScanConverter &converter, int32_t row)
{
    ScanConverter &c = converter;
    // setScissorBoundaries left one free node per boundary, so takeBoundary cannot run short.
    ScissorBoundary *tail = nullptr;
    for (const ScissorBoundary *b = c.scissorBoundaries; b != nullptr; b = b->next) {
        if (row < b->y0 || row >= b->y1)
            continue;
        ScissorBoundary *copy = takeBoundary(c.boundaryPool);
        *copy = ScissorBoundary{tail, nullptr, b->x, b->y0, b->y1, b->direction};
        if (tail != nullptr)
            tail->next = copy;
        else
            c.rowBoundaries = copy;
        tail = copy;
    }
}

void releaseRowBoundaries(ScanConverter &converter)
{
    ScissorBoundary *node = converter.rowBoundaries;
    while (node != nullptr) {
        ScissorBoundary *next = node->next;
        releaseBoundary(converter.boundaryPool, node);
        node = next;
    }
    converter.rowBoundaries = nullptr;
}

void prepareActiveEdges(ScanConverter &converter)
{
    ScanConverter &c = converter;
    sortActiveEdges(c);
    const int32_t row = c.subsampleRow;
    for (const EdgeRecord *record = c.buckets[row - c.subClipY0]; record != nullptr; record = record->next) {
        ActiveEdge *edge = arenaNew<ActiveEdge>(*c.activeEdgeArena);
        edge->xTop = record->xTop;
        edge->yTop = record->yTop;
        edge->xBottom = record->xBottom;
        edge->yBottom = record->yBottom;
        edge->direction = record->direction;
        // 64-bit intermediates: the guard band keeps the results, not the products, inside int32.
        const int64_t slope =
            static_cast<int64_t>(record->xBottom - record->xTop) * 4096 / (record->yBottom - record->yTop);
        int64_t exactX = static_cast<int64_t>(record->xTop) * 4096;
        if (row != record->yTop) // an edge that starts above the clip box enters at its first row
            exactX += slope * (row - record->yTop);
        edge->slope = static_cast<int32_t>(slope);
        edge->exactX = static_cast<int32_t>(exactX);
        edge->currentX = (edge->exactX + 2048) >> 12; // nearest column
        insertActiveEdge(c, edge);
    }
}

void countStretch(ScanConverter &converter, int32_t x0, int32_t x1, CoverageInterval *&cursor)
{
    ScanConverter &c = converter;
    // Parts outside the clip range fall off the ends of the list.
    const int32_t from = std::max(x0, c.subClipX0);
    const int32_t to = std::min(x1, c.subClipX1);
    if (from >= to)
        return;
    // Stretches of one walk come in increasing x, so the search resumes where the last one ended.
    CoverageInterval *interval = cursor != nullptr ? cursor : c.intervals;
    while (interval->x1 <= from)
        interval = interval->next;
    if (interval->x0 < from)
        interval = splitInterval(c, interval, from);
    for (;;) {
        if (interval->x1 > to)
            splitInterval(c, interval, to);
        interval->count += 1;
        if (interval->x1 == to)
            break;
        interval = interval->next;
    }
    cursor = interval;
}

void dropActiveEdges(ScanConverter &converter)
{
    converter.activeEdges = nullptr;
    resetArena(*converter.activeEdgeArena);
}

} // namespace tamarind
