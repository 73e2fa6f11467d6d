// The flattened form of paths built by hand: vertex positions, tangents, distances, flags and segment
// ranges for lines, subpath ends, quadratics, cubics and arcs; the cache; allocation failure; and the
// vector helpers the flattener relies on. Expected values are derived in the comments beside them.
#include "allocation_failure.h"

#include "path/flatten.h"
#include "path/vector2.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <array>
#include <initializer_list>
#include <new>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

namespace tamarind::test {
namespace {

// A path of datatype F, scale 1, bias 0 with the given segment bytes (published VG_*_ABS / _REL values)
// and coordinates.
PathObject makePath(std::initializer_list<int> segments, std::initializer_list<float> coordinates,
                    float flatteningScale = -1.0f)
{
    PathObject path;
    path.datatype = VG_PATH_DATATYPE_F;
    for (int segment : segments)
        path.segments.push_back(static_cast<uint8_t>(segment));
    for (float value : coordinates) {
        uint8_t bytes[4];
        std::memcpy(bytes, &value, sizeof bytes);
        path.coordinates.insert(path.coordinates.end(), bytes, bytes + 4);
    }
    path.flatteningScale = flatteningScale;
    return path;
}

// Appends one segment byte and its F coordinates.
void appendSegment(PathObject &path, int segment, std::initializer_list<float> coordinates)
{
    path.segments.push_back(static_cast<uint8_t>(segment));
    for (float value : coordinates) {
        uint8_t bytes[4];
        std::memcpy(bytes, &value, sizeof bytes);
        path.coordinates.insert(path.coordinates.end(), bytes, bytes + 4);
    }
}

struct ExpectedVertex {
    float x, y, tangentX, tangentY, distance;
    int32_t flags;
};

// Every field equal within `tolerance` (0: exactly), flags exactly.
void expectVertices(const PathObject &path, const std::vector<ExpectedVertex> &expected, float tolerance = 0.0f)
{
    ASSERT_EQ(path.vertices.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("vertex " + std::to_string(i));
        const FlatVertex &v = path.vertices[i];
        const ExpectedVertex &e = expected[i];
        EXPECT_NEAR(v.x, e.x, tolerance);
        EXPECT_NEAR(v.y, e.y, tolerance);
        EXPECT_NEAR(v.tangentX, e.tangentX, tolerance);
        EXPECT_NEAR(v.tangentY, e.tangentY, tolerance);
        EXPECT_NEAR(v.distance, e.distance, tolerance);
        EXPECT_EQ(v.flags, e.flags);
    }
}

void expectRanges(const PathObject &path, const std::vector<SegmentVertexRange> &expected)
{
    ASSERT_EQ(path.segmentRanges.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(path.segmentRanges[i].first, expected[i].first) << "segment " << i;
        EXPECT_EQ(path.segmentRanges[i].last, expected[i].last) << "segment " << i;
    }
}

void expectBounds(const PathObject &path, float minX, float minY, float maxX, float maxY)
{
    EXPECT_EQ(path.userBounds[0], minX);
    EXPECT_EQ(path.userBounds[1], minY);
    EXPECT_EQ(path.userBounds[2], maxX);
    EXPECT_EQ(path.userBounds[3], maxY);
}

// Flattens and checks what holds for every flattened form: the first vertex starts a segment (no edge
// leads into it), distances never decrease, and every vertex lies within userBounds.
void flatten(PathObject &path)
{
    flattenPath(path);
    for (size_t i = 0; i < path.vertices.size(); ++i) {
        const FlatVertex &v = path.vertices[i];
        if (i == 0)
            EXPECT_NE(v.flags & FLAT_SEGMENT_START, 0);
        else
            EXPECT_GE(v.distance, path.vertices[i - 1].distance) << i;
        EXPECT_GE(v.x, path.userBounds[0]) << i;
        EXPECT_GE(v.y, path.userBounds[1]) << i;
        EXPECT_LE(v.x, path.userBounds[2]) << i;
        EXPECT_LE(v.y, path.userBounds[3]) << i;
    }
}

constexpr float kInvSqrt2 = 0.70710678f;

// ---- Lines and subpath ends ----

TEST(FlattenLines, EmptyPathAndMovesOnlyYieldNothing)
{
    PathObject empty = makePath({}, {});
    flatten(empty);
    EXPECT_TRUE(empty.vertices.empty());
    EXPECT_TRUE(empty.segmentRanges.empty());
    expectBounds(empty, FLT_MAX, FLT_MAX, -FLT_MAX, -FLT_MAX); // reset from the initial zeros

    PathObject moves = makePath({VG_MOVE_TO_ABS, VG_MOVE_TO_REL, VG_MOVE_TO_ABS}, {1, 2, 3, 4, 5, 6});
    flatten(moves);
    EXPECT_TRUE(moves.vertices.empty());
    expectRanges(moves, {{-1, -1}, {-1, -1}, {-1, -1}});
    expectBounds(moves, FLT_MAX, FLT_MAX, -FLT_MAX, -FLT_MAX);

    // Nothing was cached, so the next call walks again (and resets the bounds again).
    moves.userBounds[0] = 0.0f;
    flattenPath(moves);
    EXPECT_EQ(moves.userBounds[0], FLT_MAX);
}

TEST(FlattenLines, OpenSubpathGetsAnImplicitClosingPairOfNoLength)
{
    PathObject path = makePath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS}, {10, 10, 20, 10});
    flatten(path);
    // Line: start 4|1 = 5, end 8 | SUBPATH_END 2 = 10; implicit pair 32|4 = 36 and 32|8 = 40 with the
    // tangent of (10,10) - (20,10) = (-1, 0), adding no distance.
    expectVertices(path,
                   {{10, 10, 1, 0, 0, 5}, {20, 10, 1, 0, 10, 10}, {20, 10, -1, 0, 10, 36}, {10, 10, -1, 0, 10, 40}});
    // The implicit pair after the last segment belongs to no segment.
    expectRanges(path, {{-1, -1}, {0, 1}});
    expectBounds(path, 10, 10, 20, 10);
}

