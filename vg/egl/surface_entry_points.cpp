// Creating, destroying and querying window, pbuffer and pixmap surfaces.
#include <EGL/egl.h>
#include <EGL/egl_kl.h>

#include "display.h"
#include "egl_call.h"
#include "surface.h"
#include "../context/storage.h"
#include "../image/image_object.h"
#include "../image/pixel_format.h"
#include "context_record.h"
#include "thread_state.h"
#include "../context/vg_context.h"

#include "platform.h"

#include <memory>

using namespace tamarind;

namespace {

// PixelColor flags from the colour-space and alpha-format attributes.
int32_t formatFlagsOf(EGLint colorSpace, EGLint alphaFormat)
{
    return (colorSpace == EGL_COLORSPACE_LINEAR ? 0 : COLOR_SRGB) |
           (alphaFormat == EGL_ALPHA_FORMAT_PRE ? COLOR_PREMULTIPLIED : 0);
}

// Adds a new surface to the display's list; the surface is freed if the list cannot grow.
EGLSurface listSurface(DisplayRecord &display, SurfaceRecord *surface)
{
    std::unique_ptr<SurfaceRecord, void (*)(SurfaceRecord *)> owned(surface, releaseSurface);
    appendGrowing(display.surfaces, surface);
    owned.release();
    return surface;
}

// The common first checks of every creator: display, then configuration index.
DisplayRecord *checkCreator(EGLDisplay display, EGLConfig config, EGLint &error, int32_t &configIndex)
{
    DisplayRecord *record = requireDisplay(display, error);
    if (record == nullptr)
        return nullptr;
    configIndex = requireConfig(config, error);
    return configIndex < 0 ? nullptr : record;
}

bool isValidPixmap(const NativePixmap *pixmap)
{
    return pixmap != nullptr && isValidImageFormat(pixmap->format) && pixmap->data != nullptr &&
           pixmap->width > 0 && pixmap->height > 0;
}

// A client buffer names an image by its 32-bit handle; it is trusted only when a live image of some
// context of the display (or of a context still bound after its destruction) carries that handle.
ImageObject *findLiveImage(const DisplayRecord &display, EGLClientBuffer buffer)
{
    const auto handle = static_cast<VGHandle>(reinterpret_cast<uintptr_t>(buffer));
    if (reinterpret_cast<uintptr_t>(buffer) > UINT32_MAX)
        return nullptr;
    for (const ContextRecord *context : display.contexts)
        if (ImageObject *image = isImage(*context->vgContext, handle))
            return image;
    for (const ThreadState *thread : eglState().boundThreads)
        if (ImageObject *image = isImage(*thread->context->vgContext, handle))
            return image;
    return nullptr;
}

bool sameBitSizes(const PixelFormatDescriptor &a, const PixelFormatDescriptor &b)
{
    return a.redBits == b.redBits && a.greenBits == b.greenBits && a.blueBits == b.blueBits &&
           a.alphaBits == b.alphaBits && a.luminanceBits == b.luminanceBits;
}

} // namespace

EGLSurface eglCreatePbufferFromClientBuffer(EGLDisplay display, EGLenum bufferType, EGLClientBuffer buffer,
                                           EGLConfig config, const EGLint *attribList)
{
    return eglCall(EGL_NO_SURFACE, [&](EGLint &error) -> EGLSurface {
        DisplayRecord *record = requireDisplay(display, error);
        if (record == nullptr)
            return EGL_NO_SURFACE;
        ImageObject *image = bufferType == EGL_OPENVG_IMAGE && buffer ? findLiveImage(*record, buffer) : nullptr;
        if (image == nullptr) {
            error = EGL_BAD_PARAMETER;
            return EGL_NO_SURFACE;
        }
        if (image->shareCount != 0) {
            error = EGL_BAD_ACCESS;
            return EGL_NO_SURFACE;
        }
        const int32_t configIndex = requireConfig(config, error);
        if (configIndex < 0)
            return EGL_NO_SURFACE;
        if (attribList != nullptr && attribList[0] != EGL_NONE) {
            error = EGL_BAD_ATTRIBUTE;
            return EGL_NO_SURFACE;
        }
        if (!sameBitSizes(image->descriptor, record->configs[configIndex].descriptor)) {
            error = EGL_BAD_MATCH;
            return EGL_NO_SURFACE;
        }
        SurfaceRecord *surface =
            createSurface(configIndex, image->width, image->height, image->descriptor.internalFormat);
        surface->image = image;
        image->refCount += 1;
        image->shareCount += 1;
        return listSurface(*record, surface);
    });
}

