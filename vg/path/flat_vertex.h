// The flattened form of a path: polyline vertices with position, unit tangent, cumulative distance and
// flags, and the vertex range each path segment produced. Fills, strokes and queries all consume it.
#ifndef TAMARIND_VG_PATH_FLAT_VERTEX_H
#define TAMARIND_VG_PATH_FLAT_VERTEX_H

#include <cstdint>

namespace tamarind {

constexpr int32_t FLAT_SUBPATH_START = 1;  // start vertex of the first segment of a subpath with extent
constexpr int32_t FLAT_SUBPATH_END = 2;    // last vertex of a subpath's own segments
constexpr int32_t FLAT_SEGMENT_START = 4;  // first vertex of a segment or closing pair: no edge leads in
constexpr int32_t FLAT_SEGMENT_END = 8;    // last vertex of a segment or closing pair
constexpr int32_t FLAT_CLOSE = 16;         // both vertices of the closing pair of a VG_CLOSE_PATH
constexpr int32_t FLAT_IMPLICIT_CLOSE = 32; // both vertices of the pair that closes an open subpath for filling

struct FlatVertex {
    float x, y;               // path user space
    float tangentX, tangentY; // unit direction of travel
    float distance;           // path length from the first vertex, over all subpaths
    int32_t flags;
};

struct SegmentVertexRange {
    int32_t first; // index of the first vertex the segment produced (or the vertex before it)
    int32_t last;
};

} // namespace tamarind

#endif