TEST(FlattenLines, ClosePathAddsTheClosingEdgeLength)
{
    PathObject path = makePath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_CLOSE_PATH}, {10, 10, 20, 10});
    flatten(path);
    // Closing pair 16|4 = 20 and 16|8 = 24; the second is 10 further along: 20.
    expectVertices(path,
                   {{10, 10, 1, 0, 0, 5}, {20, 10, 1, 0, 10, 10}, {20, 10, -1, 0, 10, 20}, {10, 10, -1, 0, 20, 24}});
    expectRanges(path, {{-1, -1}, {0, 1}, {2, 3}});
}

TEST(FlattenLines, ZeroLengthSubpathsBecomeDots)
{
    // Move then close: the dot of four vertices 5, 10, 36, 40 whatever the closing kind.
    PathObject closed = makePath({VG_MOVE_TO_ABS, VG_CLOSE_PATH}, {5, 5});
    flatten(closed);
    expectVertices(closed, {{5, 5, 1, 0, 0, 5}, {5, 5, 1, 0, 0, 10}, {5, 5, -1, 0, 0, 36}, {5, 5, -1, 0, 0, 40}});
    expectRanges(closed, {{-1, -1}, {0, 3}});

    // A line to the start point followed by the end of the path: an implicit end without extent.
    PathObject open = makePath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS}, {2, 3, 2, 3});
    flatten(open);
    expectVertices(open, {{2, 3, 1, 0, 0, 5}, {2, 3, 1, 0, 0, 10}, {2, 3, -1, 0, 0, 36}, {2, 3, -1, 0, 0, 40}});
    expectRanges(open, {{-1, -1}, {-1, -1}});
}

TEST(FlattenLines, CloseRightAfterCloseDrawsADotAtTheStart)
{
    PathObject path =
        makePath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_LINE_TO_ABS, VG_CLOSE_PATH, VG_CLOSE_PATH}, {0, 0, 4, 0, 4, 3});
    flatten(path);
    // (0,0) -> (4,0) -> (4,3), closed along (-4,-3)/5 = (-0.8,-0.6) adding 5; the second close starts a
    // subpath without extent at (0,0): the dot at distance 12.
    expectVertices(path, {{0, 0, 1, 0, 0, 5},
                          {4, 0, 1, 0, 4, 8},
                          {4, 0, 0, 1, 4, 4},
                          {4, 3, 0, 1, 7, 10},
                          {4, 3, -0.8f, -0.6f, 7, 20},
                          {0, 0, -0.8f, -0.6f, 12, 24},
                          {0, 0, 1, 0, 12, 5},
                          {0, 0, 1, 0, 12, 10},
                          {0, 0, -1, 0, 12, 36},
                          {0, 0, -1, 0, 12, 40}});
    expectRanges(path, {{-1, -1}, {0, 1}, {2, 3}, {4, 5}, {6, 9}});
}

TEST(FlattenLines, LineToTheCurrentPointProducesNothing)
{
    PathObject path =
        makePath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_LINE_TO_ABS, VG_LINE_TO_ABS}, {0, 0, 10, 0, 10, 0, 10, 5});
    flatten(path);
    // The empty line points at the vertex before it (1, 1); the next line is not a subpath start (4).
    // Implicit close along (-10,-5)/sqrt(125) = (-2,-1)/sqrt(5).
    const float tx = -2.0f / std::sqrt(5.0f);
    const float ty = -1.0f / std::sqrt(5.0f);
    expectVertices(path,
                   {{0, 0, 1, 0, 0, 5},
                    {10, 0, 1, 0, 10, 8},
                    {10, 0, 0, 1, 10, 4},
                    {10, 5, 0, 1, 15, 10},
                    {10, 5, tx, ty, 15, 36},
                    {0, 0, tx, ty, 15, 40}},
                   1e-6f);
    expectRanges(path, {{-1, -1}, {0, 1}, {1, 1}, {2, 3}});
}

TEST(FlattenLines, RelativeAndAxisSegmentsWithoutALeadingMove)
{
    PathObject path = makePath({VG_LINE_TO_REL, VG_HLINE_TO_ABS, VG_VLINE_TO_REL, VG_MOVE_TO_REL, VG_LINE_TO_REL},
                               {3, 4, 10, -4, 5, 5, 0, -5});
    flatten(path);
    // From (0,0): rel (3,4) -> (3,4), tangent (0.6,0.8), length 5; HLINE 10 -> (10,4), 7 more; rel VLINE -4 ->
    // (10,0), 4 more = 16. The relative move to (15,5) first closes the subpath implicitly from (10,0) to
    // (0,0); those two vertices belong to the move. Then rel (0,-5) -> (15,0), 5 more = 21, and the final
    // implicit pair runs back up to (15,5).
    expectVertices(path, {{0, 0, 0.6f, 0.8f, 0, 5},
                          {3, 4, 0.6f, 0.8f, 5, 8},
                          {3, 4, 1, 0, 5, 4},
                          {10, 4, 1, 0, 12, 8},
                          {10, 4, 0, -1, 12, 4},
                          {10, 0, 0, -1, 16, 10},
                          {10, 0, -1, 0, 16, 36},
                          {0, 0, -1, 0, 16, 40},
                          {15, 5, 0, -1, 16, 5},
                          {15, 0, 0, -1, 21, 10},
                          {15, 0, 0, 1, 21, 36},
                          {15, 5, 0, 1, 21, 40}});
    expectRanges(path, {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {8, 9}});
    expectBounds(path, 0, 0, 15, 5);
}

TEST(FlattenLines, CoordinatesAreReadThroughDatatypeScaleAndBias)
{
    PathObject path;
    path.datatype = VG_PATH_DATATYPE_S_16;
    path.scale = 0.5f;
    path.bias = 1.0f;
    path.segments = {VG_MOVE_TO_ABS, VG_LINE_TO_ABS};
    const int16_t raw[4] = {18, 18, -2, 18}; // x 0.5 + 1: (10, 10), (0, 10)
    path.coordinates.resize(sizeof raw);
    std::memcpy(path.coordinates.data(), raw, sizeof raw);
    flatten(path);
    expectVertices(path,
                   {{10, 10, -1, 0, 0, 5}, {0, 10, -1, 0, 10, 10}, {0, 10, 1, 0, 10, 36}, {10, 10, 1, 0, 10, 40}});
}

