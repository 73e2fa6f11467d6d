// vgTransformPath and vgInterpolatePath: new geometry built from source paths and appended to a
// destination. Output is staged in fresh arrays from the unchanged inputs and installed only at the end,
// so the destination may also be a source and an allocation failure leaves it as it was.
#include <VG/openvg.h>

#include "path_transform.h"
#include "vector2.h"
#include "../context/call_frame.h"
#include "../context/float_rules.h"
#include "../context/storage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using namespace tamarind;

namespace {


constexpr float kPi = 3.1415927f;
constexpr float kOneThird = 0.33333334f;

bool isArc(int32_t command)
{
    return command >= kSCCWArcTo && command <= kLCWArcTo;
}

uint8_t segmentByte(int32_t command)
{
    return static_cast<uint8_t>(command << 1);
}

// Writes computed coordinates one after another into a destination coordinate array, in the
// destination's datatype, scale and bias.
struct CoordinateWriter {
    uint8_t *storage;
    int32_t next; // element index of the next write
    int32_t datatype;
    float scale;
    float bias;
};

void put(CoordinateWriter &out, float value)
{
    writeCoordinate(out.storage, out.next, out.datatype, out.scale, out.bias, value);
    out.next += 1;
}

// New segment and coordinate arrays that start with copies of the destination's own, with room for
// `extraCoordinates` more elements in the destination's datatype.
struct StagedPath {
    std::vector<uint8_t> segments;
    std::vector<uint8_t> coordinates;
};

StagedPath stageAppend(const PathObject &dst, size_t extraSegments, int64_t extraCoordinates)
{
    StagedPath staged;
    staged.segments.reserve(checkedByteSize(static_cast<uint64_t>(dst.segments.size()) + extraSegments, 1));
    staged.segments.assign(dst.segments.begin(), dst.segments.end());
    const uint64_t total = static_cast<uint64_t>(coordinateCountOf(dst)) + static_cast<uint64_t>(extraCoordinates);
    staged.coordinates.resize(checkedByteSize(total, static_cast<uint64_t>(elementWidth(dst.datatype))));
    if (!dst.coordinates.empty())
        std::memcpy(staged.coordinates.data(), dst.coordinates.data(), dst.coordinates.size());
    return staged;
}

CoordinateWriter writerAfterExisting(const PathObject &dst, StagedPath &staged)
{
    return CoordinateWriter{staged.coordinates.data(), coordinateCountOf(dst), dst.datatype, dst.scale, dst.bias};
}

// Replaces the destination's arrays (the moves cannot fail) and discards its flattened form.
void install(PathObject &dst, StagedPath &staged)
{
    dst.segments = std::move(staged.segments);
    dst.coordinates = std::move(staged.coordinates);
    discardFlattening(dst);
}

// Coordinates a transformed source segment writes: horizontal and vertical lines become full lines.
int64_t transformedCoordinateCount(const PathObject &src)
{
    int64_t count = 0;
    for (uint8_t byte : src.segments) {
        const int32_t command = segmentCommand(byte);
        count += (command == kHLineTo || command == kVLineTo) ? 2 : coordinateCount(command);
    }
    return count;
}

// Walks the source in its own user space (current point and subpath start, both from (0, 0)) and writes
// every segment absolute, each point mapped affinely by t.
void transformSegments(const PathObject &src, const Matrix3 &t, std::vector<uint8_t> &segments, CoordinateWriter &out)
{
    float currentX = 0.0f, currentY = 0.0f;
    float startX = 0.0f, startY = 0.0f;
    int32_t index = 0;
    const auto putPoint = [&](float x, float y) {
        const Point2 p = transformPoint(t, x, y);
        put(out, p.x);
        put(out, p.y);
    };
    for (uint8_t byte : src.segments) {
        const int32_t command = segmentCommand(byte);
        const bool relative = segmentIsRelative(byte);
        const float offsetX = relative ? currentX : 0.0f;
        const float offsetY = relative ? currentY : 0.0f;
        const auto coordinate = [&](int32_t k) { return readCoordinate(src, index + k); };
        int32_t written = command;
        switch (command) {
        case kClosePath:
            currentX = startX;
            currentY = startY;
            break;
        case kHLineTo:
            currentX = coordinate(0) + offsetX;
            putPoint(currentX, currentY);
            written = kLineTo;
            break;
        case kVLineTo:
            currentY = coordinate(0) + offsetY;
            putPoint(currentX, currentY);
            written = kLineTo;
            break;
        case kMoveTo:
        case kLineTo:
        case kQuadTo:
        case kCubicTo:
        case kSQuadTo:
        case kSCubicTo: {
            // Control points and the end point alike; an affine map keeps the smooth forms' reflections.
            float x = 0.0f, y = 0.0f;
            for (int32_t k = 0; k < coordinateCount(command); k += 2) {
                x = coordinate(k) + offsetX;
                y = coordinate(k + 1) + offsetY;
                putPoint(x, y);
            }
            currentX = x;
            currentY = y;
            if (command == kMoveTo) {
                startX = x;
                startY = y;
            }
            break;
        }
        default: { // the four arcs: radii and rotation are never offset
            const ArcShape shape = transformArcShape(t, ArcShape{coordinate(0), coordinate(1), coordinate(2)});
            put(out, shape.rh);
            put(out, shape.rv);
            put(out, shape.rotation);
            currentX = coordinate(3) + offsetX;
            currentY = coordinate(4) + offsetY;
            putPoint(currentX, currentY);
            break;
        }
        }
        segments.push_back(segmentByte(written));
        index += coordinateCount(command);
    }
}

// Appends one float to a float coordinate array.
void appendFloat(std::vector<uint8_t> &coordinates, float value)
{
    uint8_t bytes[4];
    std::memcpy(bytes, &value, 4);
    coordinates.insert(coordinates.end(), bytes, bytes + 4);
}

int32_t normalizedCoordinateCount(int32_t command)
{
    switch (command) {
    case kHLineTo:
    case kVLineTo:
        return 2;
    case kQuadTo:
    case kSQuadTo:
    case kSCubicTo:
        return 6;
    default:
        return coordinateCount(command);
    }
}

// The cubic control points that reproduce the quadratic from `current` with control q to p.
void appendQuadAsCubic(std::vector<uint8_t> &coordinates, float currentX, float currentY, float qx, float qy, float px,
                       float py)
{
    appendFloat(coordinates, (currentX + 2.0f * qx) * kOneThird);
    appendFloat(coordinates, (currentY + 2.0f * qy) * kOneThird);
    appendFloat(coordinates, (px + 2.0f * qx) * kOneThird);
    appendFloat(coordinates, (py + 2.0f * qy) * kOneThird);
    appendFloat(coordinates, px);
    appendFloat(coordinates, py);
}

} // namespace

