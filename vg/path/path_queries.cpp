// The four path queries: length and point along a range of segments, and the bounding box of the path in
// user space and through the path-user-to-surface matrix. All of them measure the flattened form built at
// one step per user unit, whatever scale the last draw used, through the vertex distances and the
// per-segment vertex ranges that flattening records.
#include <VG/openvg.h>

#include "flatten.h"
#include "path_checks.h"
#include "../context/call_frame.h"
#include "../context/saturating.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

using namespace tamarind;

namespace {

constexpr float kFailedLength = -1.0f;


bool isValidRange(const PathObject &path, VGint startSegment, VGint numSegments)
{
    return startSegment >= 0 && numSegments > 0 &&
           static_cast<int64_t>(saturatingAdd(startSegment, numSegments)) <= static_cast<int64_t>(path.segments.size());
}

bool isMisaligned(const void *pointer)
{
    return reinterpret_cast<uintptr_t>(pointer) % 4 != 0;
}

bool isBadOutput(const void *pointer)
{
    return pointer == nullptr || isMisaligned(pointer);
}

// The flattening every query reads.
void flattenForQuery(PathObject &path)
{
    setFlatteningScale(path, 1.0f);
    flattenPath(path);
}

// Cumulative distance of a vertex; index -1 (no geometry yet) counts as 0.
float distanceAt(const PathObject &path, int32_t index)
{
    return index < 0 ? 0.0f : path.vertices[static_cast<size_t>(index)].distance;
}

struct PointAndTangent {
    float x, y;
    float tangentX, tangentY;
};

PointAndTangent vertexAt(const PathObject &path, int32_t index)
{
    const FlatVertex &v = path.vertices[static_cast<size_t>(index)];
    return PointAndTangent{v.x, v.y, v.tangentX, v.tangentY};
}

// Point and (not yet normalised) tangent at `distance` from the start of segments s .. s+n-1.
PointAndTangent pointAlong(const PathObject &path, int32_t s, int32_t n, float distance)
{
    const PointAndTangent none{0.0f, 0.0f, 1.0f, 0.0f};
    if (path.vertices.empty())
        return none;
    const std::vector<SegmentVertexRange> &ranges = path.segmentRanges;
    int32_t a = ranges[static_cast<size_t>(s)].first;
    const int32_t b = ranges[static_cast<size_t>(s + n - 1)].last;
    if (a < 0 && b < 0)
        return none; // no geometry in or before the range
    if (a < 0)
        a = 0;
    const float target = path.vertices[static_cast<size_t>(a)].distance + distance;
    // NOTE: written as "not above" so that a NaN distance, for which every comparison fails, answers
    // like a distance of 0 or less: the range's first vertex.
    if (!(target > distanceAt(path, a)))
        return vertexAt(path, a);
    if (target >= distanceAt(path, b))
        return vertexAt(path, b);
    for (int32_t j = s; j < s + n; ++j) {
        const int32_t i = std::max(ranges[static_cast<size_t>(j)].first, 0);
        const int32_t k = std::max(ranges[static_cast<size_t>(j)].last, 0);
        if (i >= k || !(distanceAt(path, i) <= target && target < distanceAt(path, k)))
            continue;
        for (int32_t m = i; m < k; ++m) {
            const FlatVertex &p = path.vertices[static_cast<size_t>(m)];
            const FlatVertex &q = path.vertices[static_cast<size_t>(m) + 1];
            if (p.distance <= target && target < q.distance) {
                const float g = (target - p.distance) / (q.distance - p.distance);
                return PointAndTangent{(1.0f - g) * p.x + g * q.x, (1.0f - g) * p.y + g * q.y,
                                       (1.0f - g) * p.tangentX + g * q.tangentX,
                                       (1.0f - g) * p.tangentY + g * q.tangentY};
            }
        }
    }
    // Unreachable while distances never decrease; the range's first vertex keeps the answer defined.
    return vertexAt(path, a);
}

// Writes the four bounds results: the box (minX, minY)-(maxX, maxY), or 0, 0, -1, -1 when empty.
void writeBox(bool empty, float minX, float minY, float maxX, float maxY, VGfloat *outMinX, VGfloat *outMinY,
              VGfloat *outWidth, VGfloat *outHeight)
{
    if (empty) {
        *outMinX = 0.0f;
        *outMinY = 0.0f;
        *outWidth = -1.0f;
        *outHeight = -1.0f;
        return;
    }
    *outMinX = minX;
    *outMinY = minY;
    *outWidth = maxX - minX;
    *outHeight = maxY - minY;
}

} // namespace