TEST(FlattenLines, DistancesSaturateAtFltMaxAndPositionsStayFinite)
{
    // 1e38 - (-2e38) = 3e38 is representable: the first line is that long (squaring it in float would
    // overflow; the length is taken without that overflow). Coming back adds another 3e38: saturated.
    PathObject path = makePath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_LINE_TO_ABS}, {-2e38f, 0, 1e38f, 0, -2e38f, 0});
    flatten(path);
    const float span = 1e38f - -2e38f;
    // The implicit close has no direction (end = start): it keeps the last tangent (-1, 0).
    expectVertices(path, {{-2e38f, 0, 1, 0, 0, 5},
                          {1e38f, 0, 1, 0, span, 8},
                          {1e38f, 0, -1, 0, span, 4},
                          {-2e38f, 0, -1, 0, FLT_MAX, 10},
                          {-2e38f, 0, -1, 0, FLT_MAX, 36},
                          {-2e38f, 0, -1, 0, FLT_MAX, 40}});

    // 3e38 - (-3e38) overflows to infinity: distance FLT_MAX, and the tangent is still (1, 0).
    PathObject wide = makePath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS}, {-3e38f, 0, 3e38f, 0});
    flatten(wide);
    ASSERT_EQ(wide.vertices.size(), 4u);
    EXPECT_EQ(wide.vertices[1].distance, FLT_MAX);
    EXPECT_EQ(wide.vertices[1].tangentX, 1.0f);
    EXPECT_EQ(wide.vertices[1].tangentY, 0.0f);
    EXPECT_EQ(wide.vertices[2].tangentX, -1.0f);

    // A relative offset past the float range clamps the end point to FLT_MAX; the edge is then
    // FLT_MAX - 3e38 long (exact: the operands are within a factor of two).
    PathObject beyond = makePath({VG_MOVE_TO_ABS, VG_LINE_TO_REL}, {3e38f, 0, 3e38f, 0});
    flatten(beyond);
    ASSERT_EQ(beyond.vertices.size(), 4u);
    EXPECT_EQ(beyond.vertices[1].x, FLT_MAX);
    EXPECT_EQ(beyond.vertices[1].tangentX, 1.0f);
    EXPECT_EQ(beyond.vertices[1].distance, FLT_MAX - 3e38f);
    expectBounds(beyond, 3e38f, 0, FLT_MAX, 0);

    // A vertical quadratic at x = FLT_MAX, 5 steps (polygon 4 x 1.25): at t = 0.2 the three weights
    // 0.64, 0.32 and 0.04 times FLT_MAX round up past the float range; the point is clamped back. (Other
    // inner points round a little below FLT_MAX.)
    PathObject edge = makePath({VG_MOVE_TO_ABS, VG_QUAD_TO_ABS}, {FLT_MAX, 0, FLT_MAX, 2, FLT_MAX, 4}, 1.25f);
    flatten(edge);
    ASSERT_EQ(edge.segmentRanges[1].last, 5);
    EXPECT_EQ(edge.vertices[1].x, FLT_MAX);
    for (int i = 0; i <= 5; ++i)
        EXPECT_TRUE(std::isfinite(edge.vertices[i].x) && std::isfinite(edge.vertices[i].tangentX)) << i;
    EXPECT_LT(edge.vertices[5].distance, FLT_MAX);
}

// ---- Curves ----

// (1-t)^2 P0 + 2t(1-t) Q + t^2 P1 in double.
double quadraticAt(double p0, double q, double p1, double t)
{
    return (1 - t) * (1 - t) * p0 + 2 * t * (1 - t) * q + t * t * p1;
}

double cubicAt(double p0, double c1, double c2, double p1, double t)
{
    const double u = 1 - t;
    return u * u * u * p0 + 3 * t * u * u * c1 + 3 * t * t * u * c2 + t * t * t * p1;
}

// Compares the inner points of segment range [first, first + n] with points[i] and unit tangents along
// derivatives[i] (i = 1 .. n-1), and checks that distances add up edge by edge.
void expectCurveVertices(const PathObject &path, int32_t first, const std::vector<std::array<double, 4>> &expected)
{
    for (size_t i = 1; i < expected.size(); ++i) {
        SCOPED_TRACE("inner vertex " + std::to_string(i));
        const FlatVertex &v = path.vertices[first + i];
        const FlatVertex &previous = path.vertices[first + i - 1];
        EXPECT_NEAR(v.x, expected[i][0], 1e-4);
        EXPECT_NEAR(v.y, expected[i][1], 1e-4);
        const double len = std::hypot(expected[i][2], expected[i][3]);
        EXPECT_NEAR(v.tangentX, expected[i][2] / len, 1e-5);
        EXPECT_NEAR(v.tangentY, expected[i][3] / len, 1e-5);
        EXPECT_NEAR(v.distance, previous.distance + std::hypot(v.x - previous.x, v.y - previous.y), 1e-4);
    }
}

