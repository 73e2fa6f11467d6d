// Matrix products and inversion with the rounding steps later pixel results depend on.
#include "matrix.h"

namespace tamarind {

Matrix3 multiplyMatrix(const Matrix3 &a, const Matrix3 &b)
{
    Matrix3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = static_cast<float>(static_cast<double>(a.m[i][0]) * b.m[0][j] +
                                           static_cast<double>(a.m[i][1]) * b.m[1][j] +
                                           static_cast<double>(a.m[i][2]) * b.m[2][j]);
    return r;
}

bool invertMatrix(Matrix3 &m)
{
    const float(&a)[3][3] = m.m;
    // Cofactors of the first column, each rounded to float; det itself is not rounded.
    const float c0 = a[1][1] * a[2][2] - a[1][2] * a[2][1];
    const float c1 = a[1][2] * a[2][0] - a[1][0] * a[2][2];
    const float c2 = a[1][0] * a[2][1] - a[1][1] * a[2][0];
    const double det = static_cast<double>(a[0][0]) * c0 + static_cast<double>(a[0][1]) * c1 +
                       static_cast<double>(a[0][2]) * c2;
    if (det == 0.0)
        return false;
    // 1 / det stays in double; every element is rounded to float once, when it is stored.
    const double inv = 1.0 / det;
    auto scaled = [inv](float cofactor) { return static_cast<float>(cofactor * inv); };
    Matrix3 r;
    r.m[0][0] = scaled(c0);
    r.m[1][0] = scaled(c1);
    r.m[2][0] = scaled(c2);
    r.m[0][1] = scaled((a[2][1] * a[0][2] - a[2][2] * a[0][1]));
    r.m[1][1] = scaled((a[0][0] * a[2][2] - a[0][2] * a[2][0]));
    r.m[2][1] = scaled((a[2][0] * a[0][1] - a[2][1] * a[0][0]));
    r.m[0][2] = scaled((a[0][1] * a[1][2] - a[0][2] * a[1][1]));
    r.m[1][2] = scaled((a[0][2] * a[1][0] - a[0][0] * a[1][2]));
    r.m[2][2] = scaled((a[0][0] * a[1][1] - a[0][1] * a[1][0]));
    m = r;
    return true;
}

} // namespace tamarind
