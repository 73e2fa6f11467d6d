// The scan converter: turns straight polygon edges in surface coordinates into a coverage value per pixel
// and hands the covered pixels, row by row from the clip box's first row and left to right within a row,
// to a sink (the pixel pipeline). Pixels are sampled on a square grid of 1, 2 x 2 or 8 x 8 samples,
// chosen by the context's rendering quality; coverage runs 1..256.
//
// Calling order within one draw: beginScanConversion, setScissorBoundaries (when scissoring), then per
// polygon addEdge for each edge and one scanConvert, with resetEdges between polygons, and
// endScanConversion last (also when an exception leaves the draw: it is safe to call at any point after
// beginScanConversion and more than once).
//
// The sink is a template parameter with three members:
//   void beginRow(int32_t row, const ScissorBoundary *rowBoundaries);
//       Called for every pixel row of the clip box, in increasing order, before the row's pixels.
//       rowBoundaries is the row's scissor boundary list in x order (follow `next`), or null when
//       scissoring is off or no boundary spans the row. A pixel x is inside the scissor region when the
//       directions of the boundaries with boundary x <= x sum to more than 0; the pixel stage walks the
//       list with a cursor and a running sum as x increases, both restarted here.
//   void shadePixel(int32_t x, int32_t coverage);
//       One pixel of the current row with coverage 1..256; x increases within a row.
//   void shadeSpan(int32_t x0, int32_t x1);
//       The pixels x0 <= x < x1 of the current row, each with coverage 256, left to right; it means
//       exactly shadePixel(x, 256) for each x in order.
//
// Guard band: coordinates are held in 20.12 fixed point of subsample units, so geometry far outside the
// surface would overflow. Each edge is first cut to a band of kGuardBand pixels around the clip box: a
// part left or right of the band becomes a vertical edge on the band's side (the winding of every pixel
// inside the band is unchanged), a part above or below the band is cut off (no row there is visited).
// Geometry inside the band is converted unchanged. The clip box's x range is limited to
// 0..kMaxClipCoordinate, so that every x in the band, scaled by 8 samples and by 4096, and every
// difference of two such x, fits in int32. Non-finite coordinates follow the library's float rule
// (NaN becomes 0, infinities the largest finite float) before the cut.
#ifndef TAMARIND_VG_RENDER_SCAN_CONVERTER_H
#define TAMARIND_VG_RENDER_SCAN_CONVERTER_H

#include "block_arena.h"
#include "scan_records.h"
#include "../context/matrix.h"
#include "../context/vg_context.h"

#include <cstdint>
#include <vector>