TEST(FlattenCurves, QuadraticStepCountIsTruncatedAndCapped)
{
    // Control polygon |(90,120)| + |(90,-120)| = 150 + 150 = 300: at scale 1 that is capped to 256 steps,
    // 255 inner points, 257 vertices for the segment.
    PathObject capped = makePath({VG_MOVE_TO_ABS, VG_QUAD_TO_ABS}, {0, 0, 90, 120, 180, 0}, 1.0f);
    flatten(capped);
    expectRanges(capped, {{-1, -1}, {0, 256}});
    ASSERT_EQ(capped.vertices.size(), 259u);
    EXPECT_EQ(capped.vertices[0].flags, 5);
    for (int i = 1; i < 256; ++i)
        EXPECT_EQ(capped.vertices[i].flags, 0) << i;
    EXPECT_EQ(capped.vertices[256].flags, 10);
    // t = 128/256 = 0.5: B = 0.25 P0 + 0.5 Q + 0.25 P1 = (90, 60), derivative (90, 0): exact in float.
    EXPECT_EQ(capped.vertices[128].x, 90.0f);
    EXPECT_EQ(capped.vertices[128].y, 60.0f);
    EXPECT_EQ(capped.vertices[128].tangentX, 1.0f);
    EXPECT_EQ(capped.vertices[128].tangentY, 0.0f);
    // Start tangent (90,120)/150, end tangent (90,-120)/150.
    EXPECT_FLOAT_EQ(capped.vertices[0].tangentX, 0.6f);
    EXPECT_FLOAT_EQ(capped.vertices[0].tangentY, 0.8f);
    EXPECT_FLOAT_EQ(capped.vertices[256].tangentX, 0.6f);
    EXPECT_FLOAT_EQ(capped.vertices[256].tangentY, -0.8f);
    expectBounds(capped, 0, 0, 180, 60);

    // Half the scale: trunc(150) steps = 151 vertices.
    setFlatteningScale(capped, 0.5f);
    flatten(capped);
    expectRanges(capped, {{-1, -1}, {0, 150}});

    // Polygon 0.75 + 0.75 = 1.5 at scale 1: trunc gives 1 step, only the chord with the end tangents.
    PathObject chord = makePath({VG_MOVE_TO_ABS, VG_QUAD_TO_ABS}, {0, 0, 0.75f, 0, 0.75f, 0.75f}, 1.0f);
    flatten(chord);
    expectRanges(chord, {{-1, -1}, {0, 1}});
    EXPECT_EQ(chord.vertices[0].tangentX, 1.0f);
    EXPECT_EQ(chord.vertices[1].tangentY, 1.0f);
    EXPECT_FLOAT_EQ(chord.vertices[1].distance, 0.75f * std::sqrt(2.0f));
}

TEST(FlattenCurves, QuadraticInnerPointsFollowTheCurve)
{
    // P0 (0,0), Q (10,20), P1 (30,0): polygon sqrt(500) + sqrt(1300) = 58.42; x 0.1 = 5.84 -> 5 steps,
    // inner points at t = 0.2, 0.4, 0.6, 0.8. The derivative / 2 is (t-1) P0 + (1-2t) Q + t P1.
    PathObject path = makePath({VG_MOVE_TO_ABS, VG_QUAD_TO_ABS}, {0, 0, 10, 20, 30, 0}, 0.1f);
    flatten(path);
    expectRanges(path, {{-1, -1}, {0, 5}});
    std::vector<std::array<double, 4>> expected;
    for (int i = 0; i <= 5; ++i) {
        const double t = i / 5.0;
        expected.push_back(
            {quadraticAt(0, 10, 30, t), quadraticAt(0, 20, 0, t), (1 - 2 * t) * 10 + t * 30, (1 - 2 * t) * 20});
    }
    expectCurveVertices(path, 0, expected);
    const std::vector<int32_t> flags = {5, 0, 0, 0, 0, 10};
    for (int i = 0; i <= 5; ++i)
        EXPECT_EQ(path.vertices[i].flags, flags[i]);
    // Start along Q - P0 = (10,20), end along P1 - Q = (20,-20).
    EXPECT_NEAR(path.vertices[0].tangentX, 1 / std::sqrt(5.0), 1e-6);
    EXPECT_NEAR(path.vertices[0].tangentY, 2 / std::sqrt(5.0), 1e-6);
    EXPECT_NEAR(path.vertices[5].tangentX, kInvSqrt2, 1e-6);
    EXPECT_NEAR(path.vertices[5].tangentY, -kInvSqrt2, 1e-6);
    EXPECT_EQ(path.vertices[5].x, 30.0f);
    EXPECT_EQ(path.vertices[5].y, 0.0f);
}

TEST(FlattenCurves, SmoothQuadraticReflectsTheLastControlPoint)
{
    // After a line the reflected control is the current point: a straight quadratic from (10,0) to
    // (20,5). Polygon 0 + sqrt(125) = 11.18 at scale 1: 11 steps, every point on the line y = (x-10)/2
    // and every tangent along (2,1)/sqrt(5).
    PathObject afterLine = makePath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_SQUAD_TO_REL}, {0, 0, 10, 0, 10, 5}, 1.0f);
    flatten(afterLine);
    expectRanges(afterLine, {{-1, -1}, {0, 1}, {2, 13}});
    for (int i = 2; i <= 13; ++i) {
        const FlatVertex &v = afterLine.vertices[i];
        EXPECT_NEAR(v.y, (v.x - 10.0f) / 2.0f, 1e-5) << i;
        EXPECT_NEAR(v.tangentX, 2 / std::sqrt(5.0), 1e-5) << i;
        EXPECT_NEAR(v.tangentY, 1 / std::sqrt(5.0), 1e-5) << i;
    }
    EXPECT_EQ(afterLine.vertices[13].x, 20.0f);
    EXPECT_EQ(afterLine.vertices[13].y, 5.0f);

    // After QUAD (10,10) (20,0) the control is 2 (20,0) - (10,10) = (30,-10): start tangent along
    // (10,-10), end tangent along (40,0) - (30,-10) = (10,10). The next smooth quadratic reflects that
    // control: 2 (40,0) - (30,-10) = (50,10), so it leaves along (10,10) and arrives along (10,-10).
    // The default scale -1 gives chords.
    PathObject afterQuad = makePath({VG_MOVE_TO_ABS, VG_QUAD_TO_ABS, VG_SQUAD_TO_ABS, VG_SQUAD_TO_ABS},
                                    {0, 0, 10, 10, 20, 0, 40, 0, 60, 0});
    flatten(afterQuad);
    expectRanges(afterQuad, {{-1, -1}, {0, 1}, {2, 3}, {4, 5}});
    expectVertices(afterQuad,
                   {{0, 0, kInvSqrt2, kInvSqrt2, 0, 5},
                    {20, 0, kInvSqrt2, -kInvSqrt2, 20, 8},
                    {20, 0, kInvSqrt2, -kInvSqrt2, 20, 4},
                    {40, 0, kInvSqrt2, kInvSqrt2, 40, 8},
                    {40, 0, kInvSqrt2, kInvSqrt2, 40, 4},
                    {60, 0, kInvSqrt2, -kInvSqrt2, 60, 10},
                    {60, 0, -1, 0, 60, 36},
                    {0, 0, -1, 0, 60, 40}},
                   1e-6f);
}

