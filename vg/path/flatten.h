// Flattening: turns a path's segments into its cached polyline form (FlatVertex records with tangents,
// distances and flags, and one SegmentVertexRange per segment). Curves are divided by the path's
// flattening scale; arcs always take 256 steps.
#ifndef TAMARIND_VG_PATH_FLATTEN_H
#define TAMARIND_VG_PATH_FLATTEN_H

#include "path_object.h"

namespace tamarind {

// Stores a new flattening scale; a different value discards the cached form.
void setFlatteningScale(PathObject &path, float scale);

// Builds the flattened form if it is not cached. std::bad_alloc leaves no half-built form behind.
void flattenPath(PathObject &path);

} // namespace tamarind

#endif
