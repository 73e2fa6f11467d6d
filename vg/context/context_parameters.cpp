// The context parameters: setContextParameter and getContextParameter, which every setter and getter
// funnels into, and the nine entry points vgSetf, vgSeti, vgSetfv, vgSetiv, vgGetf, vgGeti, vgGetfv,
// vgGetiv and vgGetVectorSize. The rendering code reads the parameter block straight from the context.
#include <VG/openvg.h>

#include "context_parameters.h"

#include "call_frame.h"
#include "float_rules.h"
#include "storage.h"
#include "vg_context.h"

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <vector>

namespace tamarind {
namespace {

constexpr int32_t kMaxScissorValues = 1024; // 256 rectangles of four values
constexpr int32_t kMaxDashValues = 256;

bool isVectorParameter(int32_t type)
{
    return type == VG_SCISSOR_RECTS || type == VG_STROKE_DASH_PATTERN || type == VG_TILE_FILL_COLOR ||
           type == VG_CLEAR_COLOR;
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

ScalarValue floatValue(float f)
{
    return {true, 0, f};
}

// The value of scalar parameter `type`; false for the vector parameters and for unknown types.
bool readScalar(const VgContext &context, int32_t type, ScalarValue &value)
{
    switch (type) {
    case VG_MATRIX_MODE: value = intValue(context.matrixMode); return true;
    case VG_FILL_RULE: value = intValue(context.fillRule); return true;
    case VG_IMAGE_QUALITY: value = intValue(context.imageQuality); return true;
    case VG_RENDERING_QUALITY: value = intValue(context.renderingQuality); return true;
    case VG_BLEND_MODE: value = intValue(context.blendMode); return true;
    case VG_IMAGE_MODE: value = intValue(context.imageDrawMode); return true;
    case VG_STROKE_LINE_WIDTH: value = floatValue(context.strokeLineWidth); return true;
    case VG_STROKE_CAP_STYLE: value = intValue(context.strokeCap); return true;
    case VG_STROKE_JOIN_STYLE: value = intValue(context.strokeJoin); return true;
    case VG_STROKE_MITER_LIMIT: value = floatValue(context.strokeMiterLimit); return true;
    case VG_STROKE_DASH_PHASE: value = floatValue(context.strokeDashPhase); return true;
    case VG_STROKE_DASH_PHASE_RESET: value = intValue(context.strokeDashPhaseReset); return true;
    case VG_MASKING: value = intValue(context.masking); return true;
    case VG_SCISSORING: value = intValue(context.scissoring); return true;
    case VG_PIXEL_LAYOUT: value = intValue(context.pixelLayout); return true;
    case VG_SCREEN_LAYOUT: value = intValue(VG_PIXEL_LAYOUT_UNKNOWN); return true;
    case VG_FILTER_FORMAT_LINEAR: value = intValue(context.filterFormatLinear); return true;
    case VG_FILTER_FORMAT_PREMULTIPLIED: value = intValue(context.filterFormatPremultiplied); return true;
    case VG_FILTER_CHANNEL_MASK: value = intValue(context.filterChannelMask); return true;
    case VG_MAX_SCISSOR_RECTS:
    case VG_MAX_DASH_COUNT:
    case VG_MAX_KERNEL_SIZE:
    case VG_MAX_SEPARABLE_KERNEL_SIZE:
    case VG_MAX_COLOR_RAMP_STOPS: value = intValue(256); return true;
    case VG_MAX_IMAGE_WIDTH:
    case VG_MAX_IMAGE_HEIGHT: value = intValue(16384); return true;
    case VG_MAX_IMAGE_PIXELS: value = intValue(16384 * 16384); return true;
    case VG_MAX_IMAGE_BYTES: value = intValue(1 << 30); return true;
    case VG_MAX_FLOAT: value = floatValue(FLT_MAX); return true;
    case VG_MAX_GAUSSIAN_STD_DEVIATION: value = intValue(128); return true;
    default: return false;
    }
}

bool isScalarParameter(const VgContext &context, int32_t type)
{
    ScalarValue unused;
    return readScalar(context, type, unused);
}

bool inRange(int32_t value, int32_t first, int32_t last)
{
    return value >= first && value <= last;
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

Matrix3 *matrixForMode(VgContext &context, int32_t mode)
{
    switch (mode) {
    case VG_MATRIX_IMAGE_USER_TO_SURFACE: return &context.imageUserToSurface;
    case VG_MATRIX_FILL_PAINT_TO_USER: return &context.fillPaintToUser;
    case VG_MATRIX_STROKE_PAINT_TO_USER: return &context.strokePaintToUser;
    default: return &context.pathUserToSurface;
    }
}

// Scalar parameters; `count` values were supplied and iv, fv are the first of them converted.
void setScalar(VgContext &context, int32_t type, int32_t count, int32_t iv, float fv)
{
    if (!isScalarParameter(context, type) || count != 1) {
        recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        return;
    }
    switch (type) {
    case VG_MATRIX_MODE:
        if (!inRange(iv, VG_MATRIX_PATH_USER_TO_SURFACE, VG_MATRIX_STROKE_PAINT_TO_USER)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        context.matrixMode = iv;
        context.currentMatrix = matrixForMode(context, iv);
        return;
    case VG_FILL_RULE: storeEnum(context, context.fillRule, iv, VG_EVEN_ODD, VG_NON_ZERO); return;
    case VG_IMAGE_QUALITY:
        storeEnum(context, context.imageQuality, iv, VG_IMAGE_QUALITY_NONANTIALIASED, VG_IMAGE_QUALITY_BETTER);
        return;
    case VG_RENDERING_QUALITY:
        storeEnum(context, context.renderingQuality, iv, VG_RENDERING_QUALITY_NONANTIALIASED,
                  VG_RENDERING_QUALITY_BETTER);
        return;
    case VG_BLEND_MODE: storeEnum(context, context.blendMode, iv, VG_BLEND_SRC, VG_BLEND_ADDITIVE); return;
    case VG_IMAGE_MODE:
        storeEnum(context, context.imageDrawMode, iv, VG_DRAW_IMAGE_NORMAL, VG_DRAW_IMAGE_STENCIL);
        return;
    case VG_STROKE_LINE_WIDTH: context.strokeLineWidth = fv; return;
    case VG_STROKE_CAP_STYLE: storeEnum(context, context.strokeCap, iv, VG_CAP_BUTT, VG_CAP_SQUARE); return;
    case VG_STROKE_JOIN_STYLE: storeEnum(context, context.strokeJoin, iv, VG_JOIN_MITER, VG_JOIN_BEVEL); return;
    case VG_STROKE_MITER_LIMIT: context.strokeMiterLimit = fv; return;
    case VG_STROKE_DASH_PHASE: context.strokeDashPhase = fv; return;
    case VG_STROKE_DASH_PHASE_RESET: context.strokeDashPhaseReset = iv != 0 ? 1 : 0; return;
    case VG_MASKING: context.masking = iv != 0 ? 1 : 0; return;
    case VG_SCISSORING: context.scissoring = iv != 0 ? 1 : 0; return;
    case VG_PIXEL_LAYOUT:
        storeEnum(context, context.pixelLayout, iv, VG_PIXEL_LAYOUT_UNKNOWN, VG_PIXEL_LAYOUT_BGR_HORIZONTAL);
        return;
    case VG_FILTER_FORMAT_LINEAR: context.filterFormatLinear = iv != 0 ? 1 : 0; return;
    case VG_FILTER_FORMAT_PREMULTIPLIED: context.filterFormatPremultiplied = iv != 0 ? 1 : 0; return;
    case VG_FILTER_CHANNEL_MASK: context.filterChannelMask = iv; return;
    default: return; // VG_SCREEN_LAYOUT and the VG_MAX_* limits: accepted and ignored
    }
}

void setScissorRects(VgContext &context, int32_t count, const void *values, bool isFloat)
{
    if (count < 0 || count % 4 != 0) {
        recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        return;
    }
    const int32_t used = std::min(count, kMaxScissorValues);
    std::vector<ScissorRect> rects;
    for (int32_t i = 0; i < used; i += 4) {
        const ScissorRect rect{readIntElement(values, i, isFloat), readIntElement(values, i + 1, isFloat),
                               readIntElement(values, i + 2, isFloat), readIntElement(values, i + 3, isFloat)};
        appendGrowing(rects, rect);
    }
    context.scissorRects = std::move(rects);
}

void setDashPattern(VgContext &context, int32_t count, const void *values, bool isFloat)
{
    if (count < 0) {
        recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        return;
    }
    const int32_t used = std::min(count, kMaxDashValues);
    std::vector<float> dashes;
    for (int32_t i = 0; i < used; ++i)
        appendGrowing(dashes, readFloatElement(values, i, isFloat));
    context.strokeDashes = std::move(dashes);
}

void setColor(VgContext &context, float (&color)[4], int32_t count, const void *values, bool isFloat)
{
    if (count != 4 || values == nullptr) {
        recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        return;
    }
    for (int32_t i = 0; i < 4; ++i)
        color[i] = readFloatElement(values, i, isFloat);
}


void getScissorRects(VgContext &context, int32_t count, void *values, bool isFloat)
{
    const auto &rects = context.scissorRects;
    if (static_cast<int64_t>(count) > 4 * static_cast<int64_t>(rects.size())) {
        recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        const ScissorRect &r = rects[static_cast<size_t>(i / 4)];
        const int32_t fields[4] = {r.x, r.y, r.width, r.height};
        writeIntElement(values, i, fields[i % 4], isFloat);
    }
}

void getFloats(VgContext &context, const float *source, size_t size, int32_t count, void *values, bool isFloat)
{
    if (static_cast<int64_t>(count) > static_cast<int64_t>(size)) {
        recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        return;
    }
    for (int32_t i = 0; i < count; ++i)
        writeFloatElement(values, i, source[i], isFloat);
}

bool misaligned(const void *pointer)
{
    return reinterpret_cast<uintptr_t>(pointer) % 4 != 0;
}

} // namespace

void setContextParameter(VgContext &context, int32_t type, int32_t count, const void *values, bool isFloat)
{
    switch (type) {
    case VG_SCISSOR_RECTS: setScissorRects(context, count, values, isFloat); return;
    case VG_STROKE_DASH_PATTERN: setDashPattern(context, count, values, isFloat); return;
    case VG_TILE_FILL_COLOR: setColor(context, context.tileFillColor, count, values, isFloat); return;
    case VG_CLEAR_COLOR: setColor(context, context.clearColor, count, values, isFloat); return;
    default: break;
    }
    const bool supplied = count >= 1 && values != nullptr;
    const int32_t iv = supplied ? readIntElement(values, 0, isFloat) : 0;
    const float fv = supplied ? readFloatElement(values, 0, isFloat) : 0.0f;
    setScalar(context, type, count, iv, fv);
}

void getContextParameter(VgContext &context, int32_t type, int32_t count, void *values, bool isFloat)
{
    switch (type) {
    case VG_SCISSOR_RECTS: getScissorRects(context, count, values, isFloat); return;
    case VG_STROKE_DASH_PATTERN:
        getFloats(context, context.strokeDashes.data(), context.strokeDashes.size(), count, values, isFloat);
        return;
    case VG_TILE_FILL_COLOR: getFloats(context, context.tileFillColor, 4, count, values, isFloat); return;
    case VG_CLEAR_COLOR: getFloats(context, context.clearColor, 4, count, values, isFloat); return;
    default: break;
    }
    ScalarValue value;
    if (!readScalar(context, type, value) || count > 1) {
        recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        return;
    }
    if (count < 1)
        return; // no room for the value
    if (value.isFloat)
        writeFloatElement(values, 0, value.f, isFloat);
    else
        writeIntElement(values, 0, value.i, isFloat);
}

} // namespace tamarind

using namespace tamarind;

void vgSetf(VGParamType type, VGfloat value)
{
    const int32_t t = static_cast<int32_t>(type);
    vgCall([&](VgContext &context) {
        if (isVectorParameter(t)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        setContextParameter(context, t, 1, &value, true);
    });
}

void vgSeti(VGParamType type, VGint value)
{
    const int32_t t = static_cast<int32_t>(type);
    vgCall([&](VgContext &context) {
        if (isVectorParameter(t)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        setContextParameter(context, t, 1, &value, false);
    });
}

void vgSetfv(VGParamType type, VGint count, const VGfloat *values)
{
    const int32_t t = static_cast<int32_t>(type);
    vgCall([&](VgContext &context) {
        if (count < 0 || (values == nullptr && count > 0) || misaligned(values)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        setContextParameter(context, t, count, values, true);
    });
}

void vgSetiv(VGParamType type, VGint count, const VGint *values)
{
    const int32_t t = static_cast<int32_t>(type);
    vgCall([&](VgContext &context) {
        if (count < 0 || (values == nullptr && count > 0) || misaligned(values)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        setContextParameter(context, t, count, values, false);
    });
}

VGfloat vgGetf(VGParamType type)
{
    const int32_t t = static_cast<int32_t>(type);
    return vgCall(0.0f, [&](VgContext &context) {
        VGfloat result = 0.0f;
        if (isVectorParameter(t))
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        else
            getContextParameter(context, t, 1, &result, true);
        return result;
    });
}

VGint vgGeti(VGParamType type)
{
    const int32_t t = static_cast<int32_t>(type);
    return vgCall(VGint{0}, [&](VgContext &context) {
        VGint result = 0;
        if (isVectorParameter(t))
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        else
            getContextParameter(context, t, 1, &result, false);
        return result;
    });
}

void vgGetfv(VGParamType type, VGint count, VGfloat *values)
{
    const int32_t t = static_cast<int32_t>(type);
    vgCall([&](VgContext &context) {
        if (count <= 0 || values == nullptr || misaligned(values)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        getContextParameter(context, t, count, values, true);
    });
}

void vgGetiv(VGParamType type, VGint count, VGint *values)
{
    const int32_t t = static_cast<int32_t>(type);
    vgCall([&](VgContext &context) {
        if (count <= 0 || values == nullptr || misaligned(values)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        getContextParameter(context, t, count, values, false);
    });
}

VGint vgGetVectorSize(VGParamType type)
{
    const int32_t t = static_cast<int32_t>(type);
    return vgCall(VGint{0}, [&](VgContext &context) -> VGint {
        switch (t) {
        case VG_SCISSOR_RECTS: return static_cast<VGint>(4 * context.scissorRects.size());
        case VG_STROKE_DASH_PATTERN: return static_cast<VGint>(context.strokeDashes.size());
        case VG_TILE_FILL_COLOR:
        case VG_CLEAR_COLOR: return 4;
        default: break;
        }
        if (isScalarParameter(context, t))
            return 1;
        recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        return 0;
    });
}