namespace tamarind {

ArcShape transformArcShape(const Matrix3 &m, ArcShape arc)
{
    // E maps the unit circle onto the source ellipse; M = m x E is the ellipse after the transform.
    const float a = arc.rotation * kPi / 180.0f;
    const float c = std::cos(a);
    const float s = std::sin(a);
    const Matrix3 e{{{arc.rh * c, -arc.rv * s, 0.0f}, {arc.rh * s, arc.rv * c, 0.0f}, {0.0f, 0.0f, 1.0f}}};
    const Matrix3 full = multiplyMatrix(m, e);

    // The linear part split into a rotation-like half h1 and a reflection-like half h2: the ellipse's
    // semi-axes are |h1| + |h2| and |h1| - |h2| (negative for a mirroring map), and the major axis lies
    // along the direction w.
    float ux = full.m[0][0], uy = full.m[1][0];
    float vx = full.m[1][1], vy = -full.m[0][1];
    const bool exchanged = vx * vx + vy * vy > ux * ux + uy * uy;
    if (exchanged) {
        std::swap(ux, vx);
        std::swap(uy, vy);
    }
    const Vector2 h1{(ux + vx) / 2.0f, (uy + vy) / 2.0f};
    const Vector2 h2{(ux - vx) / 2.0f, (uy - vy) / 2.0f};
    const float l1 = length(h1);
    const float l2 = length(h2);
    const Vector2 w = add(scale(h1, l2), scale(h2, l1));
    float angle = 0.0f;
    if (w.x != 0.0f || w.y != 0.0f) {
        // Clamped because rounding can push the normalised x a hair past 1, where acos has no value.
        angle = std::acos(std::clamp(normalize(w).x, -1.0f, 1.0f));
        if (w.y < 0.0f)
            angle = 6.2831855f - angle;
    }
    if (exchanged)
        angle += 1.5707964f;
    return ArcShape{l1 + l2, l1 - l2, angle * 180.0f / kPi};
}

void normalizeForInterpolation(const PathObject &source, PathObject &temporary)
{
    temporary.format = VG_PATH_FORMAT_STANDARD;
    temporary.datatype = VG_PATH_DATATYPE_F;
    temporary.scale = 1.0f;
    temporary.bias = 0.0f;
    temporary.segments.clear();
    temporary.coordinates.clear();
    discardFlattening(temporary);

    int64_t count = 0;
    for (uint8_t byte : source.segments)
        count += normalizedCoordinateCount(segmentCommand(byte));
    temporary.segments.reserve(source.segments.size());
    temporary.coordinates.reserve(checkedByteSize(static_cast<uint64_t>(count), 4));

    float currentX = 0.0f, currentY = 0.0f;
    float controlX = 0.0f, controlY = 0.0f; // last control point
    float startX = 0.0f, startY = 0.0f;
    int32_t index = 0;
    std::vector<uint8_t> &out = temporary.coordinates;
    for (uint8_t byte : source.segments) {
        const int32_t command = segmentCommand(byte);
        const bool relative = segmentIsRelative(byte);
        const float offsetX = relative ? currentX : 0.0f;
        const float offsetY = relative ? currentY : 0.0f;
        const auto x = [&](int32_t k) { return readCoordinate(source, index + k) + offsetX; };
        const auto y = [&](int32_t k) { return readCoordinate(source, index + k) + offsetY; };
        int32_t written = command;
        switch (command) {
        case kClosePath:
            currentX = controlX = startX;
            currentY = controlY = startY;
            break;
        case kMoveTo:
        case kLineTo:
        case kHLineTo:
        case kVLineTo: {
            const float px = command == kVLineTo ? currentX : x(0);
            const float py = command == kHLineTo ? currentY : (command == kVLineTo ? y(0) : y(1));
            appendFloat(out, px);
            appendFloat(out, py);
            currentX = controlX = px;
            currentY = controlY = py;
            if (command == kMoveTo) {
                startX = px;
                startY = py;
            } else {
                written = kLineTo;
            }
            break;
        }
        case kQuadTo:
        case kSQuadTo: {
            const bool smooth = command == kSQuadTo;
            const float qx = smooth ? 2.0f * currentX - controlX : x(0);
            const float qy = smooth ? 2.0f * currentY - controlY : y(1);
            const float px = smooth ? x(0) : x(2);
            const float py = smooth ? y(1) : y(3);
            appendQuadAsCubic(out, currentX, currentY, qx, qy, px, py);
            controlX = qx;
            controlY = qy;
            currentX = px;
            currentY = py;
            written = kCubicTo;
            break;
        }
        case kCubicTo:
        case kSCubicTo: {
            const bool smooth = command == kSCubicTo;
            const int32_t rest = smooth ? 0 : 2; // index of the second control point
            const float c1x = smooth ? 2.0f * currentX - controlX : x(0);
            const float c1y = smooth ? 2.0f * currentY - controlY : y(1);
            const float c2x = x(rest), c2y = y(rest + 1);
            const float px = x(rest + 2), py = y(rest + 3);
            for (float value : {c1x, c1y, c2x, c2y, px, py})
                appendFloat(out, value);
            controlX = c2x;
            controlY = c2y;
            currentX = px;
            currentY = py;
            written = kCubicTo;
            break;
        }
        default: { // the four arcs
            const float px = x(3), py = y(4);
            for (float value : {readCoordinate(source, index), readCoordinate(source, index + 1),
                                readCoordinate(source, index + 2), px, py})
                appendFloat(out, value);
            currentX = controlX = px;
            currentY = controlY = py;
            break;
        }
        }
        temporary.segments.push_back(segmentByte(written));
        index += coordinateCount(command);
    }
}

} // namespace tamarind

