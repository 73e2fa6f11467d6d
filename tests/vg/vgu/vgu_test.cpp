// VGU shape builders and warp matrices through the public API.
#include <VG/vgu.h>

#include "allocation_failure.h"
#include "context/vg_context.h"
#include "egl_fixture.h"
#include "path/path_object.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

using namespace tamarind;
using tamarind::test::BoundContextTest;
using tamarind::test::EglTest;

namespace {

PathObject &record(VGPath path)
{
    return *isPath(*static_cast<VgContext *>(eglGetCurrentVGContext()), path);
}

VGPath makePath(VGPathDatatype datatype = VG_PATH_DATATYPE_F, float scale = 1.0f, float bias = 0.0f,
                VGbitfield capabilities = VG_PATH_CAPABILITY_ALL)
{
    return vgCreatePath(VG_PATH_FORMAT_STANDARD, datatype, scale, bias, 0, 0, capabilities);
}

std::vector<int> segmentsOf(VGPath path)
{
    const PathObject &p = record(path);
    return std::vector<int>(p.segments.begin(), p.segments.end());
}

std::vector<float> coordinatesOf(VGPath path)
{
    const PathObject &p = record(path);
    std::vector<float> values;
    for (int32_t i = 0; i < coordinateCountOf(p); ++i)
        values.push_back(readCoordinate(p, i));
    return values;
}

void expectNear(const std::vector<float> &actual, const std::vector<float> &expected, float tolerance = 1e-5f)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "coordinate " << i;
}

class VguShapeTest : public BoundContextTest {};
class VguWarpTest : public ::testing::Test {};
class VguNoContextTest : public EglTest {};

