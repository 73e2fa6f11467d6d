// vgTransformPath and vgInterpolatePath through the API: check orders, relative and shorthand segments
// resolved to absolute ones, arcs re-expressed through the matrix, conversion into the destination's
// datatype, the normalised form that decides compatibility, and a destination that is also a source.
#include "allocation_failure.h"
#include "egl_fixture.h"

#include "context/vg_context.h"
#include "path/path_object.h"
#include "path/path_transform.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace tamarind::test {
namespace {

using Bytes = std::vector<uint8_t>;
using Floats = std::vector<float>;

using PathTransformTest = BoundContextTest;
using PathInterpolationTest = BoundContextTest;

PathObject &recordOf(VGPath path)
{
    return *isPath(*static_cast<VgContext *>(eglGetCurrentVGContext()), path);
}

VGPath makePath(VGbitfield capabilities = VG_PATH_CAPABILITY_ALL, VGPathDatatype datatype = VG_PATH_DATATYPE_F,
                float scale = 1.0f, float bias = 0.0f)
{
    return vgCreatePath(VG_PATH_FORMAT_STANDARD, datatype, scale, bias, 0, 0, capabilities);
}

void append(VGPath path, const Bytes &segments, const Floats &coordinates)
{
    vgAppendPathData(path, static_cast<VGint>(segments.size()), segments.data(), coordinates.data());
    ASSERT_EQ(vgGetError(), VG_NO_ERROR);
}

VGPath makeFloatPath(const Bytes &segments, const Floats &coordinates, VGbitfield capabilities = VG_PATH_CAPABILITY_ALL)
{
    VGPath path = makePath(VG_PATH_CAPABILITY_ALL);
    append(path, segments, coordinates);
    vgRemovePathCapabilities(path, ~capabilities);
    return path;
}

Bytes segmentsOf(VGPath path)
{
    return recordOf(path).segments;
}

Floats coordinatesOf(const PathObject &p)
{
    Floats values;
    for (int32_t i = 0; i < coordinateCountOf(p); ++i)
        values.push_back(readCoordinate(p, i));
    return values;
}

Floats coordinatesOf(VGPath path)
{
    return coordinatesOf(recordOf(path));
}

std::vector<int16_t> rawS16(VGPath path)
{
    const Bytes &bytes = recordOf(path).coordinates;
    std::vector<int16_t> values(bytes.size() / 2);
    std::memcpy(values.data(), bytes.data(), bytes.size());
    return values;
}

// ---- vgTransformPath ----

TEST_F(PathTransformTest, ChecksHandlesBeforeCapabilities)
{
    VGPath good = makeFloatPath({VG_MOVE_TO_ABS}, {1, 2});
    VGPath noTo = makeFloatPath({VG_MOVE_TO_ABS}, {1, 2}, VG_PATH_CAPABILITY_ALL & ~VG_PATH_CAPABILITY_TRANSFORM_TO);
    VGPath noFrom =
        makeFloatPath({VG_MOVE_TO_ABS}, {1, 2}, VG_PATH_CAPABILITY_ALL & ~VG_PATH_CAPABILITY_TRANSFORM_FROM);

    vgTransformPath(VG_INVALID_HANDLE, noFrom);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgTransformPath(noTo, good + 1000);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR) << "a bad source handle outranks the destination's capability";
    vgTransformPath(noTo, good);
    EXPECT_EQ(vgGetError(), VG_PATH_CAPABILITY_ERROR);
    vgTransformPath(good, noFrom);
    EXPECT_EQ(vgGetError(), VG_PATH_CAPABILITY_ERROR);
    EXPECT_EQ(segmentsOf(good).size(), 1u) << "failed calls append nothing";
    EXPECT_EQ(segmentsOf(noTo).size(), 1u);

    VGPath empty = makePath();
    vgTransformPath(good, empty);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(segmentsOf(good).size(), 1u) << "an empty source adds nothing";
}

