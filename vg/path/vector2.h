// Two-component float vectors and the handful of operations the flattener and the stroker share.
// Everything is float arithmetic; length and normalize only take a slower, rescaled route when the
// squared length would overflow or underflow, so ordinary vectors get the plain float results.
#ifndef TAMARIND_VG_PATH_VECTOR2_H
#define TAMARIND_VG_PATH_VECTOR2_H

#include <cfloat>
#include <cmath>

namespace tamarind {

struct Vector2 {
    float x, y;
};

inline Vector2 negate(Vector2 v)
{
    return Vector2{-v.x, -v.y};
}

inline Vector2 scale(Vector2 v, float s)
{
    return Vector2{v.x * s, v.y * s};
}

inline Vector2 add(Vector2 a, Vector2 b)
{
    return Vector2{a.x + b.x, a.y + b.y};
}

inline Vector2 subtract(Vector2 a, Vector2 b)
{
    return Vector2{a.x - b.x, a.y - b.y};
}

inline float dot(Vector2 a, Vector2 b)
{
    return a.x * b.x + a.y * b.y;
}

// (-y, x): the vector turned a quarter counter-clockwise.
inline Vector2 perpendicularCcw(Vector2 v)
{
    return Vector2{-v.y, v.x};
}

// (y, -x): the vector turned a quarter clockwise.
inline Vector2 perpendicularCw(Vector2 v)
{
    return Vector2{v.y, -v.x};
}

inline bool operator==(Vector2 a, Vector2 b)
{
    return a.x == b.x && a.y == b.y;
}

namespace detail {

// Divides both components by the larger magnitude, so squaring can neither overflow nor lose the
// vector in the denormal range. Requires a finite, non-zero vector.
inline Vector2 rescaled(Vector2 v, float &factor)
{
    factor = std::fmax(std::fabs(v.x), std::fabs(v.y));
    return Vector2{v.x / factor, v.y / factor};
}

} // namespace detail

// sqrt(x^2 + y^2) in float. NOTE: when the squared length leaves the normal float range (components
// beyond about 1.8e19, or below about 1e-19) the vector is rescaled first, so a 3e38-long vector has
// length 3e38 instead of infinity. A length above FLT_MAX is infinity; NaN components give NaN.
inline float length(Vector2 v)
{
    const float squared = v.x * v.x + v.y * v.y;
    if (squared >= FLT_MIN && squared <= FLT_MAX)
        return std::sqrt(squared);
    if (v.x == 0.0f && v.y == 0.0f)
        return 0.0f;
    if (std::isnan(v.x) || std::isnan(v.y))
        return NAN;
    if (std::isinf(v.x) || std::isinf(v.y))
        return INFINITY;
    float factor;
    const Vector2 unit = detail::rescaled(v, factor);
    return factor * std::sqrt(unit.x * unit.x + unit.y * unit.y);
}

// The unit vector along v; a zero vector (and a vector with a NaN component) gives (0, 0). Infinite
// components count as +-1 against finite ones, so (inf, 5) points along +x.
inline Vector2 normalize(Vector2 v)
{
    const float squared = v.x * v.x + v.y * v.y;
    if (squared >= FLT_MIN && squared <= FLT_MAX) {
        const float len = std::sqrt(squared);
        return Vector2{v.x / len, v.y / len};
    }
    if ((v.x == 0.0f && v.y == 0.0f) || std::isnan(v.x) || std::isnan(v.y))
        return Vector2{0.0f, 0.0f};
    if (std::isinf(v.x) || std::isinf(v.y))
        v = Vector2{std::isinf(v.x) ? std::copysign(1.0f, v.x) : 0.0f,
                    std::isinf(v.y) ? std::copysign(1.0f, v.y) : 0.0f};
    float factor;
    const Vector2 unit = detail::rescaled(v, factor);
    const float len = std::sqrt(unit.x * unit.x + unit.y * unit.y);
    return Vector2{unit.x / len, unit.y / len};
}

} // namespace tamarind

#endif
