// The float rules every entry point applies to its arguments: NaN becomes 0, infinities become the
// largest finite float, and float-to-integer is floor then clamp to the int32 range.
#ifndef TAMARIND_VG_CONTEXT_FLOAT_RULES_H
#define TAMARIND_VG_CONTEXT_FLOAT_RULES_H

#include <cfloat>
#include <cmath>
#include <cstdint>

namespace tamarind {

inline float sanitizeFloat(float x)
{
    if (std::isnan(x))
        return 0.0f;
    if (std::isinf(x))
        return x > 0 ? FLT_MAX : -FLT_MAX;
    return x;
}

inline int32_t floatToInt(float x)
{
    const double floored = std::floor(static_cast<double>(sanitizeFloat(x)));
    if (floored <= -2147483648.0)
        return INT32_MIN;
    if (floored >= 2147483647.0)
        return INT32_MAX;
    return static_cast<int32_t>(floored);
}

// A stored float read as an integer: truncation toward zero, saturating at the ends of the int32 range
// (NaN, which sanitised values never hold, gives 0).
inline int32_t truncateToInt(float x)
{
    if (std::isnan(x))
        return 0;
    if (x >= 2147483648.0f)
        return INT32_MAX;
    if (x <= -2147483648.0f)
        return INT32_MIN;
    return static_cast<int32_t>(x);
}

// Element `index` of a caller array that holds floats or int32s, as a float (0 for a null array).
inline float readFloatElement(const void *values, int32_t index, bool isFloat)
{
    if (values == nullptr)
        return 0.0f;
    if (isFloat)
        return sanitizeFloat(static_cast<const float *>(values)[index]);
    return static_cast<float>(static_cast<const int32_t *>(values)[index]);
}

// Element `index` of a caller array that holds floats or int32s, as an int32 (0 for a null array).
inline int32_t readIntElement(const void *values, int32_t index, bool isFloat)
{
    if (values == nullptr)
        return 0;
    if (isFloat)
        return floatToInt(static_cast<const float *>(values)[index]);
    return static_cast<const int32_t *>(values)[index];
}

// Stores an integer field into element `index` of a caller array of floats or int32s.
inline void writeIntElement(void *values, int32_t index, int32_t value, bool isFloat)
{
    if (isFloat)
        static_cast<float *>(values)[index] = static_cast<float>(value);
    else
        static_cast<int32_t *>(values)[index] = value;
}

// Stores a float field into element `index` of a caller array of floats or int32s (truncated, saturating).
inline void writeFloatElement(void *values, int32_t index, float value, bool isFloat)
{
    if (isFloat)
        static_cast<float *>(values)[index] = value;
    else
        static_cast<int32_t *>(values)[index] = truncateToInt(value);
}

} // namespace tamarind

#endif