namespace tamarind {

constexpr int32_t kGuardBand = 16384;         // pixels around the clip box inside which edges are kept
constexpr int32_t kMaxClipCoordinate = 32767; // largest clip box x; band width x 8 x 4096 stays < 2^31
constexpr int32_t kMaxClipRow = 1 << 24;      // largest clip box y; (row + band) x 8 stays far below 2^31
constexpr int32_t kBoundariesPerBlock = 16;

// One side of a scissor rectangle, in a doubly linked list sorted by x.
struct ScissorBoundary {
    ScissorBoundary *previous;
    ScissorBoundary *next;
    int32_t x;         // pixel column where the side starts to count
    int32_t y0;        // first row spanned
    int32_t y1;        // row past the last
    int32_t direction; // +1 for the left side of a rectangle, -1 for the right side
};

// A heap block of boundary nodes with its own free list (linked through `next`).
struct ScissorBlock {
    ScissorBlock *next;
    ScissorBoundary *freeNodes;
    int32_t freeCount;
    ScissorBoundary nodes[kBoundariesPerBlock];
};

// Boundary nodes for one draw; every block is freed at its end.
struct ScissorBoundaryPool {
    ScissorBlock *blocks = nullptr;
    int32_t capacity = 0; // nodes in all blocks
    int32_t inUse = 0;    // nodes handed out and not released
};

struct ScanConverter {
    BlockArena *activeEdgeArena = nullptr;
    BlockArena *edgeArena = nullptr;
    BlockArena *intervalArena = nullptr;
    ScissorBoundaryPool boundaryPool;
    int32_t qualityCode = 6;  // 1 non-anti-aliased, 2 faster (2 x 2), 6 better (8 x 8)
    int32_t windingMask = 1;  // -1 for the non-zero rule, 1 for even-odd
    int32_t row = 0;          // current pixel row
    int32_t subsampleRow = 0; // current subsample row
    int32_t clipX0 = 0;       // clip box in pixels, half-open
    int32_t clipY0 = 0;
    int32_t clipX1 = 0;
    int32_t clipY1 = 0;
    int32_t subClipX0 = 0; // the clip box in subsample units
    int32_t subClipY0 = 0;
    int32_t subClipX1 = 0;
    int32_t subClipY1 = 0;
    int32_t sampleWeight = 4;                     // coverage of one sample: 256 / samplesPerAxis^2
    int32_t shift = 3;                            // log2 of samplesPerAxis
    int32_t samplesPerAxis = 8;                   // 1, 2 or 8
    int32_t subsampleMask = 7;                    // samplesPerAxis - 1
    EdgeRecord **buckets = nullptr;               // the context's edgeBuckets, one per subsample row
    ActiveEdge *activeEdges = nullptr;            // sorted by currentX
    ScissorBoundary *scissorBoundaries = nullptr; // every boundary, sorted by x
    ScissorBoundary *rowBoundaries = nullptr;     // copies of those spanning the current row
    uint8_t scissoring = 0;
    CoverageInterval *intervals = nullptr; // the current row's intervals, anti-aliased only
};

// Sets up a conversion over the clip box [x0, x1) x [y0, y1) with the context's rendering quality and
// storage; the rows are limited to those the context's bucket table holds.
void beginScanConversion(ScanConverter &converter, int32_t x0, int32_t y0, int32_t x1, int32_t y1, VgContext &context);
// Turns scissoring on with the union of the rectangles of positive size. Running out of memory ends the
// list silently; the rectangles taken so far stay in force.
void setScissorBoundaries(ScanConverter &converter, const std::vector<ScissorRect> &rects);
// Buckets the edge from (x0, y0) to (x1, y1), surface coordinates. Throws std::bad_alloc.
void addEdge(ScanConverter &converter, float x0, float y0, float x1, float y1);
inline void addEdge(ScanConverter &converter, Point2 p0, Point2 p1)
{
    addEdge(converter, p0.x, p0.y, p1.x, p1.y);
}
// Forgets the bucketed edges so that another polygon can be converted.
void resetEdges(ScanConverter &converter);
// Resets the arenas, clears the buckets and frees the boundary pool.
void endScanConversion(ScanConverter &converter);

// Helpers of scanConvert.
// Copies the boundaries spanning `row` into rowBoundaries (the pool always has room, see the .cpp).
void collectRowBoundaries(ScanConverter &converter, int32_t row);
// Returns the row's boundary copies to the pool.
void releaseRowBoundaries(ScanConverter &converter);
// Re-sorts the active edges by currentX (stable), then activates the bucket of the current subsample row.
void prepareActiveEdges(ScanConverter &converter);
// Counts the inside stretch [x0, x1) of the current subsample row once in the interval list. `cursor` is
// the interval where the previous stretch of the same walk ended (null for the first one).
void countStretch(ScanConverter &converter, int32_t x0, int32_t x1, CoverageInterval *&cursor);
// Empties the active edge list at the end of a conversion.
void dropActiveEdges(ScanConverter &converter);

// Removes `edge` from the list when it ends at the current subsample row, else steps it to the next row.
inline void advanceActiveEdge(ScanConverter &converter, ActiveEdge *edge)
{
    if (converter.subsampleRow + 1 < edge->yBottom) {
        edge->exactX += edge->slope;
        edge->currentX = (edge->exactX + 2048) >> 12; // round the 20.12 value to the nearest column
        return;
    }
    if (edge->previous != nullptr)
        edge->previous->next = edge->next;
    else
        converter.activeEdges = edge->next;
    if (edge->next != nullptr)
        edge->next->previous = edge->previous;
}

// Converts every bucketed edge under fillRule (VG_NON_ZERO or even-odd) and hands the pixels to sink.
// The buckets stay as they are; the active edge list is emptied at the end.
template <class Sink> void scanConvert(ScanConverter &converter, int32_t fillRule, Sink &sink)
{
    ScanConverter &c = converter;
    c.windingMask = fillRule == VG_NON_ZERO ? -1 : 1;
    for (int32_t y = c.clipY0; y < c.clipY1; ++y) {
        c.row = y;
        if (c.scissoring)
            collectRowBoundaries(c, y);
        sink.beginRow(y, c.rowBoundaries);

        if (c.samplesPerAxis == 1) {
            c.subsampleRow = y;
            prepareActiveEdges(c);
            int32_t sum = 0;
            int32_t previousX = 0;
            for (ActiveEdge *edge = c.activeEdges; edge != nullptr;) {
                ActiveEdge *next = edge->next;
                const int32_t x = edge->currentX;
                if ((sum & c.windingMask) != 0) {
                    const int32_t from = previousX > c.clipX0 ? previousX : c.clipX0;
                    const int32_t to = x < c.clipX1 ? x : c.clipX1;
                    if (from < to)
                        sink.shadeSpan(from, to);
                }
                sum += edge->direction;
                previousX = x;
                advanceActiveEdge(c, edge);
                edge = next;
            }
        } else {
            c.intervals = arenaNew<CoverageInterval>(*c.intervalArena);
            *c.intervals = CoverageInterval{nullptr, c.subClipX0, c.subClipX1, 0};
            c.subsampleRow = y << c.shift;
            for (int32_t s = 0; s < c.samplesPerAxis; ++s) {
                prepareActiveEdges(c);
                int32_t sum = 0;
                int32_t previousX = 0;
                CoverageInterval *cursor = nullptr;
                for (ActiveEdge *edge = c.activeEdges; edge != nullptr;) {
                    ActiveEdge *next = edge->next;
                    const int32_t x = edge->currentX;
                    if ((sum & c.windingMask) != 0)
                        countStretch(c, previousX, x, cursor);
                    sum += edge->direction;
                    previousX = x;
                    advanceActiveEdge(c, edge);
                    edge = next;
                }
                c.subsampleRow += 1;
            }

            // Intervals to pixels: partial pixels gather their samples in one pending pixel; the whole
            // pixels between an interval's ends are sent directly.
            bool pending = false;
            int32_t pendingX = 0;
            int32_t pendingSamples = 0;
            auto flush = [&] {
                if (pending)
                    sink.shadePixel(pendingX, pendingSamples * c.sampleWeight);
                pending = false;
            };
            auto addSamples = [&](int32_t x, int32_t samples) {
                if (pending && x != pendingX)
                    flush();
                if (!pending) {
                    pending = true;
                    pendingX = x;
                    pendingSamples = 0;
                }
                pendingSamples += samples;
            };
            for (const CoverageInterval *interval = c.intervals; interval != nullptr; interval = interval->next) {
                const int32_t n = interval->count;
                if (n == 0)
                    continue;
                int32_t j = interval->x0 >> c.shift;
                const int32_t end = interval->x1 >> c.shift;
                const int32_t f0 = interval->x0 & c.subsampleMask;
                const int32_t f1 = interval->x1 & c.subsampleMask;
                if (j == end) {
                    addSamples(j, n * (f1 - f0));
                    continue;
                }
                if (f0 > 0) {
                    addSamples(j, n * (c.samplesPerAxis - f0));
                    j += 1;
                }
                flush();
                // n of samplesPerAxis subsample rows cover the whole width of these pixels.
                const int32_t coverage = (n * 256) / c.samplesPerAxis;
                if (j < end) {
                    if (coverage == 256) {
                        sink.shadeSpan(j, end);
                    } else {
                        for (int32_t x = j; x < end; ++x)
                            sink.shadePixel(x, coverage);
                    }
                }
                if (f1 > 0)
                    addSamples(end, n * f1);
            }
            flush();
            c.intervals = nullptr;
            resetArena(*c.intervalArena);
        }

        if (c.scissoring)
            releaseRowBoundaries(c);
    }
    dropActiveEdges(c);
}

} // namespace tamarind

#endif
