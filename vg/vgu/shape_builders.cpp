// Shape builders: compute float coordinates, convert them to the path's datatype with its scale and
// bias, append them with vgAppendPathData and turn the error the append left into a VGU error code.
#include <VG/vgu.h>

#include "../context/call_frame.h"
#include "../path/path_object.h"

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <utility>

namespace tamarind {
namespace {

constexpr int kMaxShapeCoordinates = 26;
// Half turns a single arc may take before its last arc; larger extents only retrace the ellipse.
constexpr int kMaxHalfTurns = 1 << 16;
constexpr float kPi = 3.1415927f;

// Clears the pending VG error; false when no context is bound to the calling thread.
bool clearError()
{
    return vgCall(false, [](VgContext &context) {
        context.error = VG_NO_ERROR;
        return true;
    });
}

// Reads and clears the pending VG error and maps it to a VGU error code.
VGUErrorCode takeError()
{
    const int32_t code = vgCall(static_cast<int32_t>(VG_NO_ERROR), [](VgContext &context) {
        const int32_t pending = context.error;
        context.error = VG_NO_ERROR;
        return pending;
    });
    switch (code) {
    case VG_BAD_HANDLE_ERROR:
        return VGU_BAD_HANDLE_ERROR;
    case VG_PATH_CAPABILITY_ERROR:
        return VGU_PATH_CAPABILITY_ERROR;
    case VG_OUT_OF_MEMORY_ERROR:
        return VGU_OUT_OF_MEMORY_ERROR;
    default:
        return VGU_NO_ERROR;
    }
}

// True when an error is pending; a handle that is not a path turns into VG_BAD_HANDLE_ERROR.
bool handleReadFailed()
{
    return vgCall(false, [](VgContext &context) {
        if (context.error == VG_NO_ERROR)
            return false;
        if (context.error == VG_ILLEGAL_ARGUMENT_ERROR)
            context.error = VG_BAD_HANDLE_ERROR;
        return true;
    });
}

// Appends segments with float coordinates to `path` in the path's own datatype, scale and bias; false
// when an error is pending afterwards.
bool appendShapeSegments(VGPath path, int32_t segmentCount, const VGubyte *segments, int32_t coordinateCount,
                         const float *floatCoordinates)
{
    const int32_t datatype = vgGetParameteri(path, VG_PATH_DATATYPE);
    const float scale = vgGetParameterf(path, VG_PATH_SCALE);
    const float bias = vgGetParameterf(path, VG_PATH_BIAS);
    if (handleReadFailed())
        return false;
    alignas(4) uint8_t converted[kMaxShapeCoordinates * 4];
    for (int32_t i = 0; i < coordinateCount; ++i)
        writeCoordinate(converted, i, datatype, scale, bias, floatCoordinates[i]);
    vgAppendPathData(path, segmentCount, segments, converted);
    return !vgCall(false, [](VgContext &context) { return context.error != VG_NO_ERROR; });
}

bool appendOne(VGPath path, VGubyte segment, std::initializer_list<float> coordinates)
{
    return appendShapeSegments(path, 1, &segment, static_cast<int32_t>(coordinates.size()), coordinates.begin());
}

bool isPositive(float v)
{
    return v > 0.0f;
}

// An arc radius from its diameter: not a number or negative gives 0, more than `limit` gives `limit`.
float clampDiameter(float diameter, float limit)
{
    if (!(diameter >= 0.0f))
        return 0.0f;
    return diameter > limit ? limit : diameter;
}

} // namespace
} // namespace tamarind

using namespace tamarind;

VGUErrorCode vguLine(VGPath path, VGfloat x0, VGfloat y0, VGfloat x1, VGfloat y1)
{
    if (!clearError())
        return VGU_NO_ERROR;
    const VGubyte segments[] = {VG_MOVE_TO_ABS, VG_LINE_TO_ABS};
    const float coordinates[] = {x0, y0, x1, y1};
    appendShapeSegments(path, 2, segments, 4, coordinates);
    return takeError();
}

VGUErrorCode vguPolygon(VGPath path, const VGfloat *points, VGint count, VGboolean closed)
{
    if (!clearError())
        return VGU_NO_ERROR;
    if (points == nullptr || reinterpret_cast<uintptr_t>(points) % 4 != 0 || count <= 0)
        return VGU_ILLEGAL_ARGUMENT_ERROR;
    bool ok = true;
    for (VGint i = 0; i < count && ok; ++i)
        ok = appendOne(path, i == 0 ? VG_MOVE_TO_ABS : VG_LINE_TO_ABS, {points[2 * i], points[2 * i + 1]});
    if (ok && closed != VG_FALSE)
        appendOne(path, VG_CLOSE_PATH, {});
    return takeError();
}

