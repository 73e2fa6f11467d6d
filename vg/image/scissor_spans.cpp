// Scissor boundaries from the context's rectangles.
#include "scissor_spans.h"

#include "../context/saturating.h"

#include <algorithm>

namespace tamarind {

std::vector<ScissorEdge> scissorEdges(const std::vector<ScissorRect> &rects)
{
    std::vector<ScissorEdge> edges;
    edges.reserve(rects.size() * 2);
    for (const ScissorRect &r : rects) {
        if (r.width <= 0 || r.height <= 0)
            continue;
        const int32_t bottom = saturatingAdd(r.y, r.height);
        edges.push_back({r.x, r.y, bottom, +1});
        edges.push_back({saturatingAdd(r.x, r.width), r.y, bottom, -1});
    }
    std::stable_sort(edges.begin(), edges.end(),
                     [](const ScissorEdge &a, const ScissorEdge &b) { return a.x < b.x; });
    return edges;
}

} // namespace tamarind