TEST_F(PathTransformTest, RelativeHorizontalLineBecomesAbsoluteLine)
{
    VGPath src = makeFloatPath({VG_MOVE_TO_ABS, VG_HLINE_TO_REL}, {1, 1, 2});
    VGPath dst = makePath();
    vgTranslate(10, 0);
    // The image matrix is selected and changed: the transform still uses the path matrix.
    vgSeti(VG_MATRIX_MODE, VG_MATRIX_IMAGE_USER_TO_SURFACE);
    vgScale(5, 5);
    vgTransformPath(dst, src);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    // (1, 1) + (10, 0); the relative 2 ends at (3, 1), then + (10, 0).
    EXPECT_EQ(segmentsOf(dst), (Bytes{VG_MOVE_TO_ABS, VG_LINE_TO_ABS}));
    EXPECT_EQ(coordinatesOf(dst), (Floats{11, 1, 13, 1}));
    EXPECT_EQ(segmentsOf(src), (Bytes{VG_MOVE_TO_ABS, VG_HLINE_TO_REL})) << "the source is not changed";
}

TEST_F(PathTransformTest, EverySegmentKindIsResolvedAndMapped)
{
    // Current point after each source segment: (1,2) (2,3) (2,5) close->(1,2) (3,2) (4,5) (5,5) (7,5)
    // (8,6) (8,0). The last line carries bit 5, which is dropped on output.
    VGPath src =
        makeFloatPath({VG_MOVE_TO_ABS, VG_LINE_TO_REL, VG_VLINE_TO_REL, VG_CLOSE_PATH, VG_QUAD_TO_REL, VG_CUBIC_TO_REL,
                       VG_SQUAD_TO_REL, VG_SCUBIC_TO_REL, VG_MOVE_TO_REL, static_cast<VGubyte>(0x20 | VG_LINE_TO_REL)},
                      {1, 2, 1, 1, 2, 1, 0, 2, 0, 0, 1, 0, 2, 1, 3, 1, 0, 1, 1, 2, 0, 1, 1, 0, -6});
    VGPath dst = makePath();
    vgTranslate(1, -1);
    vgScale(2, 3); // T(x, y) = (2x + 1, 3y - 1)
    vgTransformPath(dst, src);
    EXPECT_EQ(segmentsOf(dst),
              (Bytes{VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_LINE_TO_ABS, VG_CLOSE_PATH, VG_QUAD_TO_ABS, VG_CUBIC_TO_ABS,
                     VG_SQUAD_TO_ABS, VG_SCUBIC_TO_ABS, VG_MOVE_TO_ABS, VG_LINE_TO_ABS}));
    EXPECT_EQ(coordinatesOf(dst), (Floats{3,  5,                 // move (1, 2)
                                          5,  8,                 // line (2, 3)
                                          5,  14,                // vline to (2, 5)
                                          5,  5,  7,  5,         // quad (2, 2) (3, 2), after the close
                                          7,  8,  7,  11, 9, 14, // cubic (3, 3) (3, 4) (4, 5)
                                          11, 14,                // squad (5, 5)
                                          13, 17, 15, 14,        // scubic (6, 6) (7, 5)
                                          17, 17,                // move (8, 6)
                                          17, -1}));             // line (8, 0)
}

TEST_F(PathTransformTest, PathTransformedIntoItselfDoubles)
{
    VGPath path = makeFloatPath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS}, {1, 1, 2, 2});
    vgTranslate(10, 0);
    vgTransformPath(path, path);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(segmentsOf(path), (Bytes{VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_MOVE_TO_ABS, VG_LINE_TO_ABS}));
    EXPECT_EQ(coordinatesOf(path), (Floats{1, 1, 2, 2, 11, 1, 12, 2}));
}

