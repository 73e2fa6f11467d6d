// The paint entry points: creating and destroying paints, binding them as fill or stroke paint, the packed
// colour shortcut and the pattern image. Parameters other than the colour go through the object-parameter
// entry points.
#include <EGL/egl_kl.h>
#include <VG/openvg.h>

#include "paint_object.h"
#include "../context/call_frame.h"
#include "../image/image_object.h"

#include <algorithm>
#include <memory>

using namespace tamarind;

namespace {

// Binds `paint` (or nothing) in one context slot: the new paint gains its reference before the old one
// loses its own, so re-binding the bound paint never frees it.
void bindPaint(PaintObject *&slot, PaintObject *paint)
{
    if (paint != nullptr)
        paint->refCount += 1;
    PaintObject *old = slot;
    slot = paint;
    if (old != nullptr)
        releaseObject(old);
}

// The handle of a bound paint, or VG_INVALID_HANDLE when none is bound or its handle has been destroyed:
// a dead handle value is never handed back, since it could come to name another object.
VGPaint boundHandle(const VgContext &context, const PaintObject *paint)
{
    if (paint == nullptr || isPaint(context, paint->handle) != paint)
        return VG_INVALID_HANDLE;
    return paint->handle;
}

// A stored colour component packed into one byte: limited to [0, 1], times 255, truncated.
uint32_t packComponent(float component)
{
    const float limited = std::clamp(component, 0.0f, 1.0f);
    return static_cast<uint32_t>(limited * 255.0f);
}

} // namespace

VGPaint vgCreatePaint(void)
{
    return vgCall<VGPaint>(VG_INVALID_HANDLE, [&](VgContext &context) -> VGPaint {
        auto paint = std::make_unique<PaintObject>();
        registerObject(*context.paints, paint.get(), &context); // takes the first reference, or throws
        return paint.release()->handle;
    });
}

void vgDestroyPaint(VGPaint paint)
{
    vgCall([&](VgContext &context) {
        PaintObject *record = isPaint(context, paint);
        if (record == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return;
        }
        unregisterObject(*context.paints, record);
    });
}

void vgSetPaint(VGPaint paint, VGbitfield paintModes)
{
    vgCall([&](VgContext &context) {
        PaintObject *record = isPaint(context, paint);
        if (paint != VG_INVALID_HANDLE && record == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return;
        }
        if (paintModes > (VG_FILL_PATH | VG_STROKE_PATH)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        if ((paintModes & VG_FILL_PATH) != 0)
            bindPaint(context.fillPaint, record);
        if ((paintModes & VG_STROKE_PATH) != 0)
            bindPaint(context.strokePaint, record);
    });
}

VGPaint vgGetPaint(VGPaintMode paintMode)
{
    return vgCall<VGPaint>(VG_INVALID_HANDLE, [&](VgContext &context) -> VGPaint {
        switch (static_cast<int32_t>(paintMode)) {
        case VG_FILL_PATH: return boundHandle(context, context.fillPaint);
        case VG_STROKE_PATH: return boundHandle(context, context.strokePaint);
        default: recordError(context, VG_ILLEGAL_ARGUMENT_ERROR); return VG_INVALID_HANDLE;
        }
    });
}

void vgSetColor(VGPaint paint, VGuint rgba)
{
    vgCall([&](VgContext &context) {
        PaintObject *record = isPaint(context, paint);
        if (record == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return;
        }
        // R in bits 31..24, G 23..16, B 15..8, A 7..0; the cached colour is made from the bytes themselves.
        uint16_t bytes[4];
        for (int32_t i = 0; i < 4; ++i) {
            bytes[i] = static_cast<uint16_t>((rgba >> (24 - 8 * i)) & 0xFFu);
            record->color[i] = static_cast<float>(bytes[i]) / 255.0f;
        }
        record->cachedColor = premultipliedPaintColor(bytes[0], bytes[1], bytes[2], bytes[3]);
    });
}

VGuint vgGetColor(VGPaint paint)
{
    return vgCall<VGuint>(0, [&](VgContext &context) -> VGuint {
        const PaintObject *record = isPaint(context, paint);
        if (record == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return 0;
        }
        return (packComponent(record->color[0]) << 24) | (packComponent(record->color[1]) << 16) |
               (packComponent(record->color[2]) << 8) | packComponent(record->color[3]);
    });
}

void vgPaintPattern(VGPaint paint, VGImage pattern)
{
    vgCall([&](VgContext &context) {
        PaintObject *record = isPaint(context, paint);
        if (record == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return;
        }
        ImageObject *image = isImage(context, pattern);
        if (pattern != VG_INVALID_HANDLE && image == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return;
        }
        if (image != nullptr && eglIsInUse(pattern)) {
            recordError(context, VG_IMAGE_IN_USE_ERROR);
            return;
        }
        setPaintPattern(*record, image);
    });
}
