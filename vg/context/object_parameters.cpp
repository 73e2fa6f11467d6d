// The object parameters: setPaintParameter and getPaintParameter, the read-only path and image
// parameters, and the nine entry points vgSetParameterf, vgSetParameteri, vgSetParameterfv,
// vgSetParameteriv, vgGetParameterf, vgGetParameteri, vgGetParameterfv, vgGetParameteriv and
// vgGetParameterVectorSize. The kind of a handle is found by trying the image, path and paint lists in
// that order.
#include <VG/openvg.h>

#include "object_parameters.h"

#include "call_frame.h"
#include "float_rules.h"
#include "vg_context.h"
#include "../image/image_object.h"
#include "../path/path_object.h"
#include "../render/paint_object.h"

#include <cstdint>

namespace tamarind {
namespace {

// The object behind a handle, by kind; all null when the handle is in none of the three lists.
struct ObjectOfHandle {
    ImageObject *image = nullptr;
    PathObject *path = nullptr;
    PaintObject *paint = nullptr;

    bool found() const { return image != nullptr || path != nullptr || paint != nullptr; }
};

ObjectOfHandle findHandle(const VgContext &context, VGHandle handle)
{
    ObjectOfHandle object;
    if ((object.image = isImage(context, handle)) != nullptr)
        return object;
    if ((object.path = isPath(context, handle)) != nullptr)
        return object;
    object.paint = isPaint(context, handle);
    return object;
}

bool isVectorPaintParameter(int32_t type)
{
    return type == VG_PAINT_COLOR || type == VG_PAINT_COLOR_RAMP_STOPS || type == VG_PAINT_LINEAR_GRADIENT ||
           type == VG_PAINT_RADIAL_GRADIENT;
}

bool inRange(int32_t value, int32_t first, int32_t last)
{
    return value >= first && value <= last;
}

bool isPathParameter(int32_t type)
{
    return inRange(type, VG_PATH_FORMAT, VG_PATH_NUM_COORDS);
}

bool isImageParameter(int32_t type)
{
    return inRange(type, VG_IMAGE_FORMAT, VG_IMAGE_HEIGHT);
}

bool misaligned(const void *pointer)
{
    return reinterpret_cast<uintptr_t>(pointer) % 4 != 0;
}

// A scalar parameter's value as stored: an int32 field or a float field.
struct ScalarValue {
    bool isFloat;
    int32_t i;
    float f;
};

ScalarValue intValue(int32_t i)
{
    return {false, i, 0.0f};
}

bool readPathScalar(const PathObject &path, int32_t type, ScalarValue &value)
{
    switch (type) {
    case VG_PATH_FORMAT: value = intValue(path.format); return true;
    case VG_PATH_DATATYPE: value = intValue(path.datatype); return true;
    case VG_PATH_SCALE: value = {true, 0, path.scale}; return true;
    case VG_PATH_BIAS: value = {true, 0, path.bias}; return true;
    case VG_PATH_NUM_SEGMENTS: value = intValue(static_cast<int32_t>(path.segments.size())); return true;
    case VG_PATH_NUM_COORDS: value = intValue(coordinateCountOf(path)); return true;
    default: return false;
    }
}

bool readImageScalar(const ImageObject &image, int32_t type, ScalarValue &value)
{
    switch (type) {
    case VG_IMAGE_FORMAT: value = intValue(image.descriptor.format); return true;
    case VG_IMAGE_WIDTH: value = intValue(image.width); return true;
    case VG_IMAGE_HEIGHT: value = intValue(image.height); return true;
    default: return false;
    }
}

bool readPaintScalar(const PaintObject &paint, int32_t type, ScalarValue &value)
{
    switch (type) {
    case VG_PAINT_TYPE: value = intValue(paint.type); return true;
    case VG_PAINT_COLOR_RAMP_SPREAD_MODE: value = intValue(paint.spreadMode); return true;
    case VG_PAINT_PATTERN_TILING_MODE: value = intValue(paint.tilingMode); return true;
    case VG_PAINT_COLOR_RAMP_PREMULTIPLIED: value = intValue(paint.rampPremultiplied); return true;
    default: return false;
    }
}

bool readScalar(const ObjectOfHandle &object, int32_t type, ScalarValue &value)
{
    if (object.image != nullptr)
        return readImageScalar(*object.image, type, value);
    if (object.path != nullptr)
        return readPathScalar(*object.path, type, value);
    return readPaintScalar(*object.paint, type, value);
}


void writeScalar(void *values, const ScalarValue &value, bool isFloat)
{
    if (value.isFloat)
        writeFloatElement(values, 0, value.f, isFloat);
    else
        writeIntElement(values, 0, value.i, isFloat);
}

// Stores an enumerant when it lies in [first, last]; otherwise records the error and keeps the field.
void storeEnum(VgContext &context, int32_t &field, int32_t value, int32_t first, int32_t last)
{
    if (!inRange(value, first, last)) {
        recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        return;
    }
    field = value;
}

// Copies exactly `size` values into a float field array; any other count is refused.
void storeFloats(VgContext &context, float *field, int32_t size, int32_t count, const void *values, bool isFloat)
{
    if (count != size) {
        recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        return;
    }
    for (int32_t i = 0; i < size; ++i)
        field[i] = readFloatElement(values, i, isFloat);
}

// Writes the first `count` of `size` float fields; a larger count is refused.
void loadFloats(VgContext &context, const float *field, int64_t size, int32_t count, void *values, bool isFloat)
{
    if (count > size) {
        recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        return;
    }
    for (int32_t i = 0; i < count; ++i)
        writeFloatElement(values, i, field[i], isFloat);
}

} // namespace

void setPaintParameter(VgContext &context, PaintObject &paint, int32_t type, int32_t count, const void *values,
                       bool isFloat)
{
    switch (type) {
    case VG_PAINT_COLOR:
        if (count != 4) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        storeFloats(context, paint.color, 4, count, values, isFloat);
        rebuildCachedColor(paint);
        return;
    case VG_PAINT_COLOR_RAMP_STOPS:
        if (count < 0 || count % 5 != 0) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        setRampStops(paint, count, values, isFloat);
        return;
    case VG_PAINT_LINEAR_GRADIENT: storeFloats(context, paint.linear, 4, count, values, isFloat); return;
    case VG_PAINT_RADIAL_GRADIENT: storeFloats(context, paint.radial, 5, count, values, isFloat); return;
    default: break;
    }
    const int32_t iv = count >= 1 ? readIntElement(values, 0, isFloat) : 0;
    ScalarValue unused;
    if (!readPaintScalar(paint, type, unused) || count != 1) {
        recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        return;
    }
    switch (type) {
    case VG_PAINT_TYPE: storeEnum(context, paint.type, iv, VG_PAINT_TYPE_COLOR, VG_PAINT_TYPE_PATTERN); return;
    case VG_PAINT_COLOR_RAMP_SPREAD_MODE:
        storeEnum(context, paint.spreadMode, iv, VG_COLOR_RAMP_SPREAD_PAD, VG_COLOR_RAMP_SPREAD_REFLECT);
        return;
    case VG_PAINT_PATTERN_TILING_MODE: storeEnum(context, paint.tilingMode, iv, VG_TILE_FILL, VG_TILE_REFLECT); return;
    default: paint.rampPremultiplied = iv != 0 ? 1 : 0; return; // VG_PAINT_COLOR_RAMP_PREMULTIPLIED
    }
}

void getPaintParameter(VgContext &context, const PaintObject &paint, int32_t type, int32_t count, void *values,
                       bool isFloat)
{
    switch (type) {
    case VG_PAINT_COLOR: loadFloats(context, paint.color, 4, count, values, isFloat); return;
    case VG_PAINT_LINEAR_GRADIENT: loadFloats(context, paint.linear, 4, count, values, isFloat); return;
    case VG_PAINT_RADIAL_GRADIENT: loadFloats(context, paint.radial, 5, count, values, isFloat); return;
    case VG_PAINT_COLOR_RAMP_STOPS: {
        const int64_t size = 5 * static_cast<int64_t>(paint.userStops.size());
        if (count > size) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        for (int32_t i = 0; i < count; ++i)
            writeFloatElement(values, i, paint.userStops[static_cast<size_t>(i / 5)].values[i % 5], isFloat);
        return;
    }
    default: break;
    }
    ScalarValue value;
    if (!readPaintScalar(paint, type, value) || count > 1) {
        recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        return;
    }
    if (count == 1)
        writeScalar(values, value, isFloat);
}

} // namespace tamarind