TEST_F(PathTransformTest, CircleArcUnderUniformScaleKeepsItsShape)
{
    VGPath src = makeFloatPath({VG_MOVE_TO_ABS, VG_SCCWARC_TO_REL}, {0, 0, 2, 2, 0, 4, 0});
    VGPath dst = makePath();
    vgScale(3, 3);
    vgTransformPath(dst, src);
    // E = 2 I, M = 6 I: u = v = (6, 0), h1 = (6, 0), h2 = 0, so rh = rv = 6 and w = 0 gives angle 0.
    EXPECT_EQ(segmentsOf(dst), (Bytes{VG_MOVE_TO_ABS, VG_SCCWARC_TO_ABS}));
    EXPECT_EQ(coordinatesOf(dst), (Floats{0, 0, 6, 6, 0, 12, 0}));
}

TEST_F(PathTransformTest, ArcRotationFollowsTheMatrix)
{
    // rh 4, rv 2 at rotation r under a rotation by 30 degrees: M = R(r + 30) diag(4, 2), so u = 4 (c, s),
    // v = 2 (c, s), h1 = 3 (c, s), h2 = (c, s): rh = 3 + 1, rv = 3 - 1 and w points at r + 30 degrees.
    // At r = 170 the direction lies below the x axis, so the angle comes from 360 - acos.
    VGPath src =
        makeFloatPath({VG_MOVE_TO_ABS, VG_LCWARC_TO_ABS, VG_SCWARC_TO_ABS}, {0, 0, 4, 2, 0, 10, 0, 4, 2, 170, 0, 0});
    VGPath dst = makePath();
    vgRotate(30);
    vgTransformPath(dst, src);
    EXPECT_EQ(segmentsOf(dst), (Bytes{VG_MOVE_TO_ABS, VG_LCWARC_TO_ABS, VG_SCWARC_TO_ABS}));
    const Floats c = coordinatesOf(dst);
    ASSERT_EQ(c.size(), 12u);
    EXPECT_NEAR(c[2], 4.0f, 1e-5f);
    EXPECT_NEAR(c[3], 2.0f, 1e-5f);
    EXPECT_NEAR(c[4], 30.0f, 1e-3f);
    // (10, 0) rotated by 30 degrees: (10 cos 30, 10 sin 30) = (8.660254, 5).
    EXPECT_NEAR(c[5], 8.660254f, 1e-5f);
    EXPECT_NEAR(c[6], 5.0f, 1e-5f);
    EXPECT_NEAR(c[7], 4.0f, 1e-5f);
    EXPECT_NEAR(c[8], 2.0f, 1e-5f);
    EXPECT_NEAR(c[9], 200.0f, 1e-3f);
}

TEST_F(PathTransformTest, ArcUnderNonUniformScaleChangesItsRadii)
{
    VGPath src = makeFloatPath({VG_MOVE_TO_ABS, VG_SCCWARC_TO_ABS}, {0, 0, 1, 1, 0, 1, 1});
    // scale (2, 1): u = (2, 0), v = (1, 0), h1 = (1.5, 0), h2 = (0.5, 0): rh 2, rv 1, w along +x: 0 degrees.
    VGPath wide = makePath();
    vgScale(2, 1);
    vgTransformPath(wide, src);
    EXPECT_EQ(coordinatesOf(wide), (Floats{0, 0, 2, 1, 0, 2, 1}));
    // scale (1, 2): |v| > |u|, so u and v are exchanged: rh 2, rv 1, and the angle gains 90 degrees.
    VGPath tall = makePath();
    vgLoadIdentity();
    vgScale(1, 2);
    vgTransformPath(tall, src);
    const Floats c = coordinatesOf(tall);
    ASSERT_EQ(c.size(), 7u);
    EXPECT_EQ(c[2], 2.0f);
    EXPECT_EQ(c[3], 1.0f);
    EXPECT_NEAR(c[4], 90.0f, 1e-4f);
    EXPECT_EQ(c[5], 1.0f);
    EXPECT_EQ(c[6], 2.0f);
}

