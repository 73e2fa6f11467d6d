// The records the scan converter draws from its arenas: polygon edges bucketed by their top subsample
// row, the active edges of the current row, and the coverage intervals of anti-aliased rows.
#ifndef TAMARIND_VG_RENDER_SCAN_RECORDS_H
#define TAMARIND_VG_RENDER_SCAN_RECORDS_H

#include <cstdint>

namespace tamarind {

// One polygon edge; all coordinates in subsample units.
struct EdgeRecord {
    EdgeRecord *next; // next edge in the same bucket
    int32_t xTop;     // x at the upper end (the smaller y)
    int32_t yTop;
    int32_t xBottom;
    int32_t yBottom;   // exclusive
    int32_t direction; // +1 when given from smaller to larger y, else -1
};

// An edge crossing the current subsample row, in a doubly linked list sorted by currentX.
struct ActiveEdge {
    ActiveEdge *previous;
    ActiveEdge *next;
    int32_t xTop;
    int32_t yTop;
    int32_t xBottom;
    int32_t yBottom;
    int32_t direction;
    int32_t currentX; // subsample column
    int32_t slope;    // 20.12 fixed point: x change per subsample row
    int32_t exactX;   // 20.12 fixed point
};

// A half-open stretch [x0, x1) of subsample columns inside the shape in `count` subsample rows.
struct CoverageInterval {
    CoverageInterval *next;
    int32_t x0;
    int32_t x1;
    int32_t count;
};

constexpr int32_t kEdgesPerBlock = 128;
constexpr int32_t kActiveEdgesPerBlock = 64;
constexpr int32_t kIntervalsPerBlock = 32;
constexpr int32_t kMaxSamplesPerAxis = 8; // bucket rows per pixel row

} // namespace tamarind

#endif