TEST_F(VguShapeTest, LineAppendsMoveAndLine)
{
    VGPath path = makePath();
    EXPECT_EQ(vguLine(path, 1, 2, 3, 4), VGU_NO_ERROR);
    EXPECT_EQ(segmentsOf(path), (std::vector<int>{VG_MOVE_TO_ABS, VG_LINE_TO_ABS}));
    EXPECT_EQ(coordinatesOf(path), (std::vector<float>{1, 2, 3, 4}));
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(VguShapeTest, IntegerPathRoundsHalfUpThroughScaleAndBias)
{
    VGPath path = makePath(VG_PATH_DATATYPE_S_16, 2.0f, 0.0f);
    ASSERT_EQ(vguLine(path, 3, 0, -3, 0), VGU_NO_ERROR);
    const PathObject &p = record(path);
    int16_t raw[4];
    ASSERT_EQ(p.coordinates.size(), sizeof raw);
    std::memcpy(raw, p.coordinates.data(), sizeof raw);
    EXPECT_EQ(raw[0], 2);  // floor(1.5 + 0.5)
    EXPECT_EQ(raw[2], -1); // floor(-1.5 + 0.5)

    VGPath biased = makePath(VG_PATH_DATATYPE_S_8, 0.5f, 10.0f);
    ASSERT_EQ(vguLine(biased, 12.2f, 10, 9, 10), VGU_NO_ERROR);
    expectNear(coordinatesOf(biased), {12.0f, 10.0f, 9.0f, 10.0f}); // raw 4, 0, -2, 0
}

TEST_F(VguShapeTest, IntegerPathSaturatesOutOfRangeCoordinates)
{
    VGPath path = makePath(VG_PATH_DATATYPE_S_16);
    ASSERT_EQ(vguLine(path, 40000, -40000, 0, 0), VGU_NO_ERROR);
    expectNear(coordinatesOf(path), {32767, -32768, 0, 0});
}

TEST_F(VguShapeTest, PolygonAppendsEachPointAndCloses)
{
    VGPath path = makePath();
    const float points[] = {0, 0, 4, 0, 4, 3};
    EXPECT_EQ(vguPolygon(path, points, 3, VG_TRUE), VGU_NO_ERROR);
    EXPECT_EQ(segmentsOf(path), (std::vector<int>{VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_LINE_TO_ABS, VG_CLOSE_PATH}));
    EXPECT_EQ(coordinatesOf(path), (std::vector<float>{0, 0, 4, 0, 4, 3}));
    EXPECT_EQ(vguPolygon(path, points, 2, VG_FALSE), VGU_NO_ERROR);
    EXPECT_EQ(record(path).segments.size(), 6u);
}

TEST_F(VguShapeTest, PolygonRejectsBadArguments)
{
    VGPath path = makePath();
    alignas(8) float points[8] = {};
    const auto *misaligned = reinterpret_cast<const float *>(reinterpret_cast<const char *>(points) + 2);
    EXPECT_EQ(vguPolygon(path, nullptr, 2, VG_TRUE), VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vguPolygon(path, misaligned, 2, VG_TRUE), VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vguPolygon(path, points, 0, VG_TRUE), VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vguPolygon(path, points, -1, VG_TRUE), VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_TRUE(record(path).segments.empty());
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(VguShapeTest, RectAppendsOutlineAndRejectsEmptySize)
{
    VGPath path = makePath();
    EXPECT_EQ(vguRect(path, 1, 2, 3, 4), VGU_NO_ERROR);
    EXPECT_EQ(segmentsOf(path), (std::vector<int>{VG_MOVE_TO_ABS, VG_HLINE_TO_ABS, VG_VLINE_TO_ABS,
                                                  VG_HLINE_TO_ABS, VG_CLOSE_PATH}));
    EXPECT_EQ(coordinatesOf(path), (std::vector<float>{1, 2, 4, 6, 1}));

    VGPath other = makePath();
    EXPECT_EQ(vguRect(other, 0, 0, 0, 4), VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vguRect(other, 0, 0, 4, -1), VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vguRect(other, 0, 0, std::nanf(""), 4), VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_TRUE(record(other).segments.empty());
}

TEST_F(VguShapeTest, RoundRectAppendsCornerArcs)
{
    VGPath path = makePath();
    EXPECT_EQ(vguRoundRect(path, 0, 0, 10, 20, 4, 6), VGU_NO_ERROR);
    EXPECT_EQ(segmentsOf(path),
              (std::vector<int>{VG_MOVE_TO_ABS, VG_HLINE_TO_ABS, VG_SCCWARC_TO_ABS, VG_VLINE_TO_ABS,
                                VG_SCCWARC_TO_ABS, VG_HLINE_TO_ABS, VG_SCCWARC_TO_ABS, VG_VLINE_TO_ABS,
                                VG_SCCWARC_TO_ABS, VG_CLOSE_PATH}));
    EXPECT_EQ(coordinatesOf(path), (std::vector<float>{2, 0, 8, 2, 3, 0, 10, 3, 17, 2, 3, 0, 8, 20, 2, 2, 3, 0,
                                                       0, 17, 3, 2, 3, 0, 2, 0}));
}

TEST_F(VguShapeTest, RoundRectClampsArcSizes)
{
    VGPath wide = makePath();
    EXPECT_EQ(vguRoundRect(wide, 0, 0, 10, 20, 30, 50), VGU_NO_ERROR);
    const std::vector<float> c = coordinatesOf(wide);
    ASSERT_EQ(c.size(), 26u);
    EXPECT_EQ(c[0], 5);  // rw = 10 / 2
    EXPECT_EQ(c[2], 5);
    EXPECT_EQ(c[3], 5);
    EXPECT_EQ(c[4], 10); // rh = 20 / 2
    EXPECT_EQ(c[8], 10);

    VGPath straight = makePath();
    EXPECT_EQ(vguRoundRect(straight, 0, 0, 10, 20, -1, std::nanf("")), VGU_NO_ERROR);
    EXPECT_EQ(coordinatesOf(straight), (std::vector<float>{0, 0, 10, 0, 0, 0, 10, 0, 20, 0, 0, 0, 10, 20, 0,
                                                           0, 0, 0, 0, 20, 0, 0, 0, 0, 0, 0}));

    EXPECT_EQ(vguRoundRect(straight, 0, 0, 0, 20, 1, 1), VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vguRoundRect(straight, 0, 0, 10, -2, 1, 1), VGU_ILLEGAL_ARGUMENT_ERROR);
}

TEST_F(VguShapeTest, EllipseAppendsTwoHalfArcs)
{
    VGPath path = makePath();
    EXPECT_EQ(vguEllipse(path, 5, 6, 4, 2), VGU_NO_ERROR);
    EXPECT_EQ(segmentsOf(path),
              (std::vector<int>{VG_MOVE_TO_ABS, VG_SCCWARC_TO_ABS, VG_SCCWARC_TO_ABS, VG_CLOSE_PATH}));
    EXPECT_EQ(coordinatesOf(path), (std::vector<float>{7, 6, 2, 1, 0, 3, 6, 2, 1, 0, 7, 6}));
    EXPECT_EQ(vguEllipse(path, 5, 6, 0, 2), VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vguEllipse(path, 5, 6, 4, -2), VGU_ILLEGAL_ARGUMENT_ERROR);
}

TEST_F(VguShapeTest, ArcOf270DegreesSplitsAtHalfTurn)
{
    VGPath open = makePath();
    EXPECT_EQ(vguArc(open, 0, 0, 4, 2, 0, 270, VGU_ARC_OPEN), VGU_NO_ERROR);
    EXPECT_EQ(segmentsOf(open), (std::vector<int>{VG_MOVE_TO_ABS, VG_SCCWARC_TO_ABS, VG_SCCWARC_TO_ABS}));
    expectNear(coordinatesOf(open), {2, 0, 2, 1, 0, -2, 0, 2, 1, 0, 0, -1});

    VGPath pie = makePath();
    EXPECT_EQ(vguArc(pie, 1, 1, 4, 2, 0, 270, VGU_ARC_PIE), VGU_NO_ERROR);
    EXPECT_EQ(segmentsOf(pie), (std::vector<int>{VG_MOVE_TO_ABS, VG_SCCWARC_TO_ABS, VG_SCCWARC_TO_ABS,
                                                 VG_LINE_TO_ABS, VG_CLOSE_PATH}));
    expectNear(coordinatesOf(pie), {3, 1, 2, 1, 0, -1, 1, 2, 1, 0, 1, 0, 1, 1});
}

TEST_F(VguShapeTest, ArcOfMinus450DegreesTurnsClockwise)
{
    VGPath path = makePath();
    EXPECT_EQ(vguArc(path, 0, 0, 4, 2, 90, -450, VGU_ARC_CHORD), VGU_NO_ERROR);
    EXPECT_EQ(segmentsOf(path), (std::vector<int>{VG_MOVE_TO_ABS, VG_SCWARC_TO_ABS, VG_SCWARC_TO_ABS,
                                                  VG_SCWARC_TO_ABS, VG_CLOSE_PATH}));
    // 90 -> -90 -> -270 -> -360
    expectNear(coordinatesOf(path), {0, 1, 2, 1, 0, 0, -1, 2, 1, 0, 0, 1, 2, 1, 0, 2, 0});
}

TEST_F(VguShapeTest, ArcRejectsBadArguments)
{
    VGPath path = makePath();
    EXPECT_EQ(vguArc(path, 0, 0, 4, 2, 0, 90, static_cast<VGUArcType>(VGU_ARC_OPEN - 1)),
              VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vguArc(path, 0, 0, 4, 2, 0, 90, static_cast<VGUArcType>(VGU_ARC_PIE + 1)),
              VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vguArc(path, 0, 0, 0, 2, 0, 90, VGU_ARC_OPEN), VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vguArc(path, 0, 0, 4, 0, 0, 90, VGU_ARC_OPEN), VGU_ILLEGAL_ARGUMENT_ERROR);
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(vguArc(path, 0, 0, 4, 2, 0, inf, VGU_ARC_OPEN), VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vguArc(path, 0, 0, 4, 2, std::nanf(""), 90, VGU_ARC_OPEN), VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_TRUE(record(path).segments.empty());
}

TEST_F(VguShapeTest, ArcWithHugeExtentEnds)
{
    VGPath path = makePath();
    EXPECT_EQ(vguArc(path, 0, 0, 4, 2, 0, 1e30f, VGU_ARC_OPEN), VGU_NO_ERROR);
    EXPECT_EQ(record(path).segments.size(), 65538u); // move, 65536 half turns, last arc
}

TEST_F(VguShapeTest, CapabilityAndHandleErrorsAreMappedAndCleared)
{
    VGPath locked = makePath(VG_PATH_DATATYPE_F, 1, 0, VG_PATH_CAPABILITY_APPEND_FROM);
    EXPECT_EQ(vguLine(locked, 0, 0, 1, 1), VGU_PATH_CAPABILITY_ERROR);
    EXPECT_EQ(vguRect(locked, 0, 0, 1, 1), VGU_PATH_CAPABILITY_ERROR);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_TRUE(record(locked).segments.empty());

    VGPath gone = makePath();
    vgDestroyPath(gone);
    EXPECT_EQ(vguEllipse(gone, 0, 0, 1, 1), VGU_BAD_HANDLE_ERROR);
    const float points[] = {0, 0, 1, 1};
    EXPECT_EQ(vguPolygon(gone, points, 2, VG_TRUE), VGU_BAD_HANDLE_ERROR);
    EXPECT_EQ(vguArc(gone, 0, 0, 2, 2, 0, 90, VGU_ARC_PIE), VGU_BAD_HANDLE_ERROR);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);

    VGImage image = vgCreateImage(VG_sRGBA_8888, 4, 4, VG_IMAGE_QUALITY_NONANTIALIASED);
    ASSERT_NE(image, VG_INVALID_HANDLE);
    EXPECT_EQ(vguLine(image, 0, 0, 1, 1), VGU_BAD_HANDLE_ERROR);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(VguShapeTest, BuilderDiscardsEarlierPendingError)
{
    vgDestroyPath(VGPath(12345));
    VGPath path = makePath();
    EXPECT_EQ(vguLine(path, 0, 0, 1, 1), VGU_NO_ERROR);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(vguRect(path, 0, 0, -1, 1), VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(VguShapeTest, OutOfMemoryDuringAppendIsReported)
{
    VGPath path = makePath();
    VGUErrorCode code;
    {
        tamarind::test::FailAllocations failing;
        code = vguLine(path, 0, 0, 1, 1);
    }
    EXPECT_EQ(code, VGU_OUT_OF_MEMORY_ERROR);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(VguNoContextTest, BuilderWithoutContextDoesNothing)
{
    EXPECT_EQ(vguLine(VGPath(1), 0, 0, 1, 1), VGU_NO_ERROR);
    EXPECT_EQ(vguEllipse(VGPath(1), 0, 0, 1, 1), VGU_NO_ERROR);
}

// Applies a matrix in column order to (x, y) with the projective division.
void mapPoint(const float *m, float x, float y, float &ox, float &oy)
{
    const float w = m[2] * x + m[5] * y + m[8];
    ox = (m[0] * x + m[3] * y + m[6]) / w;
    oy = (m[1] * x + m[4] * y + m[7]) / w;
}

void expectMaps(const float *m, float x, float y, float ex, float ey)
{
    float ox, oy;
    mapPoint(m, x, y, ox, oy);
    EXPECT_NEAR(ox, ex, 1e-4f) << "(" << x << ", " << y << ")";
    EXPECT_NEAR(oy, ey, 1e-4f) << "(" << x << ", " << y << ")";
}

TEST_F(VguWarpTest, SquareToParallelogramIsAffine)
{
    float m[9];
    ASSERT_EQ(vguComputeWarpSquareToQuad(1, 1, 3, 2, 2, 4, 4, 5, m), VGU_NO_ERROR);
    const float expected[9] = {2, 1, 0, 1, 3, 0, 1, 1, 1};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(m[i], expected[i]) << i;
}

TEST_F(VguWarpTest, SquareToQuadIsProjective)
{
    float m[9];
    ASSERT_EQ(vguComputeWarpSquareToQuad(0, 0, 1, 0, 0, 1, 2, 2, m), VGU_NO_ERROR);
    const float expected[9] = {2.0f / 3, 0, -1.0f / 3, 0, 2.0f / 3, -1.0f / 3, 0, 0, 1};
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(m[i], expected[i], 1e-6f) << i;
    expectMaps(m, 0, 0, 0, 0);
    expectMaps(m, 1, 0, 1, 0);
    expectMaps(m, 0, 1, 0, 1);
    expectMaps(m, 1, 1, 2, 2);
}

TEST_F(VguWarpTest, QuadToSquareMapsCornersToUnitSquare)
{
    float m[9];
    ASSERT_EQ(vguComputeWarpQuadToSquare(1, 2, 6, 1, 0, 7, 5, 9, m), VGU_NO_ERROR);
    expectMaps(m, 1, 2, 0, 0);
    expectMaps(m, 6, 1, 1, 0);
    expectMaps(m, 0, 7, 0, 1);
    expectMaps(m, 5, 9, 1, 1);
}

TEST_F(VguWarpTest, QuadToQuadMapsSourceCornersOntoDestination)
{
    float m[9];
    const float dst[8] = {10, 10, 30, 12, 8, 25, 40, 40};
    const float src[8] = {1, 2, 6, 1, 0, 7, 5, 9};
    ASSERT_EQ(vguComputeWarpQuadToQuad(dst[0], dst[1], dst[2], dst[3], dst[4], dst[5], dst[6], dst[7], src[0],
                                       src[1], src[2], src[3], src[4], src[5], src[6], src[7], m),
              VGU_NO_ERROR);
    for (int i = 0; i < 4; ++i)
        expectMaps(m, src[2 * i], src[2 * i + 1], dst[2 * i], dst[2 * i + 1]);
}

TEST_F(VguWarpTest, DegenerateQuadsLeaveOutputUntouched)
{
    float m[9];
    std::fill(std::begin(m), std::end(m), 42.0f);
    // Points 1, 2 and 3 on one line.
    EXPECT_EQ(vguComputeWarpSquareToQuad(0, 5, 1, 0, 2, 0, 3, 0, m), VGU_BAD_WARP_ERROR);
    EXPECT_EQ(vguComputeWarpQuadToSquare(0, 5, 1, 0, 2, 0, 3, 0, m), VGU_BAD_WARP_ERROR);
    // Points 0 and 1 coincide: the square-to-quad matrix exists but is singular.
    EXPECT_EQ(vguComputeWarpQuadToSquare(1, 0, 1, 0, 0, 1, 1, 1, m), VGU_BAD_WARP_ERROR);
    EXPECT_EQ(vguComputeWarpQuadToQuad(0, 0, 1, 0, 0, 1, 1, 1, 1, 0, 1, 0, 0, 1, 1, 1, m), VGU_BAD_WARP_ERROR);
    EXPECT_EQ(vguComputeWarpQuadToQuad(0, 5, 1, 0, 2, 0, 3, 0, 0, 0, 1, 0, 0, 1, 1, 1, m), VGU_BAD_WARP_ERROR);
    for (float v : m)
        EXPECT_EQ(v, 42.0f);
    float singular[9];
    EXPECT_EQ(vguComputeWarpSquareToQuad(1, 0, 1, 0, 0, 1, 1, 1, singular), VGU_NO_ERROR);
}

TEST_F(VguWarpTest, RejectsBadOutputPointer)
{
    alignas(8) float storage[12];
    auto *misaligned = reinterpret_cast<float *>(reinterpret_cast<char *>(storage) + 1);
    EXPECT_EQ(vguComputeWarpSquareToQuad(0, 0, 1, 0, 0, 1, 1, 1, nullptr), VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vguComputeWarpSquareToQuad(0, 0, 1, 0, 0, 1, 1, 1, misaligned), VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vguComputeWarpQuadToSquare(0, 0, 1, 0, 0, 1, 1, 1, nullptr), VGU_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vguComputeWarpQuadToQuad(0, 0, 1, 0, 0, 1, 1, 1, 0, 0, 1, 0, 0, 1, 1, 1, misaligned),
              VGU_ILLEGAL_ARGUMENT_ERROR);
}

} // namespace
