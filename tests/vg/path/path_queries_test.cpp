// Path queries through the API: check orders, the segment range bookkeeping behind lengths and points
// along a path (several subpaths, moves inside a range, closing edges), curves and arcs at the query
// flattening, and bounds in user and surface space.
#include "allocation_failure.h"
#include "egl_fixture.h"

#include "context/vg_context.h"
#include "path/flatten.h"
#include "path/path_object.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace tamarind::test {
namespace {

using Bytes = std::vector<uint8_t>;
using Floats = std::vector<float>;

using PathQueryTest = BoundContextTest;
using PathQueryWithoutContextTest = EglTest;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

PathObject &recordOf(VGPath path)
{
    return *isPath(*static_cast<VgContext *>(eglGetCurrentVGContext()), path);
}

VGPath makePath(const Bytes &segments, const Floats &coordinates, VGbitfield capabilities = VG_PATH_CAPABILITY_ALL)
{
    VGPath path = vgCreatePath(VG_PATH_FORMAT_STANDARD, VG_PATH_DATATYPE_F, 1.0f, 0.0f, 0, 0, VG_PATH_CAPABILITY_ALL);
    if (!segments.empty())
        vgAppendPathData(path, static_cast<VGint>(segments.size()), segments.data(), coordinates.data());
    vgRemovePathCapabilities(path, ~capabilities);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    return path;
}

VGbitfield allBut(VGbitfield capability)
{
    return VG_PATH_CAPABILITY_ALL & ~capability;
}

struct Along {
    float x = -99.0f, y = -99.0f, tx = -99.0f, ty = -99.0f; // -99: not written
};

Along pointAlong(VGPath path, VGint start, VGint count, float distance)
{
    Along r;
    vgPointAlongPath(path, start, count, distance, &r.x, &r.y, &r.tx, &r.ty);
    return r;
}

struct Box {
    float minX = -99.0f, minY = -99.0f, width = -99.0f, height = -99.0f;
};

Box boundsOf(VGPath path)
{
    Box b;
    vgPathBounds(path, &b.minX, &b.minY, &b.width, &b.height);
    return b;
}

Box transformedBoundsOf(VGPath path)
{
    Box b;
    vgPathTransformedBounds(path, &b.minX, &b.minY, &b.width, &b.height);
    return b;
}

#define EXPECT_ALONG(r, ex, ey, etx, ety)                                                                              \
    do {                                                                                                               \
        EXPECT_EQ((r).x, (ex));                                                                                        \
        EXPECT_EQ((r).y, (ey));                                                                                        \
        EXPECT_EQ((r).tx, (etx));                                                                                      \
        EXPECT_EQ((r).ty, (ety));                                                                                      \
    } while (0)

#define EXPECT_BOX(b, ex, ey, ew, eh)                                                                                  \
    do {                                                                                                               \
        EXPECT_EQ((b).minX, (ex));                                                                                     \
        EXPECT_EQ((b).minY, (ey));                                                                                     \
        EXPECT_EQ((b).width, (ew));                                                                                    \
        EXPECT_EQ((b).height, (eh));                                                                                   \
    } while (0)

// MOVE (0, 0), LINE (3, 4), CLOSE: a 5-long edge and a 5-long closing edge.
VGPath closedTriangleEdge(VGbitfield capabilities = VG_PATH_CAPABILITY_ALL)
{
    return makePath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_CLOSE_PATH}, {0, 0, 3, 4}, capabilities);
}

// Two subpaths: (0, 0) - (10, 0), then (20, 0) - (20, 10). The second move ends the first subpath with an
// implicit closing pair (10, 0) -> (0, 0) that adds no length and belongs to the move's range.
VGPath twoOpenLines()
{
    return makePath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_MOVE_TO_ABS, VG_LINE_TO_ABS}, {0, 0, 10, 0, 20, 0, 20, 10});
}

// ---- vgPathLength ----