VGUErrorCode vguRect(VGPath path, VGfloat x, VGfloat y, VGfloat width, VGfloat height)
{
    if (!clearError())
        return VGU_NO_ERROR;
    if (!isPositive(width) || !isPositive(height))
        return VGU_ILLEGAL_ARGUMENT_ERROR;
    const VGubyte segments[] = {VG_MOVE_TO_ABS, VG_HLINE_TO_ABS, VG_VLINE_TO_ABS, VG_HLINE_TO_ABS, VG_CLOSE_PATH};
    const float coordinates[] = {x, y, x + width, y + height, x};
    appendShapeSegments(path, 5, segments, 5, coordinates);
    return takeError();
}

VGUErrorCode vguRoundRect(VGPath path, VGfloat x, VGfloat y, VGfloat width, VGfloat height, VGfloat arcWidth,
                          VGfloat arcHeight)
{
    if (!clearError())
        return VGU_NO_ERROR;
    if (!isPositive(width) || !isPositive(height))
        return VGU_ILLEGAL_ARGUMENT_ERROR;
    const float rw = clampDiameter(arcWidth, width) / 2.0f;
    const float rh = clampDiameter(arcHeight, height) / 2.0f;
    const VGubyte segments[] = {VG_MOVE_TO_ABS,    VG_HLINE_TO_ABS, VG_SCCWARC_TO_ABS, VG_VLINE_TO_ABS,
                                VG_SCCWARC_TO_ABS, VG_HLINE_TO_ABS, VG_SCCWARC_TO_ABS, VG_VLINE_TO_ABS,
                                VG_SCCWARC_TO_ABS, VG_CLOSE_PATH};
    const float coordinates[] = {x + rw, y,
                                 x + width - rw,
                                 rw, rh, 0.0f, x + width, y + rh,
                                 y + height - rh,
                                 rw, rh, 0.0f, x + width - rw, y + height,
                                 x + rw,
                                 rw, rh, 0.0f, x, y + height - rh,
                                 y + rh,
                                 rw, rh, 0.0f, x + rw, y};
    appendShapeSegments(path, 10, segments, 26, coordinates);
    return takeError();
}

VGUErrorCode vguEllipse(VGPath path, VGfloat cx, VGfloat cy, VGfloat width, VGfloat height)
{
    if (!clearError())
        return VGU_NO_ERROR;
    if (!isPositive(width) || !isPositive(height))
        return VGU_ILLEGAL_ARGUMENT_ERROR;
    const float rx = width / 2.0f;
    const float ry = height / 2.0f;
    const VGubyte segments[] = {VG_MOVE_TO_ABS, VG_SCCWARC_TO_ABS, VG_SCCWARC_TO_ABS, VG_CLOSE_PATH};
    const float coordinates[] = {cx + rx, cy, rx, ry, 0.0f, cx - rx, cy, rx, ry, 0.0f, cx + rx, cy};
    appendShapeSegments(path, 4, segments, 12, coordinates);
    return takeError();
}

VGUErrorCode vguArc(VGPath path, VGfloat x, VGfloat y, VGfloat width, VGfloat height, VGfloat startAngle,
                    VGfloat angleExtent, VGUArcType arcType)
{
    if (!clearError())
        return VGU_NO_ERROR;
    if (arcType < VGU_ARC_OPEN || arcType > VGU_ARC_PIE || !isPositive(width) || !isPositive(height) ||
        !std::isfinite(startAngle) || !std::isfinite(angleExtent))
        return VGU_ILLEGAL_ARGUMENT_ERROR;
    const float rx = width / 2.0f;
    const float ry = height / 2.0f;
    const float a0 = startAngle * (kPi / 180.0f);
    const float e = angleExtent * (kPi / 180.0f);
    const float a1 = a0 + e;
    const auto point = [&](float a) { return std::pair{x + std::cos(a) * rx, y + std::sin(a) * ry}; };

    auto [px, py] = point(a0);
    bool ok = appendOne(path, VG_MOVE_TO_ABS, {px, py});
    const VGubyte arc = e >= 0.0f ? VG_SCCWARC_TO_ABS : VG_SCWARC_TO_ABS;
    const float step = e >= 0.0f ? kPi : -kPi;
    // Half turns at a0 + k pi, counted so that a start too large for the step to register still ends.
    for (int k = 1; ok && k <= kMaxHalfTurns; ++k) {
        const float a = a0 + static_cast<float>(k) * step;
        if (e >= 0.0f ? !(a < a1) : !(a > a1))
            break;
        const auto [ax, ay] = point(a);
        ok = appendOne(path, arc, {rx, ry, 0.0f, ax, ay});
    }
    if (ok) {
        const auto [ex, ey] = point(a1);
        ok = appendOne(path, arc, {rx, ry, 0.0f, ex, ey});
    }
    if (ok && arcType == VGU_ARC_CHORD) {
        appendOne(path, VG_CLOSE_PATH, {});
    } else if (ok && arcType == VGU_ARC_PIE) {
        if (appendOne(path, VG_LINE_TO_ABS, {x, y}))
            appendOne(path, VG_CLOSE_PATH, {});
    }
    return takeError();
}