using namespace tamarind;

namespace {

// The scalar setters: vector paint types are refused whatever the kind; read-only path and image
// parameters are accepted and ignored.
void setScalarParameter(VGHandle object, int32_t type, const void *value, bool isFloat)
{
    vgCall([&](VgContext &context) {
        const ObjectOfHandle found = findHandle(context, object);
        if (!found.found()) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return;
        }
        if (isVectorPaintParameter(type)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        if (found.paint != nullptr)
            setPaintParameter(context, *found.paint, type, 1, value, isFloat);
        else if (found.image != nullptr ? !isImageParameter(type) : !isPathParameter(type))
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
    });
}

// The vector setters: count and pointer are tested before the handle.
void setVectorParameter(VGHandle object, int32_t type, int32_t count, const void *values, bool isFloat)
{
    vgCall([&](VgContext &context) {
        if (count < 0 || (values == nullptr && count > 0) || misaligned(values)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        const ObjectOfHandle found = findHandle(context, object);
        if (!found.found()) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return;
        }
        if (found.paint != nullptr)
            setPaintParameter(context, *found.paint, type, count, values, isFloat);
        else if (found.image != nullptr ? !isImageParameter(type) : !isPathParameter(type))
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
    });
}

// The scalar getters: vector paint types are refused before the handle is looked at.
template <class R>
R getScalarParameter(VGHandle object, int32_t type, bool isFloat)
{
    return vgCall(R{0}, [&](VgContext &context) -> R {
        if (isVectorPaintParameter(type)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return R{0};
        }
        const ObjectOfHandle found = findHandle(context, object);
        if (!found.found()) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return R{0};
        }
        ScalarValue value;
        if (!readScalar(found, type, value)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return R{0};
        }
        R result{0};
        writeScalar(&result, value, isFloat);
        return result;
    });
}