TEST_F(PathQueryTest, LengthChecksHandleThenCapabilityThenRange)
{
    VGPath path = closedTriangleEdge();
    VGPath noLength = closedTriangleEdge(allBut(VG_PATH_CAPABILITY_PATH_LENGTH));

    EXPECT_EQ(vgPathLength(path + 1000, -1, 0), -1.0f);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    EXPECT_EQ(vgPathLength(noLength, -1, 0), -1.0f);
    EXPECT_EQ(vgGetError(), VG_PATH_CAPABILITY_ERROR);
    for (auto [start, count] : {std::pair{-1, 1}, {0, 0}, {0, -1}, {0, 4}, {3, 1}, {1, INT32_MAX}}) {
        EXPECT_EQ(vgPathLength(path, start, count), -1.0f) << start << ", " << count;
        EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR) << start << ", " << count;
    }
    VGPath empty = makePath({}, {});
    EXPECT_EQ(vgPathLength(empty, 0, 1), -1.0f) << "a range needs at least one segment";
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
}

TEST_F(PathQueryWithoutContextTest, LengthWithoutABoundContextIsMinusOne)
{
    EXPECT_EQ(vgPathLength(1, 0, 1), -1.0f);
    EXPECT_EQ(vgGetError(), VG_NO_CONTEXT_ERROR);
}

TEST_F(PathQueryTest, LengthOfSegmentRanges)
{
    VGPath path = closedTriangleEdge();
    EXPECT_EQ(vgPathLength(path, 0, 3), 10.0f); // |(3, 4)| + the closing edge back
    EXPECT_EQ(vgPathLength(path, 0, 2), 5.0f);
    EXPECT_EQ(vgPathLength(path, 1, 1), 5.0f);
    EXPECT_EQ(vgPathLength(path, 2, 1), 5.0f);
    EXPECT_EQ(vgPathLength(path, 0, 1), 0.0f) << "a move alone has no length";
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);

    VGPath moveOnly = makePath({VG_MOVE_TO_ABS}, {4, 4});
    EXPECT_EQ(vgPathLength(moveOnly, 0, 1), 0.0f);
}

TEST_F(PathQueryTest, LengthAcrossSubpathsSkipsMovesAndImplicitCloses)
{
    // Subpath 1: (0, 0) (3, 4) closed, 5 + 5. Subpath 2: (10, 0) then hline +2 and vline +7, left open.
    VGPath path =
        makePath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_CLOSE_PATH, VG_MOVE_TO_ABS, VG_HLINE_TO_REL, VG_VLINE_TO_REL},
                 {0, 0, 3, 4, 10, 0, 2, 7});
    EXPECT_EQ(vgPathLength(path, 0, 6), 19.0f); // 5 + 5 + 2 + 7; the open subpath's closing edge adds nothing
    EXPECT_EQ(vgPathLength(path, 3, 3), 9.0f);
    EXPECT_EQ(vgPathLength(path, 2, 2), 5.0f) << "the close, then a move that adds nothing";
    EXPECT_EQ(vgPathLength(path, 5, 1), 7.0f);

    VGPath open = twoOpenLines();
    EXPECT_EQ(vgPathLength(open, 0, 4), 20.0f);
    EXPECT_EQ(vgPathLength(open, 2, 1), 0.0f) << "the implicit closing pair of the move adds nothing";
    EXPECT_EQ(vgPathLength(open, 2, 2), 10.0f);
}

TEST_F(PathQueryTest, QueriesFlattenAtScaleOne)
{
    // Quadratic (0, 0), (5, 10), (10, 0): control polygon 2 sqrt(125) = 22.36, so 22 steps at scale 1.
    VGPath path = makePath({VG_MOVE_TO_ABS, VG_QUAD_TO_ABS}, {0, 0, 5, 10, 10, 0});
    PathObject &record = recordOf(path);
    setFlatteningScale(record, 10.0f);
    flattenPath(record);
    const float length = vgPathLength(path, 0, 2);
    EXPECT_EQ(record.flatteningScale, 1.0f);
    EXPECT_EQ(record.vertices.size(), 23u + 2u) << "22 steps plus the implicit closing pair";
    // The parabola's arc length is 14.789; its 22 chords add up to 14.7833.
    EXPECT_NEAR(length, 14.7833f, 1e-3f);
}

