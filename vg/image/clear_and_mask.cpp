// vgClear, vgClearImage and vgMask: fill a rectangle of the colour buffer, of an image or of the mask
// buffer with one value. The colour is converted and packed once per call and then stored run by run;
// only vgClear honours scissoring, and none of them blends, masks or dithers.
#include <EGL/egl_kl.h>
#include <VG/openvg.h>

#include "clear_and_mask.h"
#include "color.h"
#include "image_object.h"
#include "scissor_spans.h"
#include "../context/call_frame.h"
#include "../context/saturating.h"
#include "../egl/surface.h"

#include <algorithm>
#include <cstring>

using namespace tamarind;

namespace {

// A clipped rectangle: columns [x0, x1), rows [y0, y1).
struct ClipRect {
    int32_t x0, y0, x1, y1;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

// (x, y, width, height) intersected with (0, 0, boundsWidth, boundsHeight); the far edges saturate.
ClipRect clipToBounds(int32_t x, int32_t y, int32_t width, int32_t height, int32_t boundsWidth, int32_t boundsHeight)
{
    return ClipRect{std::max(x, 0), std::max(y, 0), std::min(saturatingAdd(x, width), boundsWidth),
                    std::min(saturatingAdd(y, height), boundsHeight)};
}

// The colour buffer's rows run bottom up with no padding.
BufferPixel *bufferRow(ColorBuffer &buffer, int32_t y)
{
    return buffer.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(buffer.width);
}

uint8_t *imageRow(ImageObject &image, int32_t y)
{
    return image.pixels + static_cast<intptr_t>(y) * image.stride;
}

// 16-bit pixels x0 .. x0 + count - 1: one word to reach a 4-byte boundary, then pairs as 32-bit stores,
// then a last odd word. Both halves of a pair hold the same value, so byte order does not matter.
void fillWords16(uint8_t *row, int32_t x0, int32_t count, uint16_t value)
{
    uint8_t *p = row + static_cast<intptr_t>(x0) * 2;
    if (count > 0 && reinterpret_cast<uintptr_t>(p) % 4 != 0) {
        std::memcpy(p, &value, 2);
        p += 2;
        --count;
    }
    const uint32_t pair = static_cast<uint32_t>(value) * 0x10001u;
    for (; count >= 2; count -= 2, p += 4)
        std::memcpy(p, &pair, 4);
    if (count > 0)
        std::memcpy(p, &value, 2);
}

// Sets or clears bits [firstBit, endBit) of a row of 1-bit pixels, leaving the other bits of the end
// bytes as they were; whole bytes in between are written at once.
void fillBits(uint8_t *row, int32_t firstBit, int32_t endBit, bool set)
{
    const int32_t firstByte = firstBit / 8;
    const int32_t lastByte = (endBit - 1) / 8;
    auto apply = [set](uint8_t &byte, unsigned mask) {
        byte = static_cast<uint8_t>(set ? (byte | mask) : (byte & ~mask));
    };
    const unsigned headMask = (0xFFu << (firstBit % 8)) & 0xFFu; // bits firstBit % 8 and up
    const unsigned tailMask = 0xFFu >> (7 - (endBit - 1) % 8);   // bits up to (endBit - 1) % 8
    if (firstByte == lastByte) {
        apply(row[firstByte], headMask & tailMask);
        return;
    }
    apply(row[firstByte], headMask);
    if (lastByte - firstByte > 1)
        std::memset(row + firstByte + 1, set ? 0xFF : 0x00, static_cast<size_t>(lastByte - firstByte - 1));
    apply(row[lastByte], tailMask);
}

// Stores one packed value into every pixel of the clipped rectangle of an image.
void fillImage(ImageObject &image, const ClipRect &r, uint32_t packed)
{
    const int32_t count = r.x1 - r.x0;
    for (int32_t y = r.y0; y < r.y1; ++y) {
        uint8_t *row = imageRow(image, y);
        switch (image.descriptor.bitsPerPixel) {
        case 32:
            std::fill_n(reinterpret_cast<uint32_t *>(row) + r.x0, count, packed);
            break;
        case 16:
            fillWords16(row, r.x0, count, static_cast<uint16_t>(packed));
            break;
        case 8:
            std::memset(row + r.x0, static_cast<int>(packed & 0xFFu), static_cast<size_t>(count));
            break;
        default:
            fillBits(row, r.x0 + image.bitOffset, r.x1 + image.bitOffset, (packed & 1u) != 0);
            break;
        }
    }
}

// The value an image pixel contributes to the mask: its luminance, else its alpha, else its red channel,
// taken straight from the unpacked channels without any conversion.
uint32_t maskValueOf(const ImageObject &image, int32_t x, int32_t y)
{
    const PixelColor color = readImagePixel(image, x, y);
    if (image.descriptor.luminanceBits > 0)
        return color.c0;
    if (image.descriptor.alphaBits > 0)
        return color.alpha;
    return color.c0;
}

// New mask byte from the current byte m and the image value v (both 0..255), divisions truncating.
uint8_t combineMask(int32_t operation, uint32_t m, uint32_t v)
{
    switch (operation) {
    case VG_SET_MASK:
        return static_cast<uint8_t>(v);
    case VG_UNION_MASK:
        return static_cast<uint8_t>(255 - (255 - v) * (255 - m) / 255);
    case VG_INTERSECT_MASK:
        return static_cast<uint8_t>(v * m / 255);
    default: // VG_SUBTRACT_MASK
        return static_cast<uint8_t>((255 - v) * m / 255);
    }
}

} // namespace

void vgClear(VGint x, VGint y, VGint width, VGint height)
{
    vgCall([&](VgContext &context) {
        if (width <= 0 || height <= 0) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        ColorBuffer *buffer = context.colorBuffer;
        if (buffer == nullptr || buffer->pixels.data() == nullptr)
            return;
        PixelColor color = clearColorOf(context.clearColor);
        clampPremultiplied(color);
        convertColor(color, buffer->formatFlags);
        const BufferPixel pixel{color.c0, color.c1, color.c2, color.alpha};

        const ClipRect r = clipToBounds(x, y, width, height, buffer->width, buffer->height);
        if (r.empty())
            return;
        if (context.scissoring == 0) {
            for (int32_t row = r.y0; row < r.y1; ++row) {
                BufferPixel *line = bufferRow(*buffer, row);
                std::fill(line + r.x0, line + r.x1, pixel);
            }
            return;
        }
        // May throw std::bad_alloc; the frame records VG_OUT_OF_MEMORY_ERROR before anything is written.
        const std::vector<ScissorEdge> edges = scissorEdges(context.scissorRects);
        if (edges.empty())
            return;
        for (int32_t row = r.y0; row < r.y1; ++row) {
            BufferPixel *line = bufferRow(*buffer, row);
            forEachScissorSpan(edges, row, r.x0, r.x1,
                               [&](int32_t start, int32_t end) { std::fill(line + start, line + end, pixel); });
        }
    });
}

void vgClearImage(VGImage image, VGint x, VGint y, VGint width, VGint height)
{
    vgCall([&](VgContext &context) {
        ImageObject *record = isImage(context, image);
        if (record == nullptr) {
            recordError(context, VG_BAD_HANDLE_ERROR);
            return;
        }
        if (eglIsInUse(image)) {
            recordError(context, VG_IMAGE_IN_USE_ERROR);
            return;
        }
        if (width <= 0 || height <= 0) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        PixelColor color = clearColorOf(context.clearColor);
        clampPremultiplied(color);
        convertColor(color, record->descriptor.internalFormat);
        const uint32_t packed = record->descriptor.packPixel(color);

        const ClipRect r = clipToBounds(x, y, width, height, record->width, record->height);
        if (r.empty())
            return;
        fillImage(*record, r, packed);
        record->mipmapsValid = 0;
    });
}

void vgMask(VGImage mask, VGMaskOperation operation, VGint x, VGint y, VGint width, VGint height)
{
    const int32_t op = operation;
    vgCall([&](VgContext &context) {
        ImageObject *image = nullptr;
        // The two fill operations never look at the handle.
        if (op != VG_CLEAR_MASK && op != VG_FILL_MASK) {
            image = isImage(context, mask);
            if (image == nullptr) {
                recordError(context, VG_BAD_HANDLE_ERROR);
                return;
            }
            if (eglIsInUse(mask)) {
                recordError(context, VG_IMAGE_IN_USE_ERROR);
                return;
            }
        }
        if (op < VG_CLEAR_MASK || op > VG_SUBTRACT_MASK || width <= 0 || height <= 0) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        MaskBuffer *buffer = context.maskBuffer;
        if (buffer == nullptr || buffer->pixels.data() == nullptr)
            return;
        // NOTE: positions and sizes are not clamped to +-2^29 before clipping: that would shrink a huge
        // rectangle starting far left or below (x = -6e8, width = INT32_MAX) to nothing although it covers
        // the whole buffer. The saturating clip alone cannot overflow.
        const size_t maskStride = static_cast<size_t>(buffer->width);

        if (image == nullptr) {
            const ClipRect r = clipToBounds(x, y, width, height, buffer->width, buffer->height);
            if (r.empty())
                return;
            const int fill = op == VG_FILL_MASK ? 255 : 0;
            for (int32_t row = r.y0; row < r.y1; ++row) {
                uint8_t *line = buffer->pixels.data() + static_cast<size_t>(row) * maskStride;
                std::memset(line + r.x0, fill, static_cast<size_t>(r.x1 - r.x0));
            }
            return;
        }

        // The image's pixel (0, 0) lies on mask pixel (x, y); only the part it covers changes.
        const ClipRect r = clipToBounds(x, y, std::min(width, image->width), std::min(height, image->height),
                                        buffer->width, buffer->height);
        for (int32_t row = r.y0; row < r.y1; ++row) {
            uint8_t *line = buffer->pixels.data() + static_cast<size_t>(row) * maskStride;
            for (int32_t column = r.x0; column < r.x1; ++column)
                line[column] = combineMask(op, line[column], maskValueOf(*image, column - x, row - y));
        }
    });
}