TEST_F(PathTransformTest, ArcUnderShearTakesTheMajorAxisOfTheShearedCircle)
{
    // The unit circle under x' = x + y: the singular values of [[1, 1], [0, 1]] are the golden ratio
    // 1.618034 and its inverse 0.618034, and the major axis lies along (1, 0.618034), at 31.7175 degrees.
    // Here |v| > |u|, so u = (1, -1), v = (1, 0), h1 = (1, -0.5), h2 = (0, -0.5); w = 0.5 h1 + 1.118034 h2
    // points at 301.7175 degrees, plus 90 for the exchange: 391.7175, the same axis as 31.7175.
    VGPath src = makeFloatPath({VG_MOVE_TO_ABS, VG_SCCWARC_TO_ABS}, {0, 0, 1, 1, 0, 0, 2});
    VGPath dst = makePath();
    vgShear(1, 0);
    vgTransformPath(dst, src);
    const Floats c = coordinatesOf(dst);
    ASSERT_EQ(c.size(), 7u);
    EXPECT_NEAR(c[2], 1.618034f, 1e-5f);
    EXPECT_NEAR(c[3], 0.618034f, 1e-5f);
    EXPECT_NEAR(c[4], 391.7175f, 1e-3f);
    EXPECT_EQ(c[5], 2.0f); // (0, 2) sheared
    EXPECT_EQ(c[6], 2.0f);
}

TEST_F(PathTransformTest, MirroringGivesANegativeVerticalRadiusAndKeepsTheCommand)
{
    VGPath src = makeFloatPath({VG_MOVE_TO_ABS, VG_SCCWARC_TO_ABS}, {0, 0, 3, 1, 0, 4, 2});
    VGPath dst = makePath();
    vgScale(1, -1);
    vgTransformPath(dst, src);
    // M = diag(3, -1): u = (3, 0), v = (-1, 0), h1 = (1, 0), h2 = (2, 0): rh = 1 + 2, rv = 1 - 2.
    EXPECT_EQ(segmentsOf(dst), (Bytes{VG_MOVE_TO_ABS, VG_SCCWARC_TO_ABS}));
    EXPECT_EQ(coordinatesOf(dst), (Floats{0, 0, 3, -1, 0, 4, -2}));
}

TEST_F(PathTransformTest, OutputIsConvertedIntoTheDestinationDatatype)
{
    // S_16 with scale 0.5 and bias 10 stores floor((v - 10) / 0.5 + 0.5), saturated to the int16 range.
    VGPath dst = makePath(VG_PATH_CAPABILITY_ALL, VG_PATH_DATATYPE_S_16, 0.5f, 10.0f);
    const int16_t existing[2] = {7, -7};
    const VGubyte move = VG_MOVE_TO_ABS;
    vgAppendPathData(dst, 1, &move, existing);
    VGPath src = makeFloatPath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_LINE_TO_ABS},
                               {12.25f, 12.24f, 9.75f, -1e6f, 20000.0f, 10.0f});
    vgTransformPath(dst, src);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(rawS16(dst), (std::vector<int16_t>{7, -7,  // kept as they were
                                                 5,      // 4.5 rounds half up to 5
                                                 4,      // 4.48 rounds to 4
                                                 0,      // -0.5 rounds half up to 0
                                                 -32768, // -2000020 saturates
                                                 32767,  // 39980 saturates
                                                 0}));
}

TEST_F(PathTransformTest, OverflowingFloatResultsStayFinite)
{
    VGPath src = makeFloatPath({VG_MOVE_TO_ABS}, {1e20f, -1e20f});
    VGPath dst = makePath();
    vgScale(1e30f, 1e30f); // 1e50 is beyond the float range
    vgTransformPath(dst, src);
    EXPECT_EQ(coordinatesOf(dst), (Floats{FLT_MAX, -FLT_MAX}));
}