TEST_F(PathQueryTest, AllocationFailureWhileFlatteningWritesNothing)
{
    VGPath path = closedTriangleEdge();
    Along along;
    Box box;
    float length = 0.0f;
    {
        FailAllocations failing;
        length = vgPathLength(path, 0, 3);
    }
    EXPECT_EQ(length, -1.0f);
    EXPECT_EQ(vgGetError(), VG_OUT_OF_MEMORY_ERROR);
    {
        FailAllocations failing;
        vgPointAlongPath(path, 0, 3, 1.0f, &along.x, &along.y, &along.tx, &along.ty);
    }
    EXPECT_EQ(vgGetError(), VG_OUT_OF_MEMORY_ERROR);
    EXPECT_ALONG(along, -99.0f, -99.0f, -99.0f, -99.0f);
    {
        FailAllocations failing;
        vgPathBounds(path, &box.minX, &box.minY, &box.width, &box.height);
        EXPECT_EQ(vgGetError(), VG_OUT_OF_MEMORY_ERROR);
        vgPathTransformedBounds(path, &box.minX, &box.minY, &box.width, &box.height);
        EXPECT_EQ(vgGetError(), VG_OUT_OF_MEMORY_ERROR);
    }
    EXPECT_BOX(box, -99.0f, -99.0f, -99.0f, -99.0f);
    EXPECT_EQ(vgPathLength(path, 0, 3), 10.0f) << "no half-built form is left behind";
}

// ---- vgPointAlongPath ----

TEST_F(PathQueryTest, PointAlongChecksHandleThenCapabilityPairsThenArguments)
{
    VGPath path = closedTriangleEdge(allBut(VG_PATH_CAPABILITY_POINT_ALONG_PATH));
    float x = -99.0f, y = -99.0f, tx = -99.0f, ty = -99.0f;

    vgPointAlongPath(path + 1000, -1, 0, 0.0f, &x, &y, &tx, &ty);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgPointAlongPath(path, -1, 0, 0.0f, &x, &y, nullptr, nullptr);
    EXPECT_EQ(vgGetError(), VG_PATH_CAPABILITY_ERROR) << "the point pair needs its capability before the range";
    // Only x given: the point is never written, so its capability is not needed.
    vgPointAlongPath(path, 1, 1, 2.5f, &x, nullptr, &tx, &ty);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(x, -99.0f);
    EXPECT_FLOAT_EQ(tx, 0.6f); // (3, 4) / 5
    EXPECT_FLOAT_EQ(ty, 0.8f);
    vgPointAlongPath(path, 1, 1, 2.5f, nullptr, &y, nullptr, nullptr);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(y, -99.0f);

    VGPath noTangent = closedTriangleEdge(allBut(VG_PATH_CAPABILITY_TANGENT_ALONG_PATH));
    vgPointAlongPath(noTangent, 0, 9, 0.0f, nullptr, nullptr, &tx, &ty);
    EXPECT_EQ(vgGetError(), VG_PATH_CAPABILITY_ERROR);
    vgPointAlongPath(noTangent, 1, 1, 2.5f, &x, &y, nullptr, &ty);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(x, 1.5f);
    EXPECT_EQ(y, 2.0f);

    VGPath full = closedTriangleEdge();
    for (auto [start, count] : {std::pair{-1, 1}, {0, 0}, {2, 2}, {1, INT32_MAX}}) {
        vgPointAlongPath(full, start, count, 0.0f, &x, &y, &tx, &ty);
        EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR) << start << ", " << count;
    }
}

TEST_F(PathQueryTest, PointAlongRejectsMisalignedOutputs)
{
    VGPath path = closedTriangleEdge();
    alignas(4) unsigned char storage[32] = {};
    auto *misaligned = reinterpret_cast<float *>(storage + 2);
    float x = -99.0f, y = -99.0f, tx = -99.0f, ty = -99.0f;
    vgPointAlongPath(path, 0, 3, 1.0f, misaligned, &y, &tx, &ty);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgPointAlongPath(path, 0, 3, 1.0f, &x, &y, &tx, misaligned);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    // A misaligned pointer of an incomplete pair is still refused.
    vgPointAlongPath(path, 0, 3, 1.0f, &x, &y, misaligned, nullptr);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_ALONG((Along{x, y, tx, ty}), -99.0f, -99.0f, -99.0f, -99.0f);
}