// The vector getters: count and pointer are tested before the handle.
void getVectorParameter(VGHandle object, int32_t type, int32_t count, void *values, bool isFloat)
{
    vgCall([&](VgContext &context) {
        if (count <= 0 || values == nullptr || misaligned(values)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        const ObjectOfHandle found = findHandle(context, object);
        if (!found.found()) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return;
        }
        if (found.paint != nullptr) {
            getPaintParameter(context, *found.paint, type, count, values, isFloat);
            return;
        }
        ScalarValue value;
        if (!readScalar(found, type, value) || count > 1) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        writeScalar(values, value, isFloat);
    });
}

int32_t paintVectorSize(const PaintObject &paint, int32_t type)
{
    switch (type) {
    case VG_PAINT_TYPE:
    case VG_PAINT_COLOR_RAMP_SPREAD_MODE:
    case VG_PAINT_PATTERN_TILING_MODE:
    case VG_PAINT_COLOR_RAMP_PREMULTIPLIED: return 1;
    case VG_PAINT_COLOR:
    case VG_PAINT_LINEAR_GRADIENT: return 4;
    case VG_PAINT_RADIAL_GRADIENT: return 5;
    case VG_PAINT_COLOR_RAMP_STOPS: return 5 * static_cast<int32_t>(paint.userStops.size());
    default: return -1;
    }
}

} // namespace

void vgSetParameterf(VGHandle object, VGint paramType, VGfloat value)
{
    setScalarParameter(object, paramType, &value, true);
}

void vgSetParameteri(VGHandle object, VGint paramType, VGint value)
{
    setScalarParameter(object, paramType, &value, false);
}

void vgSetParameterfv(VGHandle object, VGint paramType, VGint count, const VGfloat *values)
{
    setVectorParameter(object, paramType, count, values, true);
}

void vgSetParameteriv(VGHandle object, VGint paramType, VGint count, const VGint *values)
{
    setVectorParameter(object, paramType, count, values, false);
}

VGfloat vgGetParameterf(VGHandle object, VGint paramType)
{
    return getScalarParameter<VGfloat>(object, paramType, true);
}

VGint vgGetParameteri(VGHandle object, VGint paramType)
{
    return getScalarParameter<VGint>(object, paramType, false);
}

void vgGetParameterfv(VGHandle object, VGint paramType, VGint count, VGfloat *values)
{
    getVectorParameter(object, paramType, count, values, true);
}

void vgGetParameteriv(VGHandle object, VGint paramType, VGint count, VGint *values)
{
    getVectorParameter(object, paramType, count, values, false);
}

VGint vgGetParameterVectorSize(VGHandle object, VGint paramType)
{
    return vgCall(VGint{0}, [&](VgContext &context) -> VGint {
        const ObjectOfHandle found = findHandle(context, object);
        if (!found.found()) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return 0;
        }
        int32_t size = -1;
        if (found.image != nullptr)
            size = isImageParameter(paramType) ? 1 : -1;
        else if (found.path != nullptr)
            size = isPathParameter(paramType) ? 1 : -1;
        else
            size = paintVectorSize(*found.paint, paramType);
        if (size < 0) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return 0;
        }
        return size;
    });
}
