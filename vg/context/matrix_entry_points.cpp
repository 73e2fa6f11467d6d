// The eight matrix entry points. They act on the matrix selected by VG_MATRIX_MODE; every matrix but the
// image-user-to-surface one keeps the bottom row (0, 0, 1).
#include <VG/openvg.h>

#include "call_frame.h"
#include "float_rules.h"
#include "matrix.h"

#include <cmath>
#include <cstdint>

using namespace tamarind;

namespace {

bool isProjectiveMode(const VgContext &context)
{
    return context.matrixMode == VG_MATRIX_IMAGE_USER_TO_SURFACE;
}

bool isBadMatrixPointer(const void *m)
{
    return m == nullptr || reinterpret_cast<uintptr_t>(m) % 4 != 0;
}

// current = current x operand, then the bottom-row rule.
void multiplyCurrent(VgContext &context, const Matrix3 &operand)
{
    Matrix3 &current = *context.currentMatrix;
    current = multiplyMatrix(current, operand);
    if (!isProjectiveMode(context))
        forceAffine(current);
}

// The API's column order {sx, shy, w0, shx, sy, w1, tx, ty, w2}: element k is row k mod 3, column k / 3.
Matrix3 fromColumnOrder(const VGfloat *m)
{
    Matrix3 r;
    for (int k = 0; k < 9; ++k)
        r.m[k % 3][k / 3] = sanitizeFloat(m[k]);
    return r;
}

} // namespace

void vgLoadIdentity(void)
{
    vgCall([](VgContext &context) { *context.currentMatrix = identityMatrix(); });
}

void vgLoadMatrix(const VGfloat *m)
{
    vgCall([&](VgContext &context) {
        if (isBadMatrixPointer(m)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        Matrix3 loaded = fromColumnOrder(m);
        if (!isProjectiveMode(context))
            forceAffine(loaded);
        *context.currentMatrix = loaded;
    });
}

void vgGetMatrix(VGfloat *m)
{
    vgCall([&](VgContext &context) {
        if (isBadMatrixPointer(m)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        for (int k = 0; k < 9; ++k)
            m[k] = context.currentMatrix->m[k % 3][k / 3];
    });
}

void vgMultMatrix(const VGfloat *m)
{
    vgCall([&](VgContext &context) {
        if (isBadMatrixPointer(m)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        Matrix3 operand = fromColumnOrder(m);
        if (!isProjectiveMode(context))
            forceAffine(operand);
        multiplyCurrent(context, operand);
    });
}

void vgTranslate(VGfloat tx, VGfloat ty)
{
    vgCall([&](VgContext &context) {
        multiplyCurrent(context, Matrix3{{{1, 0, sanitizeFloat(tx)}, {0, 1, sanitizeFloat(ty)}, {0, 0, 1}}});
    });
}

void vgScale(VGfloat sx, VGfloat sy)
{
    vgCall([&](VgContext &context) {
        multiplyCurrent(context, Matrix3{{{sanitizeFloat(sx), 0, 0}, {0, sanitizeFloat(sy), 0}, {0, 0, 1}}});
    });
}

void vgShear(VGfloat shx, VGfloat shy)
{
    vgCall([&](VgContext &context) {
        multiplyCurrent(context, Matrix3{{{1, sanitizeFloat(shx), 0}, {sanitizeFloat(shy), 1, 0}, {0, 0, 1}}});
    });
}

void vgRotate(VGfloat angle)
{
    vgCall([&](VgContext &context) {
        const auto a = static_cast<float>(static_cast<double>(sanitizeFloat(angle)) * 3.1415927410125732 / 180.0);
        const auto c = static_cast<float>(std::cos(a));
        const auto s = static_cast<float>(std::sin(a));
        multiplyCurrent(context, Matrix3{{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}});
    });
}