TEST_F(PathQueryTest, PointAlongALineClampsToItsEnds)
{
    VGPath path = makePath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS}, {0, 0, 10, 0});
    EXPECT_ALONG(pointAlong(path, 0, 2, 2.5f), 2.5f, 0.0f, 1.0f, 0.0f);
    EXPECT_ALONG(pointAlong(path, 0, 2, -5.0f), 0.0f, 0.0f, 1.0f, 0.0f);
    EXPECT_ALONG(pointAlong(path, 0, 2, 50.0f), 10.0f, 0.0f, 1.0f, 0.0f);
    EXPECT_ALONG(pointAlong(path, 0, 2, std::numeric_limits<float>::infinity()), 10.0f, 0.0f, 1.0f, 0.0f);
    // A NaN distance answers like a distance of 0 or less: the range's first vertex.
    EXPECT_ALONG(pointAlong(path, 0, 2, kNaN), 0.0f, 0.0f, 1.0f, 0.0f);
    // A range of the move alone has no geometry: (0, 0) and (1, 0).
    EXPECT_ALONG(pointAlong(path, 0, 1, 3.0f), 0.0f, 0.0f, 1.0f, 0.0f);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(PathQueryTest, PointAlongAPathWithoutGeometryIsTheOrigin)
{
    VGPath path = makePath({VG_MOVE_TO_ABS, VG_MOVE_TO_ABS}, {5, 5, 7, 7});
    EXPECT_ALONG(pointAlong(path, 1, 1, 1.0f), 0.0f, 0.0f, 1.0f, 0.0f);
}

TEST_F(PathQueryTest, PointAlongWalksAcrossSubpathsAndClosingEdges)
{
    // Distances: (0, 0) 0, (3, 4) 5, close back to (0, 0) 10, then (10, 0) 10 and (10, 7) 17.
    VGPath path = makePath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_CLOSE_PATH, VG_MOVE_TO_ABS, VG_LINE_TO_ABS},
                           {0, 0, 3, 4, 10, 0, 10, 7});
    // 7: 2 along the closing edge (3, 4) -> (0, 0): g = 0.4, (0.6 x 3, 0.6 x 4), heading (-0.6, -0.8).
    const Along onClose = pointAlong(path, 0, 5, 7.0f);
    EXPECT_FLOAT_EQ(onClose.x, 1.8f);
    EXPECT_FLOAT_EQ(onClose.y, 2.4f);
    EXPECT_FLOAT_EQ(onClose.tx, -0.6f);
    EXPECT_FLOAT_EQ(onClose.ty, -0.8f);
    // 10 is both the end of the close and the start of the next subpath: the later segment takes it.
    EXPECT_ALONG(pointAlong(path, 0, 5, 10.0f), 10.0f, 0.0f, 0.0f, 1.0f);
    const Along onSecond = pointAlong(path, 0, 5, 12.0f); // 2 of the 7 up from (10, 0)
    EXPECT_FLOAT_EQ(onSecond.x, 10.0f);
    EXPECT_FLOAT_EQ(onSecond.y, 2.0f);
    EXPECT_EQ(onSecond.tx, 0.0f);
    EXPECT_EQ(onSecond.ty, 1.0f);
    // A range that starts at the second move measures from that move.
    EXPECT_ALONG(pointAlong(path, 3, 2, 3.5f), 10.0f, 3.5f, 0.0f, 1.0f);
}

TEST_F(PathQueryTest, RangeStartingAtAMoveAfterGeometryStartsAtThePreviousEnd)
{
    VGPath path = twoOpenLines();
    // The move's range holds the implicit closing pair (10, 0) -> (0, 0) heading (-1, 0), with no length.
    EXPECT_ALONG(pointAlong(path, 2, 2, 0.0f), 10.0f, 0.0f, -1.0f, 0.0f);
    EXPECT_ALONG(pointAlong(path, 2, 2, -3.0f), 10.0f, 0.0f, -1.0f, 0.0f);
    EXPECT_ALONG(pointAlong(path, 2, 2, kNaN), 10.0f, 0.0f, -1.0f, 0.0f);
    EXPECT_ALONG(pointAlong(path, 2, 2, 5.0f), 20.0f, 5.0f, 0.0f, 1.0f);
    EXPECT_ALONG(pointAlong(path, 2, 2, 10.0f), 20.0f, 10.0f, 0.0f, 1.0f);
}