TEST(FlattenCurves, CubicInnerPointsFollowTheCurve)
{
    // P0 (0,0), C1 (0,10), C2 (30,10), P1 (30,0): polygon 10 + 30 + 10 = 50, x 0.125 = 6.25 -> 6 steps.
    // The derivative / 3 is -(1-t)^2 P0 + (1-4t+3t^2) C1 + (2t-3t^2) C2 + t^2 P1.
    PathObject path = makePath({VG_MOVE_TO_ABS, VG_CUBIC_TO_ABS}, {0, 0, 0, 10, 30, 10, 30, 0}, 0.125f);
    flatten(path);
    expectRanges(path, {{-1, -1}, {0, 6}});
    std::vector<std::array<double, 4>> expected;
    for (int i = 0; i <= 6; ++i) {
        const double t = i / 6.0;
        const double a = 1 - 4 * t + 3 * t * t;
        const double b = 2 * t - 3 * t * t;
        expected.push_back({cubicAt(0, 0, 30, 30, t), cubicAt(0, 10, 10, 0, t), b * 30 + t * t * 30, a * 10 + b * 10});
    }
    expectCurveVertices(path, 0, expected);
    EXPECT_EQ(path.vertices[0].flags, 5);
    EXPECT_EQ(path.vertices[6].flags, 10);
    EXPECT_EQ(path.vertices[0].tangentY, 1.0f);  // along C1 - P0 = (0,10)
    EXPECT_EQ(path.vertices[6].tangentY, -1.0f); // along P1 - C2 = (0,-10)
    // t = 3/6 = 0.5 is the top of the symmetric curve: (15, 7.5) heading along +x.
    EXPECT_NEAR(path.vertices[3].x, 15.0f, 1e-5);
    EXPECT_NEAR(path.vertices[3].y, 7.5f, 1e-5);
}

TEST(FlattenCurves, CuspKeepsThePreviousTangent)
{
    // (0,0) (10,10) (0,10) (10,0): the derivative / 3 at t = 0.5 is -0.25 P0 - 0.25 C1 + 0.25 C2 + 0.25 P1
    // = (0,0). Polygon 14.14 + 10 + 14.14 = 38.28 x 0.11 -> 4 steps, so t = 0.5 is inner vertex 2 and
    // takes the tangent of vertex 1 (t = 0.25).
    PathObject path = makePath({VG_MOVE_TO_ABS, VG_CUBIC_TO_ABS}, {0, 0, 10, 10, 0, 10, 10, 0}, 0.11f);
    flatten(path);
    ASSERT_EQ(path.segmentRanges[1].last, 4);
    EXPECT_EQ(path.vertices[2].x, 5.0f);
    EXPECT_EQ(path.vertices[2].y, 7.5f);
    EXPECT_EQ(path.vertices[2].tangentX, path.vertices[1].tangentX);
    EXPECT_EQ(path.vertices[2].tangentY, path.vertices[1].tangentY);
    // At t = 0.25 the derivative / 3 is 0.1875 C1 + 0.3125 C2 + 0.0625 P1 = (2.5, 5): along (1, 2).
    EXPECT_NEAR(path.vertices[1].tangentX, 1 / std::sqrt(5.0), 1e-6);
    EXPECT_NEAR(path.vertices[1].tangentY, 2 / std::sqrt(5.0), 1e-6);
}

TEST(FlattenCurves, CubicEndTangentsFallBackPastCoincidentControls)
{
    struct Case {
        float c1x, c1y, c2x, c2y, p1x, p1y;
        float startX, startY, endX, endY;
    };
    const float r5 = 1.0f / std::sqrt(5.0f);
    // From P0 = (0,0), flattened as chords (scale -1), so only the end tangents are visible.
    const Case cases[] = {
        {0, 0, 3, 4, 6, 0, 0.6f, 0.8f, 0.6f, -0.8f}, // C1 = P0: start along C2 - P0
        {0, 0, 0, 0, 5, 0, 1, 0, 1, 0},              // C1 = C2 = P0: start along P1 - P0
        {3, 4, 5, 0, 5, 0, 0.6f, 0.8f, r5, -2 * r5}, // P1 = C2: end along P1 - C1 = (2,-4)
        {3, 4, 3, 4, 3, 4, 0.6f, 0.8f, 0.6f, 0.8f},  // P1 = C2 = C1: end along P1 - P0
    };
    for (const Case &c : cases) {
        PathObject path = makePath({VG_MOVE_TO_ABS, VG_CUBIC_TO_ABS}, {0, 0, c.c1x, c.c1y, c.c2x, c.c2y, c.p1x, c.p1y});
        flatten(path);
        ASSERT_EQ(path.segmentRanges[1].last, 1);
        EXPECT_NEAR(path.vertices[0].tangentX, c.startX, 1e-6);
        EXPECT_NEAR(path.vertices[0].tangentY, c.startY, 1e-6);
        EXPECT_NEAR(path.vertices[1].tangentX, c.endX, 1e-6);
        EXPECT_NEAR(path.vertices[1].tangentY, c.endY, 1e-6);
    }
}

