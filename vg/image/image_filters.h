// The frame shared by the image filters: the common argument checks, the overlap test through the parent
// chains, the working colour format, the tile fill colour, tiled reads, the working-format copy of a
// source and the channel-masked output writer. The point filters live in image_filters.cpp, the
// convolutions in convolution.cpp.
#ifndef TAMARIND_VG_IMAGE_IMAGE_FILTERS_H
#define TAMARIND_VG_IMAGE_IMAGE_FILTERS_H

#include <VG/openvg.h>

#include "image_object.h"
#include "pixel_format.h"
#include "../context/storage.h"
#include "../context/vg_context.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>

namespace tamarind {

// The destination and source of a filter call that passed the common checks, and the output size.
struct FilterImages {
    ImageObject *dst;
    ImageObject *src;
    int32_t width;  // min of the two widths
    int32_t height; // min of the two heights
};

// Handles (dst, then src), then in use, then overlap; records the first failure and returns false.
bool checkFilterImages(VgContext &context, VGImage dst, VGImage src, FilterImages &images);

// True when the two images share a root and their rectangles in root coordinates intersect.
bool imagesOverlap(const ImageObject &a, const ImageObject &b);

// The working format W from the context's filter parameters.
inline int32_t workingFormatOf(const VgContext &context)
{
    return (context.filterFormatLinear ? 0 : COLOR_SRGB) | (context.filterFormatPremultiplied ? COLOR_PREMULTIPLIED : 0);
}

// The tile fill colour, components clamped to [0, 1], converted to the working format.
PixelColor tileFillColorOf(const VgContext &context, int32_t workingFormat);

inline bool isTilingMode(int32_t mode)
{
    return mode >= VG_TILE_FILL && mode <= VG_TILE_REFLECT;
}

// The index inside [0, size) that position `pos` reads under the tiling mode, or -1 for the fill colour.
inline int64_t tileIndex(int64_t pos, int64_t size, int32_t mode)
{
    if (pos >= 0 && pos < size)
        return pos;
    switch (mode) {
    case VG_TILE_PAD:
        return pos < 0 ? 0 : size - 1;
    case VG_TILE_REPEAT: {
        const int64_t r = pos % size;
        return r < 0 ? r + size : r;
    }
    case VG_TILE_REFLECT: {
        int64_t r = pos % (2 * size);
        if (r < 0)
            r += 2 * size;
        return r < size ? r : 2 * size - 1 - r;
    }
    default:
        return -1;
    }
}

// The colour at (x, y) of a width x height row-major buffer, positions outside through the tiling mode.
inline PixelColor tiledRead(const PixelColor *buffer, int32_t width, int32_t height, int64_t x, int64_t y,
                            int32_t mode, const PixelColor &fill)
{
    const int64_t tx = tileIndex(x, width, mode);
    const int64_t ty = tileIndex(y, height, mode);
    if (tx < 0 || ty < 0)
        return fill;
    return buffer[ty * width + tx];
}

// Writes a filter result through the channel mask (low four bits: VG_RED, VG_GREEN, VG_BLUE, VG_ALPHA).
void writeFilterPixel(PixelColor color, ImageObject &dst, int32_t x, int32_t y, int32_t channelMask);

// The source pixel at (x, y) in the working format.
PixelColor workingPixel(const ImageObject &src, int32_t x, int32_t y, int32_t workingFormat);

// The Gaussian exponent factor c = -1 / (2 s^2) as a float, and the kernel radius N (2N + 1 taps) for
// standard deviation s.
float gaussianExponentScale(float s);
int32_t gaussianRadius(float s);

// An uninitialised temporary array of a trivial type, taken from the plain operator new (the one every
// allocation of the library goes through); a byte size beyond 32 bits counts as an allocation failure.
struct OperatorDelete {
    void operator()(void *pointer) const { ::operator delete(pointer); }
};
template <class T>
using FilterBuffer = std::unique_ptr<T[], OperatorDelete>;

template <class T>
FilterBuffer<T> filterBuffer(uint64_t count)
{
    static_assert(std::is_trivial_v<T>);
    return FilterBuffer<T>(static_cast<T *>(::operator new(checkedByteSize(count, sizeof(T)))));
}

// The whole source in the working format as interleaved channels c0, c1, c2, alpha (width x height x 4).
template <class T>
FilterBuffer<T> workingChannels(const ImageObject &src, int32_t workingFormat)
{
    auto buffer = filterBuffer<T>(static_cast<uint64_t>(src.width) * static_cast<uint64_t>(src.height) * 4);
    T *out = buffer.get();
    for (int32_t y = 0; y < src.height; ++y) {
        for (int32_t x = 0; x < src.width; ++x, out += 4) {
            const PixelColor c = workingPixel(src, x, y, workingFormat);
            out[0] = static_cast<T>(c.c0);
            out[1] = static_cast<T>(c.c1);
            out[2] = static_cast<T>(c.c2);
            out[3] = static_cast<T>(c.alpha);
        }
    }
    return buffer;
}

// A floating-point result truncated toward zero and clamped to [0, 255] (never wrapped).
template <class F>
inline uint16_t truncateToChannel(F value)
{
    if (!(value >= F(1)))
        return 0;
    if (value >= F(255))
        return 255;
    return static_cast<uint16_t>(value);
}

// Runs filter work, dropping an allocation failure without recording an error: the filters take all their
// buffers before writing, so the destination is then untouched.
template <class Work>
void withoutOutOfMemoryError(Work &&work)
{
    try {
        work();
    } catch (const std::bad_alloc &) {
    }
}

} // namespace tamarind

#endif
