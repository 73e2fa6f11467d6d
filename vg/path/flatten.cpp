// Flattening: walks the segments of a path in user space, resolves relative and smooth segments, and
// caches the polyline that fills, strokes and queries consume: vertices with position, unit tangent,
// cumulative distance and flags, plus the vertex range of every segment. Curves are divided by the path's
// flattening scale (at most 256 steps); arcs always take 256 steps found by vector bisection.
//
// Precision: every step is single-precision float arithmetic: B(t) and its derivative, t = i / n, the
// lengths summed into distances, normalisation, cos and sin of the arc rotation and the unit-circle
// mapping. The one exception is the inverse of the arc's ellipse matrix, taken with invertMatrix (double
// determinant, each element rounded to float once) like every other inverse in the library.
//
// Positions are kept finite: resolved coordinates and computed points pass through sanitizeFloat, so an
// overflow (a relative offset past FLT_MAX, a huge scale) clamps to +-FLT_MAX instead of leaving
// infinities or NaN in the cached form.
#include "flatten.h"

#include "vector2.h"
#include "../context/float_rules.h"
#include "../context/matrix.h"
#include "../context/storage.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <new>

namespace tamarind {

namespace {


constexpr int32_t kMaxCurveSteps = 256;
constexpr int32_t kArcSteps = 256; // 2^8: eight halvings reach every fraction i / 256 exactly

// State of one walk over the segments.
struct Walker {
    PathObject &path;
    Vector2 current{0.0f, 0.0f};
    Vector2 start{0.0f, 0.0f};       // start point of the current subpath
    Vector2 lastControl{0.0f, 0.0f}; // reflected by the smooth curve commands
    int32_t previousCommand = kMoveTo;
    bool hasExtent = false; // the current subpath has produced vertices
};

Vector2 finitePoint(Vector2 p)
{
    return Vector2{sanitizeFloat(p.x), sanitizeFloat(p.y)};
}

// a + b, saturating at FLT_MAX (an infinite or NaN sum counts as not below FLT_MAX).
float saturatingDistance(float a, float b)
{
    const float sum = a + b;
    return sum < FLT_MAX ? sum : FLT_MAX;
}

// Appends one vertex, growing the array to 8 and then by doubling, and widens userBounds. An array
// above 4 GiB counts as an allocation failure, which also keeps every index within int32.
void appendVertex(PathObject &path, Vector2 position, Vector2 tangent, float distance, int32_t flags)
{
    std::vector<FlatVertex> &vertices = path.vertices;
    if (vertices.size() == vertices.capacity()) {
        const uint64_t grown = vertices.capacity() == 0 ? 8 : uint64_t{vertices.capacity()} * 2;
        checkedByteSize(grown, sizeof(FlatVertex));
        vertices.reserve(static_cast<size_t>(grown));
    }
    vertices.push_back(FlatVertex{position.x, position.y, tangent.x, tangent.y, distance, flags});
    float *bounds = path.userBounds;
    if (position.x < bounds[0])
        bounds[0] = position.x;
    if (position.y < bounds[1])
        bounds[1] = position.y;
    if (position.x > bounds[2])
        bounds[2] = position.x;
    if (position.y > bounds[3])
        bounds[3] = position.y;
}

// First vertex of a segment or closing pair: it carries the distance reached so far (0 on an empty array).
void emitSegmentStart(PathObject &path, Vector2 position, Vector2 tangent, int32_t flags)
{
    const float distance = path.vertices.empty() ? 0.0f : path.vertices.back().distance;
    appendVertex(path, finitePoint(position), tangent, distance, flags);
}

// Any later vertex: the previous distance plus the length of the edge that leads in.
void emitFollowing(PathObject &path, Vector2 position, Vector2 tangent, int32_t flags)
{
    const FlatVertex &previous = path.vertices.back();
    const Vector2 at = finitePoint(position);
    const float edge = length(subtract(at, Vector2{previous.x, previous.y}));
    appendVertex(path, at, tangent, saturatingDistance(previous.distance, edge), flags);
}

Vector2 previousTangent(const PathObject &path)
{
    const FlatVertex &previous = path.vertices.back();
    return Vector2{previous.tangentX, previous.tangentY};
}

// normalize(v), or the previous vertex's tangent where v has no direction.
Vector2 tangentOr(const PathObject &path, Vector2 v)
{
    const Vector2 t = normalize(v);
    return t.x == 0.0f && t.y == 0.0f ? previousTangent(path) : t;
}

int32_t segmentStartFlags(const Walker &walker)
{
    return walker.hasExtent ? FLAT_SEGMENT_START : FLAT_SEGMENT_START | FLAT_SUBPATH_START;
}

// Steps for a curve: control-polygon length x flattening scale, truncated toward zero and capped.
// Negative, NaN or sub-unit products all mean "no inner point".
int32_t curveSteps(float polygonLength, float flatteningScale)
{
    const float steps = polygonLength * flatteningScale;
    if (!(steps >= 1.0f))
        return 0;
    if (steps >= static_cast<float>(kMaxCurveSteps))
        return kMaxCurveSteps;
    return static_cast<int32_t>(steps);
}

// Ends the current subpath with a closing pair of kind FLAT_CLOSE or FLAT_IMPLICIT_CLOSE, or with a
// four-vertex dot when the subpath has no extent (so the stroker can cap an isolated point).
void endSubpath(Walker &walker, int32_t kind)
{
    PathObject &path = walker.path;
    const Vector2 p = walker.current;
    const Vector2 s = walker.start;
    if (walker.hasExtent) {
        FlatVertex &last = path.vertices.back();
        last.flags |= FLAT_SUBPATH_END;
        Vector2 tangent = normalize(subtract(s, p));
        if (tangent.x == 0.0f && tangent.y == 0.0f)
            tangent = Vector2{last.tangentX, last.tangentY};
        const float distance = last.distance;
        appendVertex(path, p, tangent, distance, kind | FLAT_SEGMENT_START);
        if (kind == FLAT_CLOSE)
            emitFollowing(path, s, tangent, kind | FLAT_SEGMENT_END);
        else
            appendVertex(path, s, tangent, distance, kind | FLAT_SEGMENT_END); // adds no length
        return;
    }
    emitSegmentStart(path, p, Vector2{1.0f, 0.0f}, FLAT_SEGMENT_START | FLAT_SUBPATH_START);
    emitFollowing(path, s, Vector2{1.0f, 0.0f}, FLAT_SEGMENT_END | FLAT_SUBPATH_END);
    const float distance = path.vertices.back().distance;
    appendVertex(path, p, Vector2{-1.0f, 0.0f}, distance, FLAT_IMPLICIT_CLOSE | FLAT_SEGMENT_START);
    appendVertex(path, s, Vector2{-1.0f, 0.0f}, distance, FLAT_IMPLICIT_CLOSE | FLAT_SEGMENT_END);
}

bool emitLine(Walker &walker, Vector2 a, Vector2 b)
{
    if (a == b)
        return false;
    const Vector2 tangent = normalize(subtract(b, a));
    emitSegmentStart(walker.path, a, tangent, segmentStartFlags(walker));
    emitFollowing(walker.path, b, tangent, FLAT_SEGMENT_END);
    return true;
}

// The start vertex goes first in every case: emitting it before the first inner point or after an
// empty loop gives the same array.
bool emitQuadratic(Walker &walker, Vector2 p0, Vector2 q, Vector2 p1)
{
    if (p0 == q && q == p1)
        return false;
    PathObject &path = walker.path;
    const Vector2 startTangent = normalize(q == p0 ? subtract(p1, p0) : subtract(q, p0));
    const Vector2 endTangent = normalize(q == p1 ? subtract(p1, p0) : subtract(p1, q));
    const int32_t n = curveSteps(length(subtract(q, p0)) + length(subtract(p1, q)), path.flatteningScale);
    emitSegmentStart(path, p0, startTangent, segmentStartFlags(walker));
    for (int32_t i = 1; i < n; ++i) {
        // B(t) = (1-t)^2 P0 + 2t(1-t) Q + t^2 P1 and its derivative / 2, all in float.
        const float t = static_cast<float>(i) / static_cast<float>(n);
        const float u = 1.0f - t;
        const float w0 = u * u;
        const float w1 = 2.0f * t * u;
        const float w2 = t * t;
        const Vector2 position{w0 * p0.x + w1 * q.x + w2 * p1.x, w0 * p0.y + w1 * q.y + w2 * p1.y};
        const float d0 = t - 1.0f;
        const float d1 = 1.0f - 2.0f * t;
        const Vector2 derivative{d0 * p0.x + d1 * q.x + t * p1.x, d0 * p0.y + d1 * q.y + t * p1.y};
        emitFollowing(path, position, tangentOr(path, derivative), 0);
    }
    emitFollowing(path, p1, endTangent, FLAT_SEGMENT_END);
    return true;
}

bool emitCubic(Walker &walker, Vector2 p0, Vector2 c1, Vector2 c2, Vector2 p1)
{
    if (p0 == c1 && c1 == c2 && c2 == p1)
        return false;
    PathObject &path = walker.path;
    // Tangents fall back to the next distinct control point when a control sits on an end point.
    Vector2 startDirection = subtract(c1, p0);
    if (c1 == p0)
        startDirection = c2 == c1 ? subtract(p1, p0) : subtract(c2, p0);
    Vector2 endDirection = subtract(p1, c2);
    if (p1 == c2)
        endDirection = c2 == c1 ? subtract(p1, p0) : subtract(p1, c1);
    const Vector2 startTangent = normalize(startDirection);
    const Vector2 endTangent = normalize(endDirection);
    const float polygon = length(subtract(c1, p0)) + length(subtract(c2, c1)) + length(subtract(p1, c2));
    const int32_t n = curveSteps(polygon, path.flatteningScale);
    emitSegmentStart(path, p0, startTangent, segmentStartFlags(walker));
    for (int32_t i = 1; i < n; ++i) {
        // B(t) = (1-t)^3 P0 + 3t(1-t)^2 C1 + 3t^2(1-t) C2 + t^3 P1 and its derivative / 3, all in float.
        const float t = static_cast<float>(i) / static_cast<float>(n);
        const float u = 1.0f - t;
        const float w0 = u * u * u;
        const float w1 = 3.0f * t * u * u;
        const float w2 = 3.0f * t * t * u;
        const float w3 = t * t * t;
        const Vector2 position{w0 * p0.x + w1 * c1.x + w2 * c2.x + w3 * p1.x,
                               w0 * p0.y + w1 * c1.y + w2 * c2.y + w3 * p1.y};
        const float d0 = -(u * u);
        const float d1 = 1.0f - 4.0f * t + 3.0f * t * t;
        const float d2 = 2.0f * t - 3.0f * t * t;
        const float d3 = t * t;
        const Vector2 derivative{d0 * p0.x + d1 * c1.x + d2 * c2.x + d3 * p1.x,
                                 d0 * p0.y + d1 * c1.y + d2 * c2.y + d3 * p1.y};
        emitFollowing(path, position, tangentOr(path, derivative), 0);
    }
    emitFollowing(path, p1, endTangent, FLAT_SEGMENT_END);
    return true;
}

bool isArcCommand(int32_t command)
{
    return command >= kSCCWArcTo && command <= kLCWArcTo;
}

// The linear part of m applied to v.
Vector2 applyLinear(const Matrix3 &m, Vector2 v)
{
    return Vector2{m.m[0][0] * v.x + m.m[0][1] * v.y, m.m[1][0] * v.x + m.m[1][1] * v.y};
}

Vector2 applyMatrix(const Matrix3 &m, Vector2 v)
{
    const Point2 p = transformPoint(m, v.x, v.y);
    return Vector2{p.x, p.y};
}

Vector2 sweepPerpendicular(Vector2 u, bool clockwise)
{
    return clockwise ? perpendicularCw(u) : perpendicularCcw(u);
}

bool isFinite(Vector2 v)
{
    return std::isfinite(v.x) && std::isfinite(v.y);
}

// The unit circle mapped onto the ellipse with radii rh, rv turned by `angle` radians (M), and the end
// points taken back onto the unit circle's plane through its inverse. False when M cannot be inverted.
bool mapToUnitCircle(float rh, float rv, float angle, Vector2 p0, Vector2 p1, Matrix3 &m, Vector2 &u0, Vector2 &u1)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    m = Matrix3{{{c * rh, -s * rv, 0.0f}, {s * rh, c * rv, 0.0f}, {0.0f, 0.0f, 1.0f}}};
    Matrix3 inverse = m;
    if (!invertMatrix(inverse))
        return false;
    u0 = applyMatrix(inverse, p0);
    u1 = applyMatrix(inverse, p1);
    return true;
}

// The unit vector halfway from a to b in the sweep direction. When a and b are less than 120 degrees
// apart, (a + b) / 2 is long enough to normalise and only its sign needs choosing; otherwise a turned a
// quarter forward and b turned a quarter back average to the bisector without cancellation.
Vector2 sweepBisector(Vector2 a, Vector2 b, bool clockwise)
{
    Vector2 s = scale(add(a, b), 0.5f);
    if (dot(s, s) > 0.25f) {
        if (dot(b, perpendicularCcw(a)) < 0.0f) // b lies clockwise of a: the ccw sweep is the long way
            s = negate(s);
    } else {
        s = scale(add(perpendicularCcw(a), perpendicularCw(b)), 0.5f);
    }
    if (clockwise)
        s = negate(s);
    return normalize(s);
}

// Fills directions[i] with the unit vector at fraction i / 256 of the sweep from u0 to u1. Finding each
// fraction by eight halvings of the bracket (u0, u1) only ever bisects the bracket pairs of one binary
// tree, so the tree is filled once level by level: the same vectors, 255 bisections per arc instead of
// 255 x 8. Entries 0 and 256 hold u0 and u1 themselves.
void sweepDirections(Vector2 u0, Vector2 u1, bool clockwise, Vector2 (&directions)[kArcSteps + 1])
{
    directions[0] = u0;
    directions[kArcSteps] = u1;
    for (int32_t half = kArcSteps / 2; half >= 1; half /= 2)
        for (int32_t i = half; i < kArcSteps; i += 2 * half)
            directions[i] = sweepBisector(directions[i - half], directions[i + half], clockwise);
}

bool emitArc(Walker &walker, int32_t command, Vector2 p0, float rh, float rv, float rotation, Vector2 p1)
{
    if (p0 == p1)
        return false;
    PathObject &path = walker.path;
    const int32_t startFlags = segmentStartFlags(walker);
    rh = std::fabs(rh);
    rv = std::fabs(rv);

    // Endpoint-to-centre conversion on the unit circle's plane. Any step that degenerates (a zero
    // radius, a singular matrix, coinciding or non-finite images of the end points) gives a straight
    // line instead.
    bool straight = rh == 0.0f || rv == 0.0f;
    const float angle = rotation * 3.1415927f / 180.0f;
    Matrix3 m;
    Vector2 u0{}, u1{};
    Vector2 mid{}, d{};
    float a = 0.0f;
    auto mapEndPoints = [&]() {
        if (!mapToUnitCircle(rh, rv, angle, p0, p1, m, u0, u1))
            return false;
        mid = scale(add(u0, u1), 0.5f);
        d = subtract(u0, u1);
        a = dot(d, d);
        return a > 0.0f && std::isfinite(a);
    };
    if (!straight)
        straight = !mapEndPoints();
    float b = 0.0f;
    if (!straight) {
        b = 1.0f / a - 0.25f;
        if (b < 0.0f) {
            // The ellipse cannot reach both points: grow it until the end points are a diameter apart.
            const float grow = std::sqrt(a) * 0.5f;
            rh *= grow;
            rv *= grow;
            straight = !std::isfinite(rh) || !std::isfinite(rv) || !mapEndPoints();
            b = std::fmax(1.0f / a - 0.25f, 0.0f);
        }
    }
    bool clockwise = false;
    if (!straight) {
        // The two centres lie on the perpendicular bisector of the chord, sqrt(1/A - 1/4) x |d| away.
        const Vector2 offset = perpendicularCw(scale(d, std::sqrt(b)));
        const bool plusCentre = command == kSCCWArcTo || command == kLCWArcTo;
        const Vector2 centre = plusCentre ? add(mid, offset) : subtract(mid, offset);
        clockwise = command == kSCWArcTo || command == kLCWArcTo;
        u0 = subtract(u0, centre);
        u1 = subtract(u1, centre);
        const Vector2 zero{0.0f, 0.0f};
        straight = u0 == u1 || u0 == zero || u1 == zero || !isFinite(u0) || !isFinite(u1);
        if (!straight) {
            const Vector2 translation = applyLinear(m, centre);
            m.m[0][2] = translation.x;
            m.m[1][2] = translation.y;
        }
    }
    if (straight) {
        const Vector2 tangent = normalize(subtract(p1, p0));
        emitSegmentStart(path, p0, tangent, startFlags);
        emitFollowing(path, p1, tangent, FLAT_SEGMENT_END);
        return true;
    }

    Vector2 directions[kArcSteps + 1];
    sweepDirections(u0, u1, clockwise, directions);
    const Vector2 startTangent = normalize(applyLinear(m, sweepPerpendicular(u0, clockwise)));
    const Vector2 endTangent = normalize(applyLinear(m, sweepPerpendicular(u1, clockwise)));
    emitSegmentStart(path, p0, startTangent, startFlags);
    for (int32_t i = 1; i < kArcSteps; ++i) {
        const Vector2 w = directions[i];
        emitFollowing(path, applyMatrix(m, w), tangentOr(path, applyLinear(m, sweepPerpendicular(w, clockwise))), 0);
    }
    emitFollowing(path, p1, endTangent, FLAT_SEGMENT_END);
    return true;
}

bool endsSubpathImplicitly(int32_t previousCommand)
{
    return previousCommand != kMoveTo && previousCommand != kClosePath;
}

void walkSegments(PathObject &path)
{
    Walker walker{path};
    const size_t segmentCount = path.segments.size();
    int32_t coordinateIndex = 0;
    for (size_t i = 0; i < segmentCount; ++i) {
        const int32_t first = static_cast<int32_t>(path.vertices.size());
        const uint8_t segment = path.segments[i];
        const int32_t command = segmentCommand(segment);
        const int32_t count = coordinateCount(command);
        float c[6];
        for (int32_t k = 0; k < count; ++k)
            c[k] = readCoordinate(path, coordinateIndex + k);
        if (segmentIsRelative(segment)) {
            const Vector2 at = walker.current;
            if (command == kHLineTo) {
                c[0] += at.x;
            } else if (command == kVLineTo) {
                c[0] += at.y;
            } else if (isArcCommand(command)) {
                c[3] += at.x; // radii and rotation are never offset
                c[4] += at.y;
            } else {
                for (int32_t k = 0; k + 1 < count; k += 2) {
                    c[k] += at.x;
                    c[k + 1] += at.y;
                }
            }
        }
        for (int32_t k = 0; k < count; ++k)
            c[k] = sanitizeFloat(c[k]);

        bool produced = false;
        const Vector2 current = walker.current;
        switch (command) {
        case kClosePath:
            endSubpath(walker, FLAT_CLOSE);
            walker.hasExtent = false;
            walker.current = walker.start;
            walker.lastControl = walker.start;
            break;
        case kMoveTo:
            if (endsSubpathImplicitly(walker.previousCommand))
                endSubpath(walker, FLAT_IMPLICIT_CLOSE);
            walker.hasExtent = false;
            walker.start = walker.current = walker.lastControl = Vector2{c[0], c[1]};
            break;
        case kLineTo:
        case kHLineTo:
        case kVLineTo: {
            Vector2 end{c[0], c[1]};
            if (command == kHLineTo)
                end = Vector2{c[0], current.y};
            else if (command == kVLineTo)
                end = Vector2{current.x, c[0]};
            produced = emitLine(walker, current, end);
            walker.current = walker.lastControl = end;
            break;
        }
        case kQuadTo:
            produced = emitQuadratic(walker, current, Vector2{c[0], c[1]}, Vector2{c[2], c[3]});
            walker.lastControl = Vector2{c[0], c[1]};
            walker.current = Vector2{c[2], c[3]};
            break;
        case kCubicTo:
            produced = emitCubic(walker, current, Vector2{c[0], c[1]}, Vector2{c[2], c[3]}, Vector2{c[4], c[5]});
            walker.lastControl = Vector2{c[2], c[3]};
            walker.current = Vector2{c[4], c[5]};
            break;
        case kSQuadTo: {
            // The control is the last control point mirrored through the current point.
            const Vector2 control = finitePoint(subtract(scale(current, 2.0f), walker.lastControl));
            produced = emitQuadratic(walker, current, control, Vector2{c[0], c[1]});
            walker.lastControl = control;
            walker.current = Vector2{c[0], c[1]};
            break;
        }
        case kSCubicTo: {
            const Vector2 control = finitePoint(subtract(scale(current, 2.0f), walker.lastControl));
            produced = emitCubic(walker, current, control, Vector2{c[0], c[1]}, Vector2{c[2], c[3]});
            walker.lastControl = Vector2{c[0], c[1]};
            walker.current = Vector2{c[2], c[3]};
            break;
        }
        case kSCCWArcTo:
        case kSCWArcTo:
        case kLCCWArcTo:
        case kLCWArcTo:
            produced = emitArc(walker, command, current, c[0], c[1], c[2], Vector2{c[3], c[4]});
            walker.current = walker.lastControl = Vector2{c[3], c[4]};
            break;
        default: // commands 13-15 are never stored
            break;
        }
        if (produced)
            walker.hasExtent = true;

        // A segment that produced nothing points at the vertex before it (-1 on an empty array).
        const int32_t vertexCount = static_cast<int32_t>(path.vertices.size());
        if (vertexCount > first)
            path.segmentRanges[i] = SegmentVertexRange{first, vertexCount - 1};
        else
            path.segmentRanges[i] = SegmentVertexRange{vertexCount - 1, vertexCount - 1};
        walker.previousCommand = command;
        coordinateIndex += count;
    }
    if (endsSubpathImplicitly(walker.previousCommand))
        endSubpath(walker, FLAT_IMPLICIT_CLOSE);
}

} // namespace

void setFlatteningScale(PathObject &path, float scale)
{
    if (scale != path.flatteningScale) {
        discardFlattening(path);
        path.flatteningScale = scale;
    }
}

void flattenPath(PathObject &path)
{
    if (!path.vertices.empty())
        return;
    path.userBounds[0] = FLT_MAX;
    path.userBounds[1] = FLT_MAX;
    path.userBounds[2] = -FLT_MAX;
    path.userBounds[3] = -FLT_MAX;
    try {
        // One range per segment; a larger array is allocated at exactly the segment count.
        const size_t segmentCount = path.segments.size();
        if (path.segmentRanges.capacity() < segmentCount) {
            std::vector<SegmentVertexRange> ranges;
            ranges.reserve(checkedByteSize(segmentCount, sizeof(SegmentVertexRange)) / sizeof(SegmentVertexRange));
            path.segmentRanges.swap(ranges);
        }
        path.segmentRanges.resize(segmentCount);
        walkSegments(path);
    } catch (const std::bad_alloc &) {
        discardFlattening(path); // no half-built form is ever reused
        throw;
    }
}

} // namespace tamarind