TEST_F(PathQueryTest, PointAlongInterpolatesTheTangentBetweenVertices)
{
    // Cubic with controls (0, 10) and (10, 10) to (10, 0): polygon 30 units, 30 steps at scale 1. Halfway
    // along (by symmetry) lies the vertex t = 1/2 at (5, 7.5), heading along +x.
    VGPath path = makePath({VG_MOVE_TO_ABS, VG_CUBIC_TO_ABS}, {0, 0, 0, 10, 10, 10, 10, 0});
    const float length = vgPathLength(path, 0, 2);
    const Along middle = pointAlong(path, 0, 2, length / 2.0f);
    EXPECT_NEAR(middle.x, 5.0f, 1e-3f);
    EXPECT_NEAR(middle.y, 7.5f, 1e-3f);
    EXPECT_NEAR(middle.tx, 1.0f, 1e-4f);
    EXPECT_NEAR(middle.ty, 0.0f, 1e-2f);
    // The tangent written is always unit length, also between vertices.
    const Along quarter = pointAlong(path, 0, 2, length / 4.0f + 0.1f);
    EXPECT_NEAR(std::hypot(quarter.tx, quarter.ty), 1.0f, 1e-6f);
    EXPECT_GT(quarter.tx, 0.0f);
    EXPECT_GT(quarter.ty, 0.0f);
    // The ends are exact: the start heads to the first control, the end away from the last.
    EXPECT_ALONG(pointAlong(path, 0, 2, 0.0f), 0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_ALONG(pointAlong(path, 0, 2, length), 10.0f, 0.0f, 0.0f, -1.0f);
}

TEST_F(PathQueryTest, ArcEndsAreExact)
{
    // Half circle of radius 5 from (0, 0) to (10, 0), counter-clockwise around (5, 0): it passes below the
    // axis through (5, -5), starting downwards and ending upwards. 256 chords of 5 x pi / 256 each.
    VGPath path = makePath({VG_MOVE_TO_ABS, VG_SCCWARC_TO_ABS}, {0, 0, 5, 5, 0, 10, 0});
    const float length = vgPathLength(path, 0, 2);
    EXPECT_NEAR(length, 15.70786f, 1e-3f); // 256 x 10 sin(pi / 512), just under 5 pi
    const Along start = pointAlong(path, 0, 2, 0.0f);
    EXPECT_EQ(start.x, 0.0f);
    EXPECT_EQ(start.y, 0.0f);
    EXPECT_NEAR(start.tx, 0.0f, 1e-6f);
    EXPECT_NEAR(start.ty, -1.0f, 1e-6f);
    const Along end = pointAlong(path, 0, 2, 1000.0f);
    EXPECT_EQ(end.x, 10.0f);
    EXPECT_EQ(end.y, 0.0f);
    EXPECT_NEAR(end.tx, 0.0f, 1e-6f);
    EXPECT_NEAR(end.ty, 1.0f, 1e-6f);
    const Along middle = pointAlong(path, 0, 2, length / 2.0f);
    EXPECT_NEAR(middle.x, 5.0f, 1e-3f);
    EXPECT_NEAR(middle.y, -5.0f, 1e-3f);

    const Box box = boundsOf(path);
    EXPECT_EQ(box.minX, 0.0f);
    EXPECT_NEAR(box.minY, -5.0f, 1e-4f);
    EXPECT_EQ(box.width, 10.0f);
    EXPECT_NEAR(box.height, 5.0f, 1e-4f);
}

// ---- vgPathBounds and vgPathTransformedBounds ----

TEST_F(PathQueryTest, BoundsCheckHandleThenCapabilityThenPointers)
{
    VGPath path = closedTriangleEdge();
    float v[4] = {-99.0f, -99.0f, -99.0f, -99.0f};
    alignas(4) unsigned char storage[8] = {};
    auto *misaligned = reinterpret_cast<float *>(storage + 1);
    using BoundsCall = void (*)(VGPath, VGfloat *, VGfloat *, VGfloat *, VGfloat *);
    const std::pair<BoundsCall, VGbitfield> calls[] = {
        {vgPathBounds, VG_PATH_CAPABILITY_PATH_BOUNDS},
        {vgPathTransformedBounds, VG_PATH_CAPABILITY_PATH_TRANSFORMED_BOUNDS}};
    for (const auto &[call, capability] : calls) {
        call(path + 1000, nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
        VGPath without = closedTriangleEdge(allBut(capability));
        call(without, nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(vgGetError(), VG_PATH_CAPABILITY_ERROR);
        call(path, nullptr, &v[1], &v[2], &v[3]);
        EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
        call(path, &v[0], &v[1], &v[2], nullptr);
        EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
        call(path, &v[0], misaligned, &v[2], &v[3]);
        EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
        EXPECT_BOX((Box{v[0], v[1], v[2], v[3]}), -99.0f, -99.0f, -99.0f, -99.0f);
    }
}

TEST_F(PathQueryTest, BoundsOfPathsWithoutGeometry)
{
    VGPath empty = makePath({}, {});
    VGPath move = makePath({VG_MOVE_TO_ABS}, {3, 4});
    for (VGPath path : {empty, move}) {
        EXPECT_BOX(boundsOf(path), 0.0f, 0.0f, -1.0f, -1.0f);
        EXPECT_BOX(transformedBoundsOf(path), 0.0f, 0.0f, -1.0f, -1.0f);
    }
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(PathQueryTest, BoundsCoverTheFlattenedCurveNotItsControlPoints)
{
    // Cubic (0, 0) (0, 10) (10, 10) (10, 0): 30 steps; the vertex at t = 1/2 is the highest point,
    // y = 3 x 0.5 x 0.25 x 10 x 2 = 7.5, below the controls at 10.
    VGPath path = makePath({VG_MOVE_TO_ABS, VG_CUBIC_TO_ABS, VG_MOVE_TO_ABS, VG_LINE_TO_ABS},
                           {0, 0, 0, 10, 10, 10, 10, 0, -2, 1, -1, 1});
    EXPECT_BOX(boundsOf(path), -2.0f, 0.0f, 12.0f, 7.5f);
}

TEST_F(PathQueryTest, TransformedBoundsBoxTheTransformedCorners)
{
    // Unit square rotated by 45 degrees about the origin: corners (0, 0), (-s, c), (c - s, c + s), (c, s)
    // with c = s = sin 45, so the box is [-s, c] x [0, c + s]: 2 sin 45 wide and high.
    VGPath square =
        makePath({VG_MOVE_TO_ABS, VG_HLINE_TO_ABS, VG_VLINE_TO_ABS, VG_HLINE_TO_ABS, VG_CLOSE_PATH}, {0, 0, 1, 1, 0});
    EXPECT_BOX(transformedBoundsOf(square), 0.0f, 0.0f, 1.0f, 1.0f);
    vgTranslate(5, 6);
    vgRotate(45);
    // The path matrix is used whatever the matrix mode selects.
    vgSeti(VG_MATRIX_MODE, VG_MATRIX_FILL_PAINT_TO_USER);
    vgScale(3, 3);
    const float sin45 = 0.70710678f;
    const Box box = transformedBoundsOf(square);
    EXPECT_NEAR(box.minX, 5.0f - sin45, 2e-6f);
    EXPECT_EQ(box.minY, 6.0f);
    EXPECT_NEAR(box.width, 2.0f * sin45, 2e-6f);
    EXPECT_NEAR(box.height, 2.0f * sin45, 2e-6f);
    EXPECT_BOX(boundsOf(square), 0.0f, 0.0f, 1.0f, 1.0f); // the user-space box ignores the matrix
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

} // namespace
} // namespace tamarind::test