TEST_F(PathTransformTest, AllocationFailureLeavesTheDestinationUnchanged)
{
    VGPath src = makeFloatPath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS}, {1, 1, 2, 2});
    VGPath dst = makeFloatPath({VG_MOVE_TO_ABS}, {5, 5});
    {
        FailAllocations failing;
        vgTransformPath(dst, src);
    }
    EXPECT_EQ(vgGetError(), VG_OUT_OF_MEMORY_ERROR);
    EXPECT_EQ(segmentsOf(dst), (Bytes{VG_MOVE_TO_ABS}));
    EXPECT_EQ(coordinatesOf(dst), (Floats{5, 5}));
}

// ---- normalizeForInterpolation ----

TEST(PathNormalization, EverySegmentBecomesAbsoluteLineCubicOrArc)
{
    PathObject source;
    const Bytes segments{VG_MOVE_TO_ABS,    VG_HLINE_TO_REL,  VG_VLINE_TO_ABS, VG_QUAD_TO_REL,
                         VG_SQUAD_TO_ABS,   VG_SCUBIC_TO_REL, VG_CLOSE_PATH,   VG_SCUBIC_TO_ABS,
                         VG_LCCWARC_TO_REL, VG_SQUAD_TO_REL,  VG_LINE_TO_REL,  VG_QUAD_TO_ABS};
    const Floats values{1, 1, 3, 5, 0, 3, 3, 3, 10, 5, 2, 0, 3, -1, 0, 0, 2, 2, 2, 1, 30, 1, 1, 1, 0, 1, 1, 1, 1, 0, 0};
    source.segments = segments;
    source.coordinates.resize(values.size() * 4);
    std::memcpy(source.coordinates.data(), values.data(), source.coordinates.size());

    PathObject normal;
    normal.datatype = VG_PATH_DATATYPE_S_8; // replaced by F, scale 1, bias 0
    normal.scale = 2.0f;
    normalizeForInterpolation(source, normal);
    EXPECT_EQ(normal.datatype, VG_PATH_DATATYPE_F);
    EXPECT_EQ(normal.scale, 1.0f);
    EXPECT_EQ(normal.bias, 0.0f);
    EXPECT_EQ(normal.segments, (Bytes{VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_LINE_TO_ABS, VG_CUBIC_TO_ABS, VG_CUBIC_TO_ABS,
                                      VG_CUBIC_TO_ABS, VG_CLOSE_PATH, VG_CUBIC_TO_ABS, VG_LCCWARC_TO_ABS,
                                      VG_CUBIC_TO_ABS, VG_LINE_TO_ABS, VG_CUBIC_TO_ABS}));
    // A quadratic from c with control q to p becomes the cubic ((c + 2q) / 3, (p + 2q) / 3, p), one
    // third being the float 0.33333334.
    EXPECT_EQ(coordinatesOf(normal),
              (Floats{1, 1,                       // move
                      4, 1,                       // hline +3 from (1, 1)
                      4, 5,                       // vline to 5
                      4, 7, 5, 8, 7, 8,           // quad q (4, 8), p (7, 8): (4+8, 5+16)/3, (7+8, 8+16)/3
                      9, 8, 10, 7, 10, 5,         // squad: q = 2 (7, 8) - (4, 8) = (10, 8), p (10, 5)
                      10, 2, 12, 5, 13, 4,        // scubic: c1 = 2 (10, 5) - (10, 8), c2 and p relative to (10, 5)
                                                  // close: back to (1, 1), last control too
                      1, 1, 0, 0, 2, 2,           // scubic: c1 = 2 (1, 1) - (1, 1)
                      2, 1, 30, 3, 3,             // arc: radii and rotation as given, end relative to (2, 2)
                      3, 3, 3.33333349f, 3, 4, 3, // squad after an arc: q = current (3, 3), p (4, 3)
                      5, 4,                       // line +(1, 1) from (4, 3)
                      2.33333349f, 2, 0.666666687f, 0.666666687f, 0, 0})); // quad q (1, 1), p (0, 0) from (5, 4)
    // (4 + 2 x 3) x 0.33333334 = 3.3333334327 rounds up to 3.3333335, and (5 + 2) x 0.33333334 to
    // 2.3333335; dividing by 3 would give 3.3333333 and 2.3333333.
    EXPECT_NE(coordinatesOf(normal)[37], 10.0f / 3.0f);
    EXPECT_NE(coordinatesOf(normal)[43], 7.0f / 3.0f);
}

