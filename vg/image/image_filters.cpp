// The filter frame (checks, overlap, tile fill colour, channel-masked writer) and the three point filters
// vgColorMatrix, vgLookup and vgLookupSingle. Each output pixel depends on the source pixel at the same
// position only, so the point filters read, compute and write pixel by pixel without temporary buffers.
#include <EGL/egl_kl.h>
#include <VG/openvg.h>

#include "clear_and_mask.h"
#include "color.h"
#include "image_filters.h"
#include "../context/call_frame.h"
#include "../context/float_rules.h"

#include <cstdint>

namespace tamarind {
namespace {

// An image's rectangle in the coordinates of its root, and that root.
struct RootRect {
    const ImageObject *root;
    int64_t x, y, width, height;
};

RootRect rootRectOf(const ImageObject &image)
{
    RootRect r{&image, 0, 0, image.width, image.height};
    while (r.root->parent != nullptr) {
        r.x += r.root->parentX;
        r.y += r.root->parentY;
        r.root = r.root->parent;
    }
    return r;
}

} // namespace

bool imagesOverlap(const ImageObject &a, const ImageObject &b)
{
    const RootRect ra = rootRectOf(a);
    const RootRect rb = rootRectOf(b);
    if (ra.root != rb.root)
        return false;
    return ra.x < rb.x + rb.width && rb.x < ra.x + ra.width && ra.y < rb.y + rb.height && rb.y < ra.y + ra.height;
}

bool checkFilterImages(VgContext &context, VGImage dst, VGImage src, FilterImages &images)
{
    ImageObject *to = isImage(context, dst);
    ImageObject *from = to != nullptr ? isImage(context, src) : nullptr;
    if (to == nullptr || from == nullptr) {
        recordError(context, VG_BAD_HANDLE_ERROR);
        return false;
    }
    if (eglIsInUse(dst) || eglIsInUse(src)) {
        recordError(context, VG_IMAGE_IN_USE_ERROR);
        return false;
    }
    if (imagesOverlap(*to, *from)) {
        recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
        return false;
    }
    images = FilterImages{to, from, std::min(to->width, from->width), std::min(to->height, from->height)};
    return true;
}

PixelColor tileFillColorOf(const VgContext &context, int32_t workingFormat)
{
    PixelColor fill = clearColorOf(context.tileFillColor);
    clampPremultiplied(fill);
    convertColor(fill, workingFormat);
    return fill;
}

PixelColor workingPixel(const ImageObject &src, int32_t x, int32_t y, int32_t workingFormat)
{
    PixelColor color = readImagePixel(src, x, y);
    convertColor(color, workingFormat);
    return color;
}

void writeFilterPixel(PixelColor color, ImageObject &dst, int32_t x, int32_t y, int32_t channelMask)
{
    clampPremultiplied(color);
    unpremultiplyColor(color);
    const int32_t dstFlags = dst.descriptor.internalFormat;
    // color is not premultiplied now, so convertColor performs only the colour-space step.
    convertColor(color, dstFlags & ~COLOR_PREMULTIPLIED);
    PixelColor out = color;
    if ((channelMask & 15) != 15) {
        // Some channels keep the destination's current value.
        out = readImagePixel(dst, x, y);
        unpremultiplyColor(out);
        if (channelMask & VG_RED)
            out.c0 = color.c0;
        if (channelMask & VG_GREEN)
            out.c1 = color.c1;
        if (channelMask & VG_BLUE)
            out.c2 = color.c2;
        if (channelMask & VG_ALPHA)
            out.alpha = color.alpha;
    }
    if ((dstFlags & COLOR_PREMULTIPLIED) && out.alpha != 255) {
        out.c0 = premultiply(out.c0, out.alpha);
        out.c1 = premultiply(out.c1, out.alpha);
        out.c2 = premultiply(out.c2, out.alpha);
    }
    out.flags = dstFlags;
    storePackedPixel(dst, x, y, dst.descriptor.packPixel(out));
}

} // namespace tamarind

using namespace tamarind;