// -1 is also the answer without a bound context: 0 would read as a valid length.
VGfloat vgPathLength(VGPath handle, VGint startSegment, VGint numSegments)
{
    return vgCall(kFailedLength, [&](VgContext &context) -> VGfloat {
        PathObject *path = pathWith(context, handle, VG_PATH_CAPABILITY_PATH_LENGTH);
        if (path == nullptr)
            return kFailedLength;
        if (!isValidRange(*path, startSegment, numSegments)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return kFailedLength;
        }
        flattenForQuery(*path);
        if (path->vertices.empty())
            return 0.0f;
        const int32_t first = path->segmentRanges[static_cast<size_t>(startSegment)].first;
        const int32_t last = path->segmentRanges[static_cast<size_t>(startSegment + numSegments - 1)].last;
        return distanceAt(*path, last) - distanceAt(*path, first);
    });
}

void vgPointAlongPath(VGPath handle, VGint startSegment, VGint numSegments, VGfloat distance, VGfloat *x, VGfloat *y,
                      VGfloat *tangentX, VGfloat *tangentY)
{
    vgCall([&](VgContext &context) {
        PathObject *path = isPath(context, handle);
        if (path == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return;
        }
        // Each output is written only as a pair, so a capability is needed only for a complete pair.
        const bool wantsPoint = x != nullptr && y != nullptr;
        const bool wantsTangent = tangentX != nullptr && tangentY != nullptr;
        if ((wantsPoint && (path->capabilities & VG_PATH_CAPABILITY_POINT_ALONG_PATH) == 0) ||
            (wantsTangent && (path->capabilities & VG_PATH_CAPABILITY_TANGENT_ALONG_PATH) == 0)) {
            recordError(context, VG_PATH_CAPABILITY_ERROR);
            return;
        }
        if (!isValidRange(*path, startSegment, numSegments) || isMisaligned(x) || isMisaligned(y) ||
            isMisaligned(tangentX) || isMisaligned(tangentY)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        flattenForQuery(*path);
        // The distance is used as passed: a NaN answers with the range's first vertex (see pointAlong).
        const PointAndTangent at = pointAlong(*path, startSegment, numSegments, distance);
        if (wantsPoint) {
            *x = at.x;
            *y = at.y;
        }
        if (wantsTangent) {
            const float length = std::sqrt(at.tangentX * at.tangentX + at.tangentY * at.tangentY);
            *tangentX = length > 0.0f ? at.tangentX / length : 0.0f;
            *tangentY = length > 0.0f ? at.tangentY / length : 0.0f;
        }
    });
}

void vgPathBounds(VGPath handle, VGfloat *minX, VGfloat *minY, VGfloat *width, VGfloat *height)
{
    vgCall([&](VgContext &context) {
        PathObject *path = pathWith(context, handle, VG_PATH_CAPABILITY_PATH_BOUNDS);
        if (path == nullptr)
            return;
        if (isBadOutput(minX) || isBadOutput(minY) || isBadOutput(width) || isBadOutput(height)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        flattenForQuery(*path);
        const float *b = path->userBounds;
        writeBox(path->vertices.empty(), b[0], b[1], b[2], b[3], minX, minY, width, height);
    });
}

void vgPathTransformedBounds(VGPath handle, VGfloat *minX, VGfloat *minY, VGfloat *width, VGfloat *height)
{
    vgCall([&](VgContext &context) {
        PathObject *path = pathWith(context, handle, VG_PATH_CAPABILITY_PATH_TRANSFORMED_BOUNDS);
        if (path == nullptr)
            return;
        if (isBadOutput(minX) || isBadOutput(minY) || isBadOutput(width) || isBadOutput(height)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        flattenForQuery(*path);
        if (path->vertices.empty()) {
            writeBox(true, 0.0f, 0.0f, 0.0f, 0.0f, minX, minY, width, height);
            return;
        }
        // The four corners of the user-space box through the full matrix, without a projective divide.
        const float *b = path->userBounds;
        const float cornersX[4] = {b[0], b[0], b[2], b[2]};
        const float cornersY[4] = {b[1], b[3], b[3], b[1]};
        float lowX = 0.0f, lowY = 0.0f, highX = 0.0f, highY = 0.0f;
        for (int i = 0; i < 4; ++i) {
            const Point3 p = transformHomogeneous(context.pathUserToSurface, cornersX[i], cornersY[i], 1.0f);
            lowX = i == 0 ? p.x : std::min(lowX, p.x);
            lowY = i == 0 ? p.y : std::min(lowY, p.y);
            highX = i == 0 ? p.x : std::max(highX, p.x);
            highY = i == 0 ? p.y : std::max(highY, p.y);
        }
        writeBox(false, lowX, lowY, highX, highY, minX, minY, width, height);
    });
}