TEST(FlattenCurves, SmoothCubicReflectsTheSecondControlPoint)
{
    // After CUBIC (0,10) (30,10) (30,0) the first control is 2 (30,0) - (30,10) = (30,-10): the smooth
    // cubic leaves (30,0) heading down (0,-1) and arrives at (60,0) from (60,-10), heading up.
    PathObject path =
        makePath({VG_MOVE_TO_ABS, VG_CUBIC_TO_ABS, VG_SCUBIC_TO_ABS}, {0, 0, 0, 10, 30, 10, 30, 0, 60, -10, 60, 0});
    flatten(path);
    expectRanges(path, {{-1, -1}, {0, 1}, {2, 3}});
    EXPECT_EQ(path.vertices[2].tangentX, 0.0f);
    EXPECT_EQ(path.vertices[2].tangentY, -1.0f);
    EXPECT_EQ(path.vertices[3].tangentX, 0.0f);
    EXPECT_EQ(path.vertices[3].tangentY, 1.0f);

    // After a line the reflected control is the current point: the start tangent falls back to C2 - P0.
    PathObject afterLine = makePath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_SCUBIC_TO_REL}, {0, 0, 10, 0, 3, 4, 10, 0});
    flatten(afterLine);
    EXPECT_FLOAT_EQ(afterLine.vertices[2].tangentX, 0.6f);
    EXPECT_FLOAT_EQ(afterLine.vertices[2].tangentY, 0.8f);
    EXPECT_EQ(afterLine.vertices[3].x, 20.0f);
}