namespace {

// Output format O of the lookup filters.
int32_t outputFormatOf(VGboolean outputLinear, VGboolean outputPremultiplied)
{
    return (outputLinear ? 0 : COLOR_SRGB) | (outputPremultiplied ? COLOR_PREMULTIPLIED : 0);
}

bool isAligned4(const void *pointer)
{
    return reinterpret_cast<uintptr_t>(pointer) % 4 == 0;
}

// Runs `compute(working colour) -> result colour` over the output rectangle and writes the results.
template <class Compute>
void mapPixels(const VgContext &context, const FilterImages &images, Compute &&compute)
{
    const int32_t working = workingFormatOf(context);
    const int32_t mask = context.filterChannelMask;
    for (int32_t y = 0; y < images.height; ++y)
        for (int32_t x = 0; x < images.width; ++x)
            writeFilterPixel(compute(workingPixel(*images.src, x, y, working)), *images.dst, x, y, mask);
}

// One colour-matrix output channel: extended precision, truncated toward zero, clamped to [0, 255].
uint16_t matrixChannel(const float *m, int i, const PixelColor &s)
{
    const long double v = static_cast<long double>(m[i]) * s.c0 + static_cast<long double>(m[4 + i]) * s.c1 +
                          static_cast<long double>(m[8 + i]) * s.c2 + static_cast<long double>(m[12 + i]) * s.alpha +
                          255.0L * static_cast<long double>(m[16 + i]);
    return truncateToChannel(v);
}

} // namespace

void vgColorMatrix(VGImage dst, VGImage src, const VGfloat *matrix)
{
    vgCall([&](VgContext &context) {
        FilterImages images{};
        if (!checkFilterImages(context, dst, src, images))
            return;
        if (matrix == nullptr || !isAligned4(matrix)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        float m[20];
        for (int i = 0; i < 20; ++i)
            m[i] = sanitizeFloat(matrix[i]);
        const int32_t working = workingFormatOf(context);
        mapPixels(context, images, [&](const PixelColor &s) {
            return PixelColor{working, matrixChannel(m, 0, s), matrixChannel(m, 1, s), matrixChannel(m, 2, s),
                              matrixChannel(m, 3, s)};
        });
    });
}

void vgLookup(VGImage dst, VGImage src, const VGubyte *redLUT, const VGubyte *greenLUT, const VGubyte *blueLUT,
              const VGubyte *alphaLUT, VGboolean outputLinear, VGboolean outputPremultiplied)
{
    vgCall([&](VgContext &context) {
        FilterImages images{};
        if (!checkFilterImages(context, dst, src, images))
            return;
        if (redLUT == nullptr || greenLUT == nullptr || blueLUT == nullptr || alphaLUT == nullptr) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        const int32_t output = outputFormatOf(outputLinear, outputPremultiplied);
        mapPixels(context, images, [&](const PixelColor &s) {
            return PixelColor{output, redLUT[s.c0], greenLUT[s.c1], blueLUT[s.c2], alphaLUT[s.alpha]};
        });
    });
}

void vgLookupSingle(VGImage dst, VGImage src, const VGuint *lookupTable, VGImageChannel sourceChannel,
                    VGboolean outputLinear, VGboolean outputPremultiplied)
{
    vgCall([&](VgContext &context) {
        FilterImages images{};
        if (!checkFilterImages(context, dst, src, images))
            return;
        if (lookupTable == nullptr || !isAligned4(lookupTable)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        const PixelFormatDescriptor &d = images.src->descriptor;
        const bool hasColor = d.redBits > 0 || d.greenBits > 0 || d.blueBits > 0;
        // The enum may hold any value coming from C; compare it as the integer it is.
        int32_t channel = static_cast<int32_t>(sourceChannel);
        if (d.luminanceBits > 0) {
            channel = VG_RED;
        } else if (!hasColor) {
            channel = VG_ALPHA;
        } else if (channel != VG_RED && channel != VG_GREEN && channel != VG_BLUE && channel != VG_ALPHA) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        const int32_t output = outputFormatOf(outputLinear, outputPremultiplied);
        mapPixels(context, images, [&](const PixelColor &s) {
            const uint16_t index = channel == VG_RED     ? s.c0
                                   : channel == VG_GREEN ? s.c1
                                   : channel == VG_BLUE  ? s.c2
                                                         : s.alpha;
            const uint32_t word = lookupTable[index];
            return PixelColor{output, static_cast<uint16_t>(word >> 24), static_cast<uint16_t>((word >> 16) & 0xFF),
                              static_cast<uint16_t>((word >> 8) & 0xFF), static_cast<uint16_t>(word & 0xFF)};
        });
    });
}
