// Integer helpers for rectangle arithmetic that must not overflow.
#ifndef TAMARIND_VG_CONTEXT_SATURATING_H
#define TAMARIND_VG_CONTEXT_SATURATING_H

#include <cstdint>

namespace tamarind {

// a + b, saturating at the int32 range.
inline int32_t saturatingAdd(int32_t a, int32_t b)
{
    const int64_t sum = static_cast<int64_t>(a) + b;
    if (sum > INT32_MAX)
        return INT32_MAX;
    if (sum < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(sum);
}

inline int32_t clampInt(int32_t value, int32_t low, int32_t high)
{
    return value < low ? low : (value > high ? high : value);
}

} // namespace tamarind

#endif