// ---- vgInterpolatePath ----

TEST_F(PathInterpolationTest, ChecksHandlesBeforeCapabilities)
{
    VGPath a = makeFloatPath({VG_MOVE_TO_ABS}, {0, 0});
    VGPath b = makeFloatPath({VG_MOVE_TO_ABS}, {2, 2});
    VGPath noTo = makeFloatPath({VG_MOVE_TO_ABS}, {0, 0}, VG_PATH_CAPABILITY_ALL & ~VG_PATH_CAPABILITY_INTERPOLATE_TO);
    VGPath noFrom =
        makeFloatPath({VG_MOVE_TO_ABS}, {0, 0}, VG_PATH_CAPABILITY_ALL & ~VG_PATH_CAPABILITY_INTERPOLATE_FROM);
    const VGPath bad = a + 1000;

    EXPECT_EQ(vgInterpolatePath(bad, noFrom, b, 0.5f), VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    EXPECT_EQ(vgInterpolatePath(noTo, bad, b, 0.5f), VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    EXPECT_EQ(vgInterpolatePath(noTo, a, bad, 0.5f), VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR) << "every handle is checked before any capability";
    EXPECT_EQ(vgInterpolatePath(noTo, a, b, 0.5f), VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_PATH_CAPABILITY_ERROR);
    EXPECT_EQ(vgInterpolatePath(a, noFrom, b, 0.5f), VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_PATH_CAPABILITY_ERROR);
    EXPECT_EQ(vgInterpolatePath(a, b, noFrom, 0.5f), VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_PATH_CAPABILITY_ERROR);
    EXPECT_EQ(segmentsOf(a).size(), 1u);
    EXPECT_EQ(segmentsOf(noTo).size(), 1u);
}

TEST_F(PathInterpolationTest, QuadraticBlendsWithCubicIntoACubic)
{
    // quad q (3, 3), p (6, 0) from (0, 0): cubic (6/3, 6/3) = (2, 2), ((6 + 6)/3, 6/3) = (4, 2), (6, 0).
    VGPath start = makeFloatPath({VG_MOVE_TO_ABS, VG_QUAD_TO_ABS}, {0, 0, 3, 3, 6, 0});
    VGPath end = makeFloatPath({VG_MOVE_TO_ABS, VG_CUBIC_TO_ABS}, {0, 0, 0, 4, 8, 4, 8, 0});
    VGPath dst = makePath();
    EXPECT_EQ(vgInterpolatePath(dst, start, end, 0.5f), VG_TRUE);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(segmentsOf(dst), (Bytes{VG_MOVE_TO_ABS, VG_CUBIC_TO_ABS}));
    EXPECT_EQ(coordinatesOf(dst), (Floats{0, 0, 1, 3, 6, 3, 7, 0}));
}

TEST_F(PathInterpolationTest, ArcsBlendWithAnyArcAndTakeTheNearerKind)
{
    VGPath start = makeFloatPath({VG_MOVE_TO_ABS, VG_SCCWARC_TO_ABS}, {0, 0, 1, 1, 0, 2, 0});
    VGPath end = makeFloatPath({VG_MOVE_TO_ABS, VG_LCWARC_TO_ABS}, {0, 0, 3, 5, 90, 4, 0});
    VGPath half = makePath();
    EXPECT_EQ(vgInterpolatePath(half, start, end, 0.5f), VG_TRUE);
    EXPECT_EQ(segmentsOf(half), (Bytes{VG_MOVE_TO_ABS, VG_LCWARC_TO_ABS}));
    // Radii and rotation blend like any coordinate.
    EXPECT_EQ(coordinatesOf(half), (Floats{0, 0, 2, 3, 45, 3, 0}));
    VGPath before = makePath();
    EXPECT_EQ(vgInterpolatePath(before, start, end, 0.49f), VG_TRUE);
    EXPECT_EQ(segmentsOf(before), (Bytes{VG_MOVE_TO_ABS, VG_SCCWARC_TO_ABS}));
}

TEST_F(PathInterpolationTest, IncompatiblePathsGiveFalseWithoutAnError)
{
    VGPath dst = makeFloatPath({VG_MOVE_TO_ABS}, {9, 9});
    VGPath line = makeFloatPath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS}, {0, 0, 1, 1});
    VGPath cubic = makeFloatPath({VG_MOVE_TO_ABS, VG_CUBIC_TO_ABS}, {0, 0, 1, 1, 2, 2, 3, 3});
    VGPath arc = makeFloatPath({VG_MOVE_TO_ABS, VG_SCWARC_TO_ABS}, {0, 0, 1, 1, 0, 3, 3});
    VGPath longer = makeFloatPath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_LINE_TO_ABS}, {0, 0, 1, 1, 2, 2});
    VGPath empty = makePath();
    VGPath otherEmpty = makePath();

    EXPECT_EQ(vgInterpolatePath(dst, line, cubic, 0.5f), VG_FALSE);
    EXPECT_EQ(vgInterpolatePath(dst, line, arc, 0.5f), VG_FALSE);
    EXPECT_EQ(vgInterpolatePath(dst, arc, line, 0.5f), VG_FALSE);
    EXPECT_EQ(vgInterpolatePath(dst, line, longer, 0.5f), VG_FALSE);
    EXPECT_EQ(vgInterpolatePath(dst, empty, otherEmpty, 0.5f), VG_FALSE);
    EXPECT_EQ(vgInterpolatePath(dst, empty, line, 0.5f), VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(segmentsOf(dst), (Bytes{VG_MOVE_TO_ABS}));
    EXPECT_EQ(coordinatesOf(dst), (Floats{9, 9}));
}