TEST(FlattenCurves, DefaultScaleMakesEveryCurveAChordAndDegenerateCurvesVanish)
{
    // Scale -1: a negative step count, so a 300-unit quadratic and a cubic are two vertices each.
    PathObject path = makePath({VG_MOVE_TO_ABS, VG_QUAD_TO_ABS, VG_CUBIC_TO_ABS, VG_QUAD_TO_ABS, VG_CUBIC_TO_ABS},
                               {0, 0, 90, 120, 180, 0, 180, 100, 0, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(path.flatteningScale, -1.0f);
    flatten(path);
    // The last quadratic and cubic have every point at (0,0): nothing, ranges on the last vertex (3).
    expectRanges(path, {{-1, -1}, {0, 1}, {2, 3}, {3, 3}, {3, 3}});
    EXPECT_EQ(path.vertices[1].distance, 180.0f);
    EXPECT_EQ(path.vertices[3].distance, 360.0f); // chord (180,0) -> (0,0)
}

// ---- Arcs ----

struct ArcCase {
    int segment;
    float midX, midY; // vertex 128
};

float distanceFrom(const FlatVertex &v, float cx, float cy)
{
    return std::hypot(v.x - cx, v.y - cy);
}

TEST(FlattenArcs, HalfCircleInEachSweepDirection)
{
    // (30,20) to (10,20) with radius 10: the end points are a diameter apart, so all four commands share
    // the centre (20,20); the counter-clockwise ones pass over the top, the clockwise ones below.
    const ArcCase cases[] = {{VG_SCCWARC_TO_ABS, 20, 30},
                             {VG_LCCWARC_TO_ABS, 20, 30},
                             {VG_SCWARC_TO_ABS, 20, 10},
                             {VG_LCWARC_TO_ABS, 20, 10}};
    for (const ArcCase &c : cases) {
        SCOPED_TRACE("segment " + std::to_string(c.segment));
        const float up = c.midY > 20 ? 1.0f : -1.0f;
        PathObject path = makePath({VG_MOVE_TO_ABS, c.segment}, {30, 20, 10, 10, 0, 10, 20}, 1.0f);
        flatten(path);
        // 257 vertices whatever the scale, then the implicit pair.
        expectRanges(path, {{-1, -1}, {0, 256}});
        ASSERT_EQ(path.vertices.size(), 259u);
        // End points exact; start tangent (0, up), end tangent (0, -up).
        const FlatVertex &start = path.vertices[0];
        const FlatVertex &end = path.vertices[256];
        EXPECT_EQ(start.x, 30.0f);
        EXPECT_EQ(start.y, 20.0f);
        EXPECT_EQ(start.flags, 5);
        EXPECT_NEAR(start.tangentX, 0.0f, 1e-7);
        EXPECT_EQ(start.tangentY, up);
        EXPECT_EQ(end.x, 10.0f);
        EXPECT_EQ(end.y, 20.0f);
        EXPECT_EQ(end.flags, 10);
        EXPECT_NEAR(end.tangentX, 0.0f, 1e-7);
        EXPECT_EQ(end.tangentY, -up);
        // The quarter points i = 64, 128, 192 sit at 45, 90 and 135 degrees of the sweep; 128 is exact.
        EXPECT_EQ(path.vertices[128].x, c.midX);
        EXPECT_EQ(path.vertices[128].y, c.midY);
        EXPECT_NEAR(path.vertices[64].x, 20 + 10 * kInvSqrt2, 1e-4);
        EXPECT_NEAR(path.vertices[64].y, 20 + up * 10 * kInvSqrt2, 1e-4);
        EXPECT_NEAR(path.vertices[192].x, 20 - 10 * kInvSqrt2, 1e-4);
        EXPECT_NEAR(path.vertices[192].y, 20 + up * 10 * kInvSqrt2, 1e-4);
        // Halfway the travel is leftwards either way: the sweep runs from x = 30 to x = 10.
        EXPECT_NEAR(path.vertices[128].tangentX, -1.0f, 1e-6);
        for (int i = 1; i < 256; ++i) {
            const FlatVertex &v = path.vertices[i];
            EXPECT_EQ(v.flags, 0) << i;
            EXPECT_NEAR(distanceFrom(v, 20, 20), 10.0f, 1e-4) << i;
            // Each point is 180/256 degrees further: the turn from the previous point keeps its sign, every
            // chord is 2 x 10 x sin(pi/512) = 0.12272 long, and the tangent is perpendicular to the radius.
            const FlatVertex &p = path.vertices[i - 1];
            const float cross = (p.x - 20) * (v.y - 20) - (p.y - 20) * (v.x - 20);
            EXPECT_GT(cross * up, 0.0f) << i;
            EXPECT_NEAR(v.distance - p.distance, 20 * std::sin(std::numbers::pi / 512), 1e-4) << i;
            EXPECT_NEAR((v.x - 20) * v.tangentX + (v.y - 20) * v.tangentY, 0.0f, 1e-4) << i;
        }
        // The polyline length: 256 chords of 2 x 10 x sin(pi/512).
        EXPECT_NEAR(end.distance, 256 * 20 * std::sin(std::numbers::pi / 512), 2e-3);
    }
}

TEST(FlattenArcs, CommandsPickTheirCentreAndSweep)
{
    // (10,0) to (0,10), radius 10: the centres are (0,0) and (10,10). Small counter-clockwise turns 90
    // degrees about (0,0); small clockwise 90 degrees about (10,10); large counter-clockwise 270 about
    // (10,10); large clockwise 270 about (0,0). Vertex 128 is halfway along each sweep.
    const float h = 10 * kInvSqrt2;
    const struct {
        int segment;
        float cx, cy, midX, midY;
    } cases[] = {{VG_SCCWARC_TO_ABS, 0, 0, h, h},
                 {VG_SCWARC_TO_ABS, 10, 10, 10 - h, 10 - h},
                 {VG_LCCWARC_TO_ABS, 10, 10, 10 + h, 10 + h},
                 {VG_LCWARC_TO_ABS, 0, 0, -h, -h}};
    for (const auto &c : cases) {
        SCOPED_TRACE("segment " + std::to_string(c.segment));
        PathObject path = makePath({VG_MOVE_TO_ABS, c.segment}, {10, 0, 10, 10, 0, 0, 10});
        flatten(path);
        ASSERT_EQ(path.segmentRanges[1].last, 256);
        EXPECT_NEAR(path.vertices[128].x, c.midX, 1e-4);
        EXPECT_NEAR(path.vertices[128].y, c.midY, 1e-4);
        for (int i = 1; i < 256; ++i)
            EXPECT_NEAR(distanceFrom(path.vertices[i], c.cx, c.cy), 10.0f, 1e-4) << i;
        EXPECT_EQ(path.vertices[256].x, 0.0f);
        EXPECT_EQ(path.vertices[256].y, 10.0f);
    }
}

TEST(FlattenArcs, DegenerateArcsBecomeLinesOrNothing)
{
    // rh = 0: a straight line of two vertices; rh = -10 with rv = 0 likewise; an arc to the current point
    // produces nothing and points at the vertex before it.
    PathObject path = makePath({VG_MOVE_TO_ABS, VG_SCCWARC_TO_ABS, VG_LCWARC_TO_ABS, VG_SCWARC_TO_ABS},
                               {0, 0, 0, 5, 0, 10, 0, -10, 0, 30, 20, 0, 7, 7, 45, 20, 0});
    flatten(path);
    expectRanges(path, {{-1, -1}, {0, 1}, {2, 3}, {3, 3}});
    expectVertices(path, {{0, 0, 1, 0, 0, 5},
                          {10, 0, 1, 0, 10, 8},
                          {10, 0, 1, 0, 10, 4},
                          {20, 0, 1, 0, 20, 10},
                          {20, 0, -1, 0, 20, 36},
                          {0, 0, -1, 0, 20, 40}});
}

TEST(FlattenArcs, NegativeRadiiCountByMagnitude)
{
    // rh = -10 taken as it stands would mirror the ellipse and put the counter-clockwise half circle from
    // (30,20) to (10,20) below the centre; by magnitude it passes over the top, through (20,30).
    PathObject path = makePath({VG_MOVE_TO_ABS, VG_SCCWARC_TO_ABS}, {30, 20, -10, 10, 0, 10, 20});
    flatten(path);
    ASSERT_EQ(path.segmentRanges[1].last, 256);
    EXPECT_EQ(path.vertices[128].x, 20.0f);
    EXPECT_EQ(path.vertices[128].y, 30.0f);
}

TEST(FlattenArcs, RadiiTooSmallAreScaledToAHalfEllipse)
{
    // (0,0) to (20,0) with radii 2 x 1: on the unit-circle plane the points are 10 apart, so both radii
    // grow by sqrt(100) / 2 = 5 to 10 x 5, centred at (10,0). Counter-clockwise from (0,0) passes below.
    for (const auto &[segment, midY] : {std::pair{VG_SCCWARC_TO_ABS, -5.0f}, std::pair{VG_SCWARC_TO_ABS, 5.0f}}) {
        PathObject path = makePath({VG_MOVE_TO_ABS, segment}, {0, 0, 2, 1, 0, 20, 0});
        flatten(path);
        ASSERT_EQ(path.segmentRanges[1].last, 256);
        EXPECT_EQ(path.vertices[128].x, 10.0f);
        EXPECT_EQ(path.vertices[128].y, midY);
        for (int i = 0; i <= 256; ++i) {
            const FlatVertex &v = path.vertices[i];
            const float ex = (v.x - 10) / 10;
            const float ey = v.y / 5;
            EXPECT_NEAR(ex * ex + ey * ey, 1.0f, 1e-5) << i;
            EXPECT_GE(v.y * midY, -1e-5f) << "stays on the side of vertex 128, " << i;
        }
        EXPECT_EQ(path.vertices[256].x, 20.0f);
        EXPECT_EQ(path.vertices[256].y, 0.0f);
    }
}

TEST(FlattenArcs, RotationTurnsTheEllipse)
{
    // Radii 10 x 5 turned 90 degrees: the long axis is vertical. (0,-10) to (0,10) counter-clockwise
    // runs through (5,0), leaving (0,-10) along +x.
    PathObject path = makePath({VG_MOVE_TO_ABS, VG_SCCWARC_TO_ABS}, {0, -10, 10, 5, 90, 0, 10});
    flatten(path);
    ASSERT_EQ(path.segmentRanges[1].last, 256);
    EXPECT_NEAR(path.vertices[128].x, 5.0f, 1e-5);
    EXPECT_NEAR(path.vertices[128].y, 0.0f, 1e-5);
    EXPECT_NEAR(path.vertices[0].tangentX, 1.0f, 1e-6);
    EXPECT_NEAR(path.vertices[0].tangentY, 0.0f, 1e-5);
    for (int i = 0; i <= 256; ++i) {
        const FlatVertex &v = path.vertices[i];
        EXPECT_NEAR((v.x / 5) * (v.x / 5) + (v.y / 10) * (v.y / 10), 1.0f, 1e-5) << i;
    }
}

TEST(FlattenArcs, RelativeArcsOffsetOnlyTheEndPoint)
{
    // From (100,100), relative end (-20,0) -> (80,100); radii 10 x 5 and rotation 0 are taken as they are,
    // so the half ellipse is centred at (90,100) and reaches (90,105) halfway.
    PathObject path = makePath({VG_MOVE_TO_ABS, VG_SCCWARC_TO_REL}, {100, 100, 10, 5, 0, -20, 0});
    flatten(path);
    ASSERT_EQ(path.segmentRanges[1].last, 256);
    EXPECT_EQ(path.vertices[128].x, 90.0f);
    EXPECT_EQ(path.vertices[128].y, 105.0f);
    EXPECT_EQ(path.vertices[256].x, 80.0f);
    EXPECT_EQ(path.vertices[256].y, 100.0f);
}

// ---- The cache ----

TEST(FlattenCache, SameScaleKeepsTheFormADifferentScaleDiscardsIt)
{
    PathObject path = makePath({VG_MOVE_TO_ABS, VG_QUAD_TO_ABS}, {0, 0, 90, 120, 180, 0});
    setFlatteningScale(path, 1.0f);
    flatten(path);
    ASSERT_EQ(path.vertices.size(), 259u);

    // Same value: nothing is rebuilt, so a tampered vertex survives.
    path.vertices[5].x = 999.0f;
    setFlatteningScale(path, 1.0f);
    flattenPath(path);
    EXPECT_EQ(path.vertices[5].x, 999.0f);
    EXPECT_EQ(path.flatteningScale, 1.0f);

    // A different value discards; the next flatten rebuilds at 0.5: 150 steps.
    setFlatteningScale(path, 0.5f);
    EXPECT_TRUE(path.vertices.empty());
    EXPECT_EQ(path.flatteningScale, 0.5f);
    flatten(path);
    EXPECT_EQ(path.vertices.size(), 153u);
    EXPECT_NE(path.vertices[5].x, 999.0f);

    // discardFlattening forces a rebuild at the same scale.
    path.vertices[5].x = 999.0f;
    discardFlattening(path);
    flatten(path);
    EXPECT_NE(path.vertices[5].x, 999.0f);
}

TEST(FlattenCache, StorageGrowsByDoublingAndRangesFitTheSegments)
{
    PathObject line = makePath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS}, {0, 0, 1, 0});
    flatten(line);
    EXPECT_EQ(line.vertices.capacity(), 8u);
    EXPECT_EQ(line.segmentRanges.capacity(), 2u);

    // 259 vertices: 8, 16, ..., 512.
    PathObject arc = makePath({VG_MOVE_TO_ABS, VG_SCCWARC_TO_ABS, VG_CLOSE_PATH}, {0, 0, 1, 1, 0, 2, 0});
    flatten(arc);
    EXPECT_EQ(arc.vertices.size(), 259u);
    EXPECT_EQ(arc.vertices.capacity(), 512u);
    EXPECT_EQ(arc.segmentRanges.capacity(), 3u);
}