EGLSurface eglCreateWindowSurface(EGLDisplay display, EGLConfig config, EGLNativeWindowType window,
                                  const EGLint *attribList)
{
    return eglCall(EGL_NO_SURFACE, [&](EGLint &error) -> EGLSurface {
        int32_t configIndex = 0;
        DisplayRecord *record = checkCreator(display, config, error, configIndex);
        if (record == nullptr)
            return EGL_NO_SURFACE;
        EGLint renderBuffer = EGL_BACK_BUFFER;
        EGLint colorSpace = EGL_COLORSPACE_sRGB;
        EGLint alphaFormat = EGL_ALPHA_FORMAT_NONPRE;
        for (const EGLint *pair = attribList; pair != nullptr && pair[0] != EGL_NONE; pair += 2) {
            switch (pair[0]) {
            case EGL_RENDER_BUFFER:
                renderBuffer = pair[1];
                break;
            case EGL_COLORSPACE:
                colorSpace = pair[1];
                break;
            case EGL_ALPHA_FORMAT:
                alphaFormat = pair[1];
                break;
            default:
                error = EGL_BAD_ATTRIBUTE;
                return EGL_NO_SURFACE;
            }
        }
        const auto width = static_cast<int32_t>(goGetDeviceInfo(GO_INFO_WIDTH));
        const auto height = static_cast<int32_t>(goGetDeviceInfo(GO_INFO_HEIGHT));
        SurfaceRecord *surface = createSurface(configIndex, width, height, formatFlagsOf(colorSpace, alphaFormat));
        surface->nativeHandle = window;
        surface->isWindow = 1;
        surface->renderBuffer = renderBuffer;
        return listSurface(*record, surface);
    });
}

EGLSurface eglCreatePbufferSurface(EGLDisplay display, EGLConfig config, const EGLint *attribList)
{
    return eglCall(EGL_NO_SURFACE, [&](EGLint &error) -> EGLSurface {
        int32_t configIndex = 0;
        DisplayRecord *record = checkCreator(display, config, error, configIndex);
        if (record == nullptr)
            return EGL_NO_SURFACE;
        EGLint width = 0;
        EGLint height = 0;
        EGLint largest = 0;
        EGLint colorSpace = EGL_COLORSPACE_sRGB;
        EGLint alphaFormat = EGL_ALPHA_FORMAT_NONPRE;
        for (const EGLint *pair = attribList; pair != nullptr && pair[0] != EGL_NONE; pair += 2) {
            switch (pair[0]) {
            case EGL_WIDTH:
                width = pair[1];
                break;
            case EGL_HEIGHT:
                height = pair[1];
                break;
            case EGL_LARGEST_PBUFFER:
                largest = pair[1];
                break;
            case EGL_COLORSPACE:
                colorSpace = pair[1];
                break;
            case EGL_ALPHA_FORMAT:
                alphaFormat = pair[1];
                break;
            default:
                error = EGL_BAD_ATTRIBUTE;
                return EGL_NO_SURFACE;
            }
        }
        if (width <= 0 || height <= 0) {
            error = EGL_BAD_ATTRIBUTE;
            return EGL_NO_SURFACE;
        }
        SurfaceRecord *surface = createSurface(configIndex, width, height, formatFlagsOf(colorSpace, alphaFormat));
        surface->largestPbuffer = largest != 0 ? 1 : 0;
        return listSurface(*record, surface);
    });
}

EGLSurface eglCreatePixmapSurface(EGLDisplay display, EGLConfig config, EGLNativePixmapType pixmap,
                                  const EGLint *)
{
    return eglCall(EGL_NO_SURFACE, [&](EGLint &error) -> EGLSurface {
        int32_t configIndex = 0;
        DisplayRecord *record = checkCreator(display, config, error, configIndex);
        if (record == nullptr)
            return EGL_NO_SURFACE;
        if (!isValidPixmap(pixmap)) {
            error = EGL_BAD_NATIVE_PIXMAP;
            return EGL_NO_SURFACE;
        }
        const PixelFormatDescriptor &d = record->configs[configIndex].descriptor;
        if (d.redBits != 8 || d.greenBits != 8 || d.blueBits != 8 || (d.alphaBits != 8 && d.alphaBits != 0) ||
            d.luminanceBits != 0) {
            error = EGL_BAD_MATCH;
            return EGL_NO_SURFACE;
        }
        const int32_t flags = describeFormat(pixmap->format).internalFormat;
        return listSurface(*record, createSurface(configIndex, pixmap->width, pixmap->height, flags));
    });
}

