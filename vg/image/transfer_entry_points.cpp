// The pixel transfer entry points. Caller memory is wrapped as a temporary image, so every call is one
// of the four movement routines. Running out of memory ends a transfer silently, without an error.
#include <EGL/egl_kl.h>
#include <VG/openvg.h>

#include "image_object.h"
#include "pixel_transfers.h"
#include "../context/call_frame.h"
#include "../egl/surface.h"

#include <new>

using namespace tamarind;

namespace {

// Runs a transfer, dropping an allocation failure without recording an error.
template <class Work>
void silently(Work &&work)
{
    try {
        work();
    } catch (const std::bad_alloc &) {
    }
}

// The checks of calls that take one image: handle, then in use, then the size.
ImageObject *checkedImage(VgContext &context, VGImage image)
{
    ImageObject *record = isImage(context, image);
    if (record == nullptr) {
        recordError(context, VG_BAD_HANDLE_ERROR);
        return nullptr;
    }
    if (eglIsInUse(image)) {
        recordError(context, VG_IMAGE_IN_USE_ERROR);
        return nullptr;
    }
    return record;
}

bool checkSize(VgContext &context, VGint width, VGint height)
{
    if (width <= 0 || height <= 0) {
        recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        return false;
    }
    return true;
}

// The checks of caller memory: format, then pointer, alignment and size.
bool checkClientData(VgContext &context, const void *data, VGImageFormat format, VGint width, VGint height)
{
    if (!isValidImageFormat(format)) {
        recordError(context, VG_UNSUPPORTED_IMAGE_FORMAT_ERROR);
        return false;
    }
    if (data == nullptr || !isAlignedFor(data, format) || width <= 0 || height <= 0) {
        recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        return false;
    }
    return true;
}

void writeToSurface(VgContext &context, VGint dx, VGint dy, const ImageObject &src, VGint sx, VGint sy,
                    VGint width, VGint height)
{
    if (context.colorBuffer == nullptr)
        return;
    silently([&] {
        if (context.scissoring)
            writeSurfaceRegionScissored(*context.colorBuffer, dx, dy, src, sx, sy, width, height,
                                        context.scissorRects);
        else
            writeSurfaceRegion(*context.colorBuffer, dx, dy, src, sx, sy, width, height);
    });
}

} // namespace

void vgImageSubData(VGImage image, const void *data, VGint dataStride, VGImageFormat dataFormat, VGint x, VGint y,
                    VGint width, VGint height)
{
    vgCall([&](VgContext &context) {
        ImageObject *record = checkedImage(context, image);
        if (record == nullptr || !checkClientData(context, data, dataFormat, width, height))
            return;
        const ImageObject wrap = wrapClientMemory(dataFormat, const_cast<void *>(data), dataStride, width, height);
        silently([&] { copyImageRegion(*record, x, y, wrap, 0, 0, width, height, false); });
    });
}

void vgGetImageSubData(VGImage image, void *data, VGint dataStride, VGImageFormat dataFormat, VGint x, VGint y,
                       VGint width, VGint height)
{
    vgCall([&](VgContext &context) {
        ImageObject *record = checkedImage(context, image);
        if (record == nullptr || !checkClientData(context, data, dataFormat, width, height))
            return;
        ImageObject wrap = wrapClientMemory(dataFormat, data, dataStride, width, height);
        silently([&] { copyImageRegion(wrap, 0, 0, *record, x, y, width, height, false); });
    });
}

void vgCopyImage(VGImage dst, VGint dx, VGint dy, VGImage src, VGint sx, VGint sy, VGint width, VGint height,
                 VGboolean dither)
{
    vgCall([&](VgContext &context) {
        ImageObject *to = isImage(context, dst);
        ImageObject *from = isImage(context, src);
        if (to == nullptr || from == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return;
        }
        if (eglIsInUse(dst) || eglIsInUse(src)) {
            recordError(context, VG_IMAGE_IN_USE_ERROR);
            return;
        }
        if (!checkSize(context, width, height))
            return;
        silently([&] { copyImageRegion(*to, dx, dy, *from, sx, sy, width, height, dither != VG_FALSE); });
    });
}

void vgSetPixels(VGint dx, VGint dy, VGImage src, VGint sx, VGint sy, VGint width, VGint height)
{
    vgCall([&](VgContext &context) {
        ImageObject *record = checkedImage(context, src);
        if (record == nullptr || !checkSize(context, width, height))
            return;
        writeToSurface(context, dx, dy, *record, sx, sy, width, height);
    });
}

void vgWritePixels(const void *data, VGint dataStride, VGImageFormat dataFormat, VGint dx, VGint dy, VGint width,
                   VGint height)
{
    vgCall([&](VgContext &context) {
        if (!checkClientData(context, data, dataFormat, width, height))
            return;
        const ImageObject wrap = wrapClientMemory(dataFormat, const_cast<void *>(data), dataStride, width, height);
        writeToSurface(context, dx, dy, wrap, 0, 0, width, height);
    });
}

void vgGetPixels(VGImage dst, VGint dx, VGint dy, VGint sx, VGint sy, VGint width, VGint height)
{
    vgCall([&](VgContext &context) {
        ImageObject *record = checkedImage(context, dst);
        if (record == nullptr || !checkSize(context, width, height) || context.colorBuffer == nullptr)
            return;
        silently([&] { readSurfaceRegion(*record, dx, dy, *context.colorBuffer, sx, sy, width, height); });
    });
}

void vgReadPixels(void *data, VGint dataStride, VGImageFormat dataFormat, VGint sx, VGint sy, VGint width,
                  VGint height)
{
    vgCall([&](VgContext &context) {
        if (!checkClientData(context, data, dataFormat, width, height) || context.colorBuffer == nullptr)
            return;
        ImageObject wrap = wrapClientMemory(dataFormat, data, dataStride, width, height);
        silently([&] { readSurfaceRegion(wrap, 0, 0, *context.colorBuffer, sx, sy, width, height); });
    });
}

void vgCopyPixels(VGint dx, VGint dy, VGint sx, VGint sy, VGint width, VGint height)
{
    vgCall([&](VgContext &context) {
        if (!checkSize(context, width, height) || context.colorBuffer == nullptr)
            return;
        silently([&] {
            if (context.scissoring)
                copySurfaceRegionScissored(*context.colorBuffer, dx, dy, sx, sy, width, height,
                                           context.scissorRects);
            else
                copySurfaceRegion(*context.colorBuffer, dx, dy, sx, sy, width, height);
        });
    });
}