void vgTransformPath(VGPath dstPath, VGPath srcPath)
{
    vgCall([&](VgContext &context) {
        PathObject *dst = isPath(context, dstPath);
        PathObject *src = dst != nullptr ? isPath(context, srcPath) : nullptr;
        if (dst == nullptr || src == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return;
        }
        if ((dst->capabilities & VG_PATH_CAPABILITY_TRANSFORM_TO) == 0 ||
            (src->capabilities & VG_PATH_CAPABILITY_TRANSFORM_FROM) == 0) {
            recordError(context, VG_PATH_CAPABILITY_ERROR);
            return;
        }
        if (src->segments.empty())
            return;
        // The path-user-to-surface matrix whatever the matrix mode selects.
        StagedPath staged = stageAppend(*dst, src->segments.size(), transformedCoordinateCount(*src));
        CoordinateWriter out = writerAfterExisting(*dst, staged);
        transformSegments(*src, context.pathUserToSurface, staged.segments, out);
        install(*dst, staged);
    });
}

VGboolean vgInterpolatePath(VGPath dstPath, VGPath startPath, VGPath endPath, VGfloat amount)
{
    return vgCall<VGboolean>(VG_FALSE, [&](VgContext &context) -> VGboolean {
        PathObject *dst = isPath(context, dstPath);
        PathObject *start = dst != nullptr ? isPath(context, startPath) : nullptr;
        PathObject *end = start != nullptr ? isPath(context, endPath) : nullptr;
        if (end == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return VG_FALSE;
        }
        if ((dst->capabilities & VG_PATH_CAPABILITY_INTERPOLATE_TO) == 0 ||
            (start->capabilities & VG_PATH_CAPABILITY_INTERPOLATE_FROM) == 0 ||
            (end->capabilities & VG_PATH_CAPABILITY_INTERPOLATE_FROM) == 0) {
            recordError(context, VG_PATH_CAPABILITY_ERROR);
            return VG_FALSE;
        }
        // Not clamped: amounts outside [0, 1] extrapolate.
        const float t = sanitizeFloat(amount);
        if (start->segments.empty() || start->segments.size() != end->segments.size())
            return VG_FALSE;

        PathObject from;
        PathObject to;
        normalizeForInterpolation(*start, from);
        normalizeForInterpolation(*end, to);
        const int32_t count = coordinateCountOf(from);
        if (count != coordinateCountOf(to))
            return VG_FALSE;

        // Commands must agree, except that any arc blends with any arc and takes the nearer one's kind.
        StagedPath staged = stageAppend(*dst, from.segments.size(), count);
        for (size_t i = 0; i < from.segments.size(); ++i) {
            const int32_t a = segmentCommand(from.segments[i]);
            const int32_t b = segmentCommand(to.segments[i]);
            if (isArc(a) ? !isArc(b) : a != b)
                return VG_FALSE;
            staged.segments.push_back(segmentByte(isArc(a) && t >= 0.5f ? b : a));
        }
        CoordinateWriter out = writerAfterExisting(*dst, staged);
        for (int32_t j = 0; j < count; ++j)
            put(out, readCoordinate(from, j) * (1.0f - t) + readCoordinate(to, j) * t);
        install(*dst, staged);
        return VG_TRUE;
    });
}
