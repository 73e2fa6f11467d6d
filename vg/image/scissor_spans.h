// The union of the scissor rectangles as horizontal spans per row. Each rectangle of positive size gives
// a left boundary (+1) and a right boundary (-1); walking a row left to right, a pixel is inside when the
// directions of the boundaries at or left of it (among those spanning the row) sum to non-zero. Used by
// the clear and the scissored surface writes; the scan converter applies the same rule.
#ifndef TAMARIND_VG_IMAGE_SCISSOR_SPANS_H
#define TAMARIND_VG_IMAGE_SCISSOR_SPANS_H

#include "../context/vg_context.h"

#include <cstdint>
#include <vector>

namespace tamarind {

struct ScissorEdge {
    int32_t x;
    int32_t y0; // first row
    int32_t y1; // row past the last
    int32_t direction;
};

// Boundaries of every rectangle with positive size, sorted by x (stable); sums saturate at INT32_MAX.
std::vector<ScissorEdge> scissorEdges(const std::vector<ScissorRect> &rects);

// Calls visit(xStart, xEnd) for runs [xStart, xEnd) that together cover exactly the pixels of `row` inside
// both the scissor union and [x0, x1), once each, left to right.
template <class Visit>
void forEachScissorSpan(const std::vector<ScissorEdge> &edges, int32_t row, int32_t x0, int32_t x1, Visit &&visit)
{
    int32_t sum = 0;
    int64_t runStart = x0;
    for (const ScissorEdge &edge : edges) {
        if (row < edge.y0 || row >= edge.y1)
            continue;
        // Pixels from runStart up to edge.x - 1 have the current sum.
        const int64_t end = edge.x < x1 ? edge.x : x1;
        if (sum != 0 && end > runStart)
            visit(static_cast<int32_t>(runStart), static_cast<int32_t>(end));
        if (edge.x > runStart)
            runStart = edge.x;
        if (runStart >= x1)
            return;
        sum += edge.direction;
    }
    if (sum != 0 && runStart < x1)
        visit(static_cast<int32_t>(runStart), x1);
}

} // namespace tamarind

#endif
