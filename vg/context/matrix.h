// A 3x3 transformation matrix stored by rows: row 0 gives x, row 1 gives y, row 2 the homogeneous weight.
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

} // namespace tamarind

#endif
