// Creating, nesting and destroying images, and the two implementation queries.
#include <EGL/egl_kl.h>
#include <VG/openvg.h>

#include "image_object.h"
#include "../context/call_frame.h"
#include "../context/saturating.h"

using namespace tamarind;

namespace {

constexpr int32_t kMaxImageSide = 16384;
constexpr int64_t kMaxImagePixels = 268435456;
constexpr int64_t kMaxImageBytes = 1073741824;

// Adds a new image to the context's list; the image is released if the list cannot grow.
VGImage registerImage(VgContext &context, ImageObject *image)
{
    try {
        registerObject(*context.images, image, &context);
    } catch (...) {
        image->refCount += 1; // the reference the list would have held
        releaseImage(image);
        throw;
    }
    return image->handle;
}

} // namespace

VGImage vgCreateImage(VGImageFormat format, VGint width, VGint height, VGbitfield allowedQuality)
{
    return vgCall<VGImage>(VG_INVALID_HANDLE, [&](VgContext &context) -> VGImage {
        if (!isValidImageFormat(format)) {
            recordError(context, VG_UNSUPPORTED_IMAGE_FORMAT_ERROR);
            return VG_INVALID_HANDLE;
        }
        if (width <= 0 || height <= 0 || (allowedQuality & ~0x7u) != 0 || width > kMaxImageSide ||
            height > kMaxImageSide || static_cast<int64_t>(width) * height > kMaxImagePixels) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return VG_INVALID_HANDLE;
        }
        const int64_t bits = describeFormat(format).bitsPerPixel;
        if ((bits * width + 7) / 8 * height > kMaxImageBytes) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return VG_INVALID_HANDLE;
        }
        return registerImage(context, createRootImage(format, width, height, allowedQuality));
    });
}

void vgDestroyImage(VGImage image)
{
    vgCall([&](VgContext &context) {
        ImageObject *record = isImage(context, image);
        if (record == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return;
        }
        unregisterObject(*context.images, record);
    });
}

VGImage vgChildImage(VGImage parent, VGint x, VGint y, VGint width, VGint height)
{
    return vgCall<VGImage>(VG_INVALID_HANDLE, [&](VgContext &context) -> VGImage {
        ImageObject *record = isImage(context, parent);
        if (record == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return VG_INVALID_HANDLE;
        }
        if (eglIsInUse(parent)) {
            recordError(context, VG_IMAGE_IN_USE_ERROR);
            return VG_INVALID_HANDLE;
        }
        if (x < 0 || x >= record->width || y < 0 || y >= record->height || width <= 0 || height <= 0 ||
            saturatingAdd(x, width) > record->width || saturatingAdd(y, height) > record->height) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return VG_INVALID_HANDLE;
        }
        return registerImage(context, createChildImage(*record, x, y, width, height));
    });
}

VGImage vgGetParent(VGImage image)
{
    return vgCall<VGImage>(VG_INVALID_HANDLE, [&](VgContext &context) -> VGImage {
        ImageObject *record = isImage(context, image);
        if (record == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return VG_INVALID_HANDLE;
        }
        if (record->parent != nullptr && isImage(context, record->parent->handle) == record->parent)
            return record->parent->handle;
        return image;
    });
}

VGHardwareQueryResult vgHardwareQuery(VGHardwareQueryType key, VGint setting)
{
    vgCall([&](VgContext &context) {
        const bool valid = (key == VG_IMAGE_FORMAT_QUERY && isValidImageFormat(setting)) ||
                           (key == VG_PATH_DATATYPE_QUERY && setting >= 0 && setting <= 3);
        if (!valid)
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
    });
    return VG_HARDWARE_UNACCELERATED;
}

const VGubyte *vgGetString(VGStringID name)
{
    return vgCall<const VGubyte *>(nullptr, [&](VgContext &) -> const VGubyte * {
        const char *text = nullptr;
        switch (name) {
        case VG_VENDOR:
            text = "Korvel Labs";
            break;
        case VG_RENDERER:
            text = "Tamarind 0.1.0";
            break;
        case VG_VERSION:
            text = "0.1";
            break;
        case VG_EXTENSIONS:
            text = "";
            break;
        default:
            break;
        }
        return reinterpret_cast<const VGubyte *>(text);
    });
}
