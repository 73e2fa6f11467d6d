// Projective warp matrices between the unit square and quadrilaterals; pure computations that touch no
// context. The output is written only on success, in the API's column order.
#include <VG/vgu.h>

#include "../context/matrix.h"

#include <cstdint>

namespace tamarind {
namespace {

bool badOutput(const VGfloat *matrix)
{
    return matrix == nullptr || reinterpret_cast<uintptr_t>(matrix) % 4 != 0;
}

// The matrix taking (0, 0), (1, 0), (0, 1), (1, 1) to points 0, 1, 2, 3; false when points 1, 2 and 3
// are collinear.
bool squareToQuad(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3, Matrix3 &out)
{
    const float d = (y2 - y3) * (x1 - x3) - (x2 - x3) * (y1 - y3);
    if (d == 0.0f)
        return false;
    const float px = x3 + x0 - x1 - x2;
    const float py = y3 + y0 - y1 - y2;
    if (px != 0.0f || py != 0.0f) {
        const float inverse = 1.0f / d;
        const float g = ((y2 - y3) * px - (x2 - x3) * py) * inverse;
        const float h = ((x1 - x3) * py - (y1 - y3) * px) * inverse;
        out = Matrix3{{{x1 - x0 + g * x1, x2 - x0 + h * x2, x0}, {y1 - y0 + g * y1, y2 - y0 + h * y2, y0}, {g, h, 1.0f}}};
    } else {
        out = Matrix3{{{x1 - x0, x3 - x1, x0}, {y1 - y0, y3 - y1, y0}, {0.0f, 0.0f, 1.0f}}};
    }
    return true;
}

bool quadToSquare(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3, Matrix3 &out)
{
    Matrix3 m;
    if (!squareToQuad(x0, y0, x1, y1, x2, y2, x3, y3, m) || !invertMatrix(m))
        return false;
    out = m;
    return true;
}

// Writes m in the column order (sx, shy, w0, shx, sy, w1, tx, ty, w2).
void store(const Matrix3 &m, VGfloat *matrix)
{
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 3; ++row)
            matrix[column * 3 + row] = m.m[row][column];
}

} // namespace
} // namespace tamarind

using namespace tamarind;

VGUErrorCode vguComputeWarpQuadToSquare(VGfloat sx0, VGfloat sy0, VGfloat sx1, VGfloat sy1, VGfloat sx2, VGfloat sy2,
                                        VGfloat sx3, VGfloat sy3, VGfloat *matrix)
{
    if (badOutput(matrix))
        return VGU_ILLEGAL_ARGUMENT_ERROR;
    Matrix3 m;
    if (!quadToSquare(sx0, sy0, sx1, sy1, sx2, sy2, sx3, sy3, m))
        return VGU_BAD_WARP_ERROR;
    store(m, matrix);
    return VGU_NO_ERROR;
}

VGUErrorCode vguComputeWarpSquareToQuad(VGfloat dx0, VGfloat dy0, VGfloat dx1, VGfloat dy1, VGfloat dx2, VGfloat dy2,
                                        VGfloat dx3, VGfloat dy3, VGfloat *matrix)
{
    if (badOutput(matrix))
        return VGU_ILLEGAL_ARGUMENT_ERROR;
    Matrix3 m;
    if (!squareToQuad(dx0, dy0, dx1, dy1, dx2, dy2, dx3, dy3, m))
        return VGU_BAD_WARP_ERROR;
    store(m, matrix);
    return VGU_NO_ERROR;
}

VGUErrorCode vguComputeWarpQuadToQuad(VGfloat dx0, VGfloat dy0, VGfloat dx1, VGfloat dy1, VGfloat dx2, VGfloat dy2,
                                      VGfloat dx3, VGfloat dy3, VGfloat sx0, VGfloat sy0, VGfloat sx1, VGfloat sy1,
                                      VGfloat sx2, VGfloat sy2, VGfloat sx3, VGfloat sy3, VGfloat *matrix)
{
    if (badOutput(matrix))
        return VGU_ILLEGAL_ARGUMENT_ERROR;
    Matrix3 q;
    Matrix3 s;
    if (!quadToSquare(sx0, sy0, sx1, sy1, sx2, sy2, sx3, sy3, q) ||
        !squareToQuad(dx0, dy0, dx1, dy1, dx2, dy2, dx3, dy3, s))
        return VGU_BAD_WARP_ERROR;
    store(multiplyMatrix(s, q), matrix);
    return VGU_NO_ERROR;
}
