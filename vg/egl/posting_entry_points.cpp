// Posting: eglSwapBuffers shows a window surface in the canvas, eglCopyBuffers copies a surface into a
// caller's pixmap. Both run entirely under the API mutex, nested vg* calls included.
#include <EGL/egl.h>
#include <EGL/egl_kl.h>
#include <VG/openvg.h>

#include "display.h"
#include "egl_call.h"
#include "surface.h"
#include "thread_state.h"
#include "../context/vg_context.h"
#include "../image/image_object.h"
#include "../image/pixel_transfers.h"
#include "context_record.h"

#include "platform.h"

#include <cstring>
#include <memory>
#include <new>

using namespace tamarind;

namespace {

// Gives a window surface new buffers of the canvas size (colour all zero, mask all 255) and attaches the
// bound context to them again. On failure the context stays detached.
void resizeWindowSurface(SurfaceRecord &surface, VgContext &context, int32_t width, int32_t height)
{
    detachSurface(context);
    ColorBuffer &color = *surface.colorBuffer;
    color.pixels.reset(static_cast<uint64_t>(width) * static_cast<uint64_t>(height));
    color.width = width;
    color.height = height;
    color.cursor = color.pixels.data();
    MaskBuffer &mask = *surface.maskBuffer;
    mask.pixels.reset(static_cast<uint64_t>(width) * static_cast<uint64_t>(height));
    mask.width = width;
    mask.height = height;
    if (mask.pixels.size() != 0)
        std::memset(mask.pixels.data(), 255, mask.pixels.size());
    attachSurface(surface.colorBuffer, surface.maskBuffer, context);
}

} // namespace

EGLBoolean eglSwapBuffers(EGLDisplay display, EGLSurface surface)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [&](EGLint &error) -> EGLBoolean {
        SurfaceRecord *record = listedSurface(display, surface, error);
        if (record == nullptr)
            return EGL_FALSE;
        ThreadState *thread = findBoundThread();
        if (thread == nullptr || thread->surface != record) {
            error = EGL_BAD_SURFACE;
            return EGL_FALSE;
        }
        vgFinish();
        if (!record->isWindow)
            return EGL_TRUE;
        const auto width = static_cast<int32_t>(goGetDeviceInfo(GO_INFO_WIDTH));
        const auto height = static_cast<int32_t>(goGetDeviceInfo(GO_INFO_HEIGHT));
        ColorBuffer &color = *record->colorBuffer;
        if (width != color.width || height != color.height)
            resizeWindowSurface(*record, *thread->context->vgContext, width, height);
        auto *pixels = reinterpret_cast<void *>(goGetDeviceInfo(GO_INFO_PIXELS));
        vgReadPixels(pixels, color.width * 4, VG_sARGB_8888, 0, 0, color.width, color.height);
        goSwapBuffer();
        return EGL_TRUE;
    });
}

EGLBoolean eglCopyBuffers(EGLDisplay display, EGLSurface surface, EGLNativePixmapType pixmap)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [&](EGLint &error) -> EGLBoolean {
        SurfaceRecord *record = listedSurface(display, surface, error);
        if (record == nullptr)
            return EGL_FALSE;
        if (pixmap == nullptr || !isValidImageFormat(pixmap->format) || pixmap->data == nullptr ||
            pixmap->width <= 0 || pixmap->height <= 0) {
            error = EGL_BAD_NATIVE_PIXMAP;
            return EGL_FALSE;
        }
        ImageObject target =
            wrapClientMemory(pixmap->format, pixmap->data, pixmap->stride, pixmap->width, pixmap->height);
        try {
            readSurfaceRegion(target, 0, 0, *record->colorBuffer, 0, 0, pixmap->width, pixmap->height);
        } catch (const std::bad_alloc &) {
            // Ignored: the copy is simply not made.
        }
        return EGL_TRUE;
    });
}