EGLBoolean eglDestroySurface(EGLDisplay display, EGLSurface surface)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [&](EGLint &error) -> EGLBoolean {
        DisplayRecord *owner = requireDisplay(display, error);
        SurfaceRecord *record = owner ? requireSurface(*owner, surface, error) : nullptr;
        if (record == nullptr)
            return EGL_FALSE;
        removeFirst(owner->surfaces, record);
        releaseSurface(record);
        return EGL_TRUE;
    });
}

EGLBoolean eglSurfaceAttrib(EGLDisplay display, EGLSurface surface, EGLint, EGLint)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [&](EGLint &error) -> EGLBoolean {
        return listedSurface(display, surface, error) != nullptr ? EGL_TRUE : EGL_FALSE;
    });
}

EGLBoolean eglQuerySurface(EGLDisplay display, EGLSurface surface, EGLint attribute, EGLint *value)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [&](EGLint &error) -> EGLBoolean {
        SurfaceRecord *record = listedSurface(display, surface, error);
        if (record == nullptr)
            return EGL_FALSE;
        const ColorBuffer &buffer = *record->colorBuffer;
        EGLint answer = 0;
        bool pbufferOnly = false; // left unwritten for window surfaces
        switch (attribute) {
        case EGL_CONFIG_ID:
            answer = record->configIndex + 1;
            break;
        case EGL_WIDTH:
            answer = buffer.width;
            break;
        case EGL_HEIGHT:
            answer = buffer.height;
            break;
        case EGL_LARGEST_PBUFFER:
            answer = record->largestPbuffer;
            pbufferOnly = true;
            break;
        case EGL_TEXTURE_FORMAT:
        case EGL_TEXTURE_TARGET:
            answer = EGL_NO_TEXTURE;
            pbufferOnly = true;
            break;
        case EGL_MIPMAP_TEXTURE:
        case EGL_MIPMAP_LEVEL:
            answer = 0;
            pbufferOnly = true;
            break;
        case EGL_RENDER_BUFFER:
            answer = record->renderBuffer;
            break;
        case EGL_COLORSPACE:
            answer = (buffer.formatFlags & COLOR_SRGB) ? EGL_COLORSPACE_sRGB : EGL_COLORSPACE_LINEAR;
            break;
        case EGL_ALPHA_FORMAT:
            answer = (buffer.formatFlags & COLOR_PREMULTIPLIED) ? EGL_ALPHA_FORMAT_PRE : EGL_ALPHA_FORMAT_NONPRE;
            break;
        case EGL_HORIZONTAL_RESOLUTION:
        case EGL_VERTICAL_RESOLUTION:
        case EGL_PIXEL_ASPECT_RATIO:
            answer = EGL_UNKNOWN;
            break;
        case EGL_SWAP_BEHAVIOR:
            answer = EGL_BUFFER_DESTROYED;
            break;
        default:
            error = EGL_BAD_ATTRIBUTE;
            return EGL_FALSE;
        }
        if (value == nullptr) {
            error = EGL_BAD_PARAMETER;
            return EGL_FALSE;
        }
        if (!(pbufferOnly && record->isWindow))
            *value = answer;
        return EGL_TRUE;
    });
}

// No surface of this library has a texture format (EGL_TEXTURE_FORMAT is EGL_NO_TEXTURE everywhere), so
// binding a surface's colour buffer as a texture never matches: after the display and surface checks both
// calls answer EGL_BAD_MATCH. They exist so that programs written against the whole interface link.
EGLBoolean eglBindTexImage(EGLDisplay display, EGLSurface surface, EGLint)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [&](EGLint &error) -> EGLBoolean {
        if (listedSurface(display, surface, error) != nullptr)
            error = EGL_BAD_MATCH;
        return EGL_FALSE;
    });
}

EGLBoolean eglReleaseTexImage(EGLDisplay display, EGLSurface surface, EGLint buffer)
{
    return eglBindTexImage(display, surface, buffer);
}
