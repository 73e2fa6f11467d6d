// Matrices: the entry points on the current matrix, the column-order boundary, the bottom-row rule,
// products in double precision and inversion.
#include "egl_fixture.h"

#include "context/matrix.h"
#include "context/vg_context.h"

#include <array>
#include <cstring>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tamarind::test {
namespace {

using MatrixTest = BoundContextTest;

std::array<VGfloat, 9> current()
{
    std::array<VGfloat, 9> m{};
    vgGetMatrix(m.data());
    return m;
}

TEST_F(MatrixTest, PathModeDiscardsTheProjectiveRowImageModeKeepsIt)
{
    const VGfloat m[9] = {1, 0, 5, 0, 1, 7, 0, 0, 2};
    vgLoadMatrix(m);
    EXPECT_EQ(current(), (std::array<VGfloat, 9>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
    vgSeti(VG_MATRIX_MODE, VG_MATRIX_IMAGE_USER_TO_SURFACE);
    vgLoadMatrix(m);
    EXPECT_EQ(current(), (std::array<VGfloat, 9>{1, 0, 5, 0, 1, 7, 0, 0, 2}));
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(MatrixTest, ColumnOrderMapsToRowsAtTheBoundary)
{
    // {sx, shy, w0, shx, sy, w1, tx, ty, w2}: tx and ty land in the third column.
    const VGfloat m[9] = {2, 3, 0, 4, 5, 0, 6, 7, 1};
    vgLoadMatrix(m);
    const Matrix3 &stored = *static_cast<VgContext *>(eglGetCurrentVGContext())->currentMatrix;
    EXPECT_EQ(stored.m[0][0], 2);
    EXPECT_EQ(stored.m[1][0], 3);
    EXPECT_EQ(stored.m[0][1], 4);
    EXPECT_EQ(stored.m[0][2], 6);
    EXPECT_EQ(stored.m[1][2], 7);
}

TEST_F(MatrixTest, TheTransformGivenLastActsFirst)
{
    vgTranslate(10, 20);
    vgScale(2, 2);
    const Matrix3 &m = *static_cast<VgContext *>(eglGetCurrentVGContext())->currentMatrix;
    const Point2 p = transformPoint(m, 1, 1); // scaled to (2, 2), then translated
    EXPECT_EQ(p.x, 12);
    EXPECT_EQ(p.y, 22);
    vgLoadIdentity();
    vgShear(1, 0);
    vgTranslate(0, 3); // (0, 3) sheared: x + 1 x y
    const Point2 q = transformPoint(m, 0, 0);
    EXPECT_EQ(q.x, 3);
    EXPECT_EQ(q.y, 3);
}

TEST_F(MatrixTest, RotationUsesFloatAngleAndKeepsTheRoundingOfCos)
{
    vgRotate(90);
    const auto m = current();
    EXPECT_EQ(m[0], static_cast<float>(std::cos(1.5707964f))); // about -4.37e-8, not 0
    EXPECT_NE(m[0], 0.0f);
    EXPECT_EQ(m[1], 1.0f);  // shy = sin
    EXPECT_EQ(m[3], -1.0f); // shx = -sin
}

TEST_F(MatrixTest, EachModeHasItsOwnMatrix)
{
    vgTranslate(1, 2);
    vgSeti(VG_MATRIX_MODE, VG_MATRIX_FILL_PAINT_TO_USER);
    EXPECT_EQ(current()[6], 0.0f);
    vgScale(3, 3);
    vgSeti(VG_MATRIX_MODE, VG_MATRIX_STROKE_PAINT_TO_USER);
    EXPECT_EQ(current()[0], 1.0f);
    vgSeti(VG_MATRIX_MODE, VG_MATRIX_PATH_USER_TO_SURFACE);
    EXPECT_EQ(current()[6], 1.0f);
    EXPECT_EQ(current()[7], 2.0f);
    vgSeti(VG_MATRIX_MODE, VG_MATRIX_FILL_PAINT_TO_USER);
    EXPECT_EQ(current()[0], 3.0f);
}

TEST_F(MatrixTest, MisalignedOrNullPointersAreRejectedAndChangeNothing)
{
    vgTranslate(4, 5);
    alignas(8) VGfloat storage[12] = {};
    auto *misaligned = reinterpret_cast<VGfloat *>(reinterpret_cast<uintptr_t>(storage) + 2);
    vgLoadMatrix(misaligned);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgMultMatrix(nullptr);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgGetMatrix(misaligned);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(current()[6], 4.0f);
    EXPECT_EQ(current()[7], 5.0f);
}

TEST_F(MatrixTest, NonFiniteArgumentsAreSanitised)
{
    const float inf = std::numeric_limits<float>::infinity();
    const VGfloat m[9] = {std::numeric_limits<float>::quiet_NaN(), 0, 0, 0, inf, 0, -inf, 0, 1};
    vgLoadMatrix(m);
    const auto got = current();
    EXPECT_EQ(got[0], 0.0f);
    EXPECT_EQ(got[4], std::numeric_limits<float>::max());
    EXPECT_EQ(got[6], -std::numeric_limits<float>::max());
    vgLoadIdentity();
    vgTranslate(std::numeric_limits<float>::quiet_NaN(), 1);
    EXPECT_EQ(current()[6], 0.0f);
}

TEST_F(MatrixTest, MultMatrixForcesTheBottomRowOutsideImageMode)
{
    const VGfloat projective[9] = {1, 0, 3, 0, 1, 4, 0, 0, 5};
    vgMultMatrix(projective);
    EXPECT_EQ(current(), (std::array<VGfloat, 9>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
    vgSeti(VG_MATRIX_MODE, VG_MATRIX_IMAGE_USER_TO_SURFACE);
    vgMultMatrix(projective);
    EXPECT_EQ(current(), (std::array<VGfloat, 9>{1, 0, 3, 0, 1, 4, 0, 0, 5}));
}

TEST(MatrixOperations, ProductSumsInDoubleAndRoundsOnce)
{
    // 1e8 + 1 - 1e8 in float steps would lose the 1; summed in double it survives.
    const Matrix3 a{{{1e8f, 1.0f, -1e8f}, {0, 1, 0}, {0, 0, 1}}};
    const Matrix3 b{{{1, 0, 0}, {1, 1, 0}, {1, 0, 1}}};
    const Matrix3 r = multiplyMatrix(a, b);
    EXPECT_EQ(r.m[0][0], 1.0f);
    EXPECT_EQ(r.m[0][2], -1e8f);
}

TEST(MatrixOperations, InversionOfASingularMatrixFailsAndChangesNothing)
{
    Matrix3 m{{{0, 0, 5}, {0, 0, 5}, {0, 0, 1}}};
    const Matrix3 before = m;
    EXPECT_FALSE(invertMatrix(m));
    EXPECT_EQ(std::memcmp(&m, &before, sizeof m), 0);
}

TEST(MatrixOperations, InverseTimesMatrixIsTheIdentity)
{
    Matrix3 m{{{2, 1, 10}, {0.5f, 4, -3}, {0, 0, 1}}};
    Matrix3 inv = m;
    ASSERT_TRUE(invertMatrix(inv));
    const Matrix3 product = multiplyMatrix(m, inv);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(product.m[i][j], i == j ? 1.0f : 0.0f, 1e-6f);
    // Exact cofactor arithmetic for a pure scale: the inverse of diag(2, 4, 1) is diag(0.5, 0.25, 1).
    Matrix3 s{{{2, 0, 0}, {0, 4, 0}, {0, 0, 1}}};
    ASSERT_TRUE(invertMatrix(s));
    EXPECT_EQ(s.m[0][0], 0.5f);
    EXPECT_EQ(s.m[1][1], 0.25f);
    EXPECT_EQ(s.m[2][2], 1.0f);
    EXPECT_EQ(s.m[0][1], 0.0f);
}

TEST(MatrixOperations, HomogeneousTransformKeepsTheWeight)
{
    const Matrix3 m{{{1, 0, 2}, {0, 1, 3}, {0.5f, 0, 1}}};
    const Point3 p = transformHomogeneous(m, 4, 5, 1);
    EXPECT_EQ(p.x, 6);
    EXPECT_EQ(p.y, 8);
    EXPECT_EQ(p.w, 3);
}

} // namespace
} // namespace tamarind::test