TEST_F(PathInterpolationTest, AmountOutsideTheUnitRangeExtrapolates)
{
    VGPath start = makeFloatPath({VG_MOVE_TO_ABS}, {0, 4});
    VGPath end = makeFloatPath({VG_MOVE_TO_ABS}, {10, 4});
    VGPath dst = makePath();
    // x = 0 (1 - a) + 10 a: 20 at a = 2, -10 at a = -1; a NaN amount sanitises to 0.
    EXPECT_EQ(vgInterpolatePath(dst, start, end, 2.0f), VG_TRUE);
    EXPECT_EQ(vgInterpolatePath(dst, start, end, -1.0f), VG_TRUE);
    EXPECT_EQ(vgInterpolatePath(dst, start, end, std::numeric_limits<float>::quiet_NaN()), VG_TRUE);
    EXPECT_EQ(coordinatesOf(dst), (Floats{20, 4, -10, 4, 0, 4}));
}

TEST_F(PathInterpolationTest, ShorthandAndRelativeFormsBlendWithTheirLongForms)
{
    // Start: hline +4 from (1, 1) is the line to (5, 1); vline to 7 from there is the line to (5, 7).
    VGPath start = makeFloatPath({VG_MOVE_TO_ABS, VG_HLINE_TO_REL, VG_VLINE_TO_ABS}, {1, 1, 4, 7});
    VGPath end = makeFloatPath({VG_MOVE_TO_REL, VG_LINE_TO_ABS, VG_LINE_TO_REL}, {3, 3, 7, 5, 2, 4});
    VGPath dst = makePath();
    EXPECT_EQ(vgInterpolatePath(dst, start, end, 0.5f), VG_TRUE);
    // End points: (3, 3), (7, 5), (9, 9). Halfway: (2, 2), (6, 3), (7, 8).
    EXPECT_EQ(segmentsOf(dst), (Bytes{VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_LINE_TO_ABS}));
    EXPECT_EQ(coordinatesOf(dst), (Floats{2, 2, 6, 3, 7, 8}));
}

