// 3x3 transformation matrices stored by rows: row 0 gives x, row 1 gives y, row 2 the homogeneous
// weight, with the translation in the third column. The API's column order is converted at the boundary.
#ifndef TAMARIND_VG_CONTEXT_MATRIX_H
#define TAMARIND_VG_CONTEXT_MATRIX_H

namespace tamarind {

struct Matrix3 {
    float m[3][3];
};

constexpr Matrix3 identityMatrix()
{
    return Matrix3{{{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}}};
}

struct Point2 {
    float x, y;
};

struct Point3 {
    float x, y, w;
};

// A x B; each element is a sum of three products in double precision, rounded to float once.
Matrix3 multiplyMatrix(const Matrix3 &a, const Matrix3 &b);

// (m00 x + m01 y + m02, m10 x + m11 y + m12); the bottom row is ignored.
inline Point2 transformPoint(const Matrix3 &m, float x, float y)
{
    return Point2{m.m[0][0] * x + m.m[0][1] * y + m.m[0][2], m.m[1][0] * x + m.m[1][1] * y + m.m[1][2]};
}

// The three rows applied to (x, y, w); callers divide by w where they need a projective point.
inline Point3 transformHomogeneous(const Matrix3 &m, float x, float y, float w)
{
    return Point3{m.m[0][0] * x + m.m[0][1] * y + m.m[0][2] * w, m.m[1][0] * x + m.m[1][1] * y + m.m[1][2] * w,
                  m.m[2][0] * x + m.m[2][1] * y + m.m[2][2] * w};
}

// Replaces m by its inverse (adjugate times 1 / det); false, with m unchanged, when det is exactly 0.
// The bottom row is not forced.
bool invertMatrix(Matrix3 &m);

// Sets the bottom row to (0, 0, 1).
inline void forceAffine(Matrix3 &m)
{
    m.m[2][0] = 0.0f;
    m.m[2][1] = 0.0f;
    m.m[2][2] = 1.0f;
}

} // namespace tamarind

#endif