TEST(FlattenCache, AllocationFailureLeavesNoHalfBuiltForm)
{
    // Ten 300-unit quadratics: 22 vertices as chords (capacity 32), 2572 at scale 1. With every
    // allocation failing, the rebuild fills the 32 it has, fails to grow, and must leave nothing behind.
    PathObject path = makePath({VG_MOVE_TO_ABS}, {0, 0});
    for (int i = 0; i < 10; ++i)
        appendSegment(path, VG_QUAD_TO_REL, {90, 120, 180, 0});
    flatten(path);
    ASSERT_EQ(path.vertices.size(), 22u);
    ASSERT_EQ(path.vertices.capacity(), 32u);
    setFlatteningScale(path, 1.0f);
    bool threw = false;
    {
        FailAllocations failing;
        try {
            flattenPath(path);
        } catch (const std::bad_alloc &) {
            threw = true;
        }
    }
    EXPECT_TRUE(threw);
    EXPECT_TRUE(path.vertices.empty());
    flatten(path);
    EXPECT_EQ(path.vertices.size(), 10u * 257 + 2);
    EXPECT_EQ(path.segmentRanges[10].last, 10 * 257 - 1);
}

// ---- Vector helpers ----

TEST(FlattenVectorHelpers, NormalizeAndLengthSurviveTheEndsOfTheFloatRange)
{
    EXPECT_EQ(length(Vector2{3, 4}), 5.0f);
    const Vector2 unit = normalize(Vector2{3, 4});
    EXPECT_EQ(unit.x, 0.6f);
    EXPECT_EQ(unit.y, 0.8f);
    EXPECT_TRUE((normalize(Vector2{0, 0}) == Vector2{0, 0})); // zero stays zero
    EXPECT_TRUE((normalize(Vector2{NAN, 1}) == Vector2{0, 0}));
    // Squares of these overflow or underflow in float; the results do not.
    EXPECT_EQ(length(Vector2{3e38f, 0}), 3e38f);
    EXPECT_EQ(length(Vector2{1e-30f, 0}), 1e-30f);
    EXPECT_FLOAT_EQ(normalize(Vector2{3e38f, 3e38f}).x, kInvSqrt2);
    EXPECT_EQ(normalize(Vector2{-1e-30f, 0}).x, -1.0f);
    EXPECT_EQ(normalize(Vector2{INFINITY, 5}).x, 1.0f);
    EXPECT_EQ(length(Vector2{INFINITY, 0}), INFINITY);
    // Perpendiculars: (-y, x) and (y, -x).
    EXPECT_TRUE((perpendicularCcw(Vector2{1, 2}) == Vector2{-2, 1}));
    EXPECT_TRUE((perpendicularCw(Vector2{1, 2}) == Vector2{2, -1}));
    EXPECT_EQ(dot(Vector2{1, 2}, Vector2{3, 4}), 11.0f);
}

} // namespace
} // namespace tamarind::test