TEST_F(PathInterpolationTest, DestinationMayBeASource)
{
    VGPath start = makeFloatPath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS}, {0, 0, 10, 0});
    VGPath end = makeFloatPath({VG_MOVE_TO_ABS, VG_LINE_TO_ABS}, {0, 10, 10, 10});
    EXPECT_EQ(vgInterpolatePath(start, start, end, 0.5f), VG_TRUE);
    EXPECT_EQ(segmentsOf(start), (Bytes{VG_MOVE_TO_ABS, VG_LINE_TO_ABS, VG_MOVE_TO_ABS, VG_LINE_TO_ABS}));
    EXPECT_EQ(coordinatesOf(start), (Floats{0, 0, 10, 0, 0, 5, 10, 5}));
}

TEST_F(PathInterpolationTest, ResultsAreWrittenInTheDestinationDatatype)
{
    // S_8 with scale 2: raw = floor(v / 2 + 0.5). 3 -> 1.5 -> 2; 1000 -> 500 -> 127.
    VGPath dst = makePath(VG_PATH_CAPABILITY_ALL, VG_PATH_DATATYPE_S_8, 2.0f);
    VGPath start = makeFloatPath({VG_MOVE_TO_ABS}, {2, 0});
    VGPath end = makeFloatPath({VG_MOVE_TO_ABS}, {4, 2000});
    EXPECT_EQ(vgInterpolatePath(dst, start, end, 0.5f), VG_TRUE);
    EXPECT_EQ(recordOf(dst).coordinates, (Bytes{2, 127}));
}

TEST_F(PathInterpolationTest, OverflowingFloatResultsStayFinite)
{
    // With the amount +infinity (sanitised to FLT_MAX): 2 (1 - FLT_MAX) + 2 FLT_MAX is -inf + inf = NaN,
    // stored as 0; -1 (1 - FLT_MAX) + 1 FLT_MAX overflows to +inf, stored as FLT_MAX.
    VGPath start = makeFloatPath({VG_MOVE_TO_ABS}, {2, -1});
    VGPath end = makeFloatPath({VG_MOVE_TO_ABS}, {2, 1});
    VGPath dst = makePath();
    EXPECT_EQ(vgInterpolatePath(dst, start, end, std::numeric_limits<float>::infinity()), VG_TRUE);
    EXPECT_EQ(coordinatesOf(dst), (Floats{0, FLT_MAX}));
}

TEST_F(PathInterpolationTest, AllocationFailureLeavesTheDestinationUnchanged)
{
    VGPath start = makeFloatPath({VG_MOVE_TO_ABS}, {0, 0});
    VGPath end = makeFloatPath({VG_MOVE_TO_ABS}, {2, 2});
    VGPath dst = makeFloatPath({VG_MOVE_TO_ABS}, {5, 5});
    VGboolean result = VG_TRUE;
    {
        FailAllocations failing;
        result = vgInterpolatePath(dst, start, end, 0.5f);
    }
    EXPECT_EQ(result, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_OUT_OF_MEMORY_ERROR);
    EXPECT_EQ(segmentsOf(dst), (Bytes{VG_MOVE_TO_ABS}));
    EXPECT_EQ(coordinatesOf(dst), (Floats{5, 5}));
}

} // namespace
} // namespace tamarind::test
