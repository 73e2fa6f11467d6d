// Path records: lifetime, the segment table and coordinate access through datatype, scale and bias.
#include "path_object.h"

#include "../context/float_rules.h"

#include <cmath>
#include <cstring>

namespace tamarind {

void releaseObject(PathObject *path)
{
    path->refCount -= 1;
    if (path->refCount == 0)
        delete path;
}

int32_t coordinateCount(int32_t command)
{
    static constexpr int32_t kCounts[13] = {0, 2, 2, 1, 1, 4, 6, 2, 4, 5, 5, 5, 5};
    return command >= 0 && command <= 12 ? kCounts[command] : 0;
}

int32_t elementWidth(int32_t datatype)
{
    switch (datatype) {
    case VG_PATH_DATATYPE_S_8:
        return 1;
    case VG_PATH_DATATYPE_S_16:
        return 2;
    default: // S_32 and F
        return 4;
    }
}

int32_t coordinateCountOf(const PathObject &path)
{
    return static_cast<int32_t>(path.coordinates.size()) / elementWidth(path.datatype);
}

float readCoordinate(const PathObject &path, int32_t index)
{
    const uint8_t *at = path.coordinates.data() + static_cast<size_t>(index) * elementWidth(path.datatype);
    float raw = 0.0f;
    switch (path.datatype) {
    case VG_PATH_DATATYPE_S_8:
        raw = static_cast<float>(static_cast<int8_t>(*at));
        break;
    case VG_PATH_DATATYPE_S_16: {
        int16_t value;
        std::memcpy(&value, at, sizeof value);
        raw = static_cast<float>(value);
        break;
    }
    case VG_PATH_DATATYPE_S_32: {
        int32_t value;
        std::memcpy(&value, at, sizeof value);
        raw = static_cast<float>(value);
        break;
    }
    default:
        std::memcpy(&raw, at, sizeof raw);
        break;
    }
    return raw * path.scale + path.bias;
}

namespace {

// floor(raw + 0.5) clamped to [low, high]; NaN gives 0.
int64_t roundHalfUpSaturating(float raw, int64_t low, int64_t high)
{
    const double rounded = std::floor(static_cast<double>(raw) + 0.5);
    if (std::isnan(rounded))
        return 0;
    if (rounded <= static_cast<double>(low))
        return low;
    if (rounded >= static_cast<double>(high))
        return high;
    return static_cast<int64_t>(rounded);
}

} // namespace

void writeCoordinate(uint8_t *storage, int32_t index, int32_t datatype, float scale, float bias, float value)
{
    const float shifted = value - bias;
    const float raw = shifted / scale;
    uint8_t *at = storage + static_cast<size_t>(index) * elementWidth(datatype);
    switch (datatype) {
    case VG_PATH_DATATYPE_S_8:
        *at = static_cast<uint8_t>(static_cast<int8_t>(roundHalfUpSaturating(raw, INT8_MIN, INT8_MAX)));
        break;
    case VG_PATH_DATATYPE_S_16: {
        const auto v = static_cast<int16_t>(roundHalfUpSaturating(raw, INT16_MIN, INT16_MAX));
        std::memcpy(at, &v, sizeof v);
        break;
    }
    case VG_PATH_DATATYPE_S_32: {
        const auto v = static_cast<int32_t>(roundHalfUpSaturating(raw, INT32_MIN, INT32_MAX));
        std::memcpy(at, &v, sizeof v);
        break;
    }
    default: {
        // A float path holds finite values only, as after vgAppendPathData: an overflowing transform or
        // extrapolation must not store infinities or NaN.
        const float clean = sanitizeFloat(raw);
        std::memcpy(at, &clean, sizeof clean);
        break;
    }
    }
}

} // namespace tamarind
