// Pixel movement between images, caller memory and the surface colour buffer. Rows are walked bottom to
// top and pixels left to right; conversion is skipped when source and destination flags agree.
#include "pixel_transfers.h"

#include "color.h"
#include "scissor_spans.h"
#include "../context/saturating.h"
#include "../egl/surface.h"

#include <cstring>

namespace tamarind {
namespace {

constexpr int32_t kPositionLimit = 536870911; // positions and sizes are clamped so no sum overflows

// 4 x 4 ordered-dither thresholds, indexed by (row mod 4) x 4 + (column mod 4).
constexpr int32_t kDitherMatrix[16] = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};

void clipAxis(int64_t &d, int64_t &s, int64_t &size, int64_t srcSize, int64_t dstSize)
{
    if (s < 0) {
        d -= s;
        size += s;
        s = 0;
    }
    if (s + size > srcSize)
        size = srcSize - s;
    if (d < 0) {
        s -= d;
        size += d;
        d = 0;
    }
    if (d + size > dstSize)
        size = dstSize - d;
}

BufferPixel *bufferRow(const ColorBuffer &surface, int32_t y)
{
    return const_cast<BufferPixel *>(surface.pixels.data()) + static_cast<size_t>(y) * surface.width;
}

PixelColor fromBuffer(const BufferPixel &p, int32_t flags)
{
    return PixelColor{flags, p.red, p.green, p.blue, p.alpha};
}

BufferPixel toBuffer(const PixelColor &c)
{
    return BufferPixel{c.c0, c.c1, c.c2, c.alpha};
}

struct ChannelBits {
    int32_t red, green, blue, alpha;
};

// Bit counts compared for dithering: a luminance destination counts its luminance bits for the colour
// channels and none for alpha; a source's luminance bits are not compared.
ChannelBits destinationBits(const PixelFormatDescriptor &d)
{
    if (d.luminanceBits > 0)
        return {d.luminanceBits, d.luminanceBits, d.luminanceBits, 0};
    return {d.redBits, d.greenBits, d.blueBits, d.alphaBits};
}

bool needsDither(const PixelFormatDescriptor &src, const PixelFormatDescriptor &dst)
{
    const ChannelBits to = destinationBits(dst);
    return to.red < src.redBits || to.green < src.greenBits || to.blue < src.blueBits || to.alpha < src.alphaBits;
}

uint16_t ditherChannel(uint16_t channel, int32_t threshold)
{
    if (static_cast<int32_t>(channel % 16) > threshold && channel < 255)
        return static_cast<uint16_t>(channel + 1);
    return channel;
}

// Calls writeRow(row, col0, col1) for the runs of each rectangle row whose destination pixels lie inside
// the scissor union.
template <class WriteRow>
void forEachScissoredRow(const TransferRect &r, const std::vector<ScissorRect> &scissorRects, WriteRow &&writeRow)
{
    const std::vector<ScissorEdge> edges = scissorEdges(scissorRects);
    if (edges.empty())
        return;
    for (int32_t row = 0; row < r.height; ++row)
        forEachScissorSpan(edges, r.dy + row, r.dx, r.dx + r.width,
                           [&](int32_t x0, int32_t x1) { writeRow(row, x0 - r.dx, x1 - r.dx); });
}

} // namespace

bool clipTransfer(TransferRect &rect, int32_t srcWidth, int32_t srcHeight, int32_t dstWidth, int32_t dstHeight)
{
    int64_t dx = clampInt(rect.dx, -kPositionLimit - 1, kPositionLimit);
    int64_t dy = clampInt(rect.dy, -kPositionLimit - 1, kPositionLimit);
    int64_t sx = clampInt(rect.sx, -kPositionLimit - 1, kPositionLimit);
    int64_t sy = clampInt(rect.sy, -kPositionLimit - 1, kPositionLimit);
    int64_t width = rect.width < kPositionLimit ? rect.width : kPositionLimit;
    int64_t height = rect.height < kPositionLimit ? rect.height : kPositionLimit;
    clipAxis(dx, sx, width, srcWidth, dstWidth);
    clipAxis(dy, sy, height, srcHeight, dstHeight);
    if (width <= 0 || height <= 0)
        return false;
    rect = TransferRect{static_cast<int32_t>(dx), static_cast<int32_t>(dy), static_cast<int32_t>(sx),
                        static_cast<int32_t>(sy), static_cast<int32_t>(width), static_cast<int32_t>(height)};
    return true;
}

namespace {

const ImageObject &rootOf(const ImageObject &image)
{
    const ImageObject *root = &image;
    while (root->parent != nullptr)
        root = root->parent;
    return *root;
}

} // namespace

void copyImageRegion(ImageObject &dst, int32_t dx, int32_t dy, const ImageObject &src, int32_t sx, int32_t sy,
                     int32_t width, int32_t height, bool dither)
{
    TransferRect r{dx, dy, sx, sy, width, height};
    if (!clipTransfer(r, src.width, src.height, dst.width, dst.height))
        return;
    const int32_t target = dst.descriptor.internalFormat;
    auto sourcePixel = [&](int32_t col, int32_t row) {
        PixelColor color = readImagePixel(src, r.sx + col, r.sy + row);
        if (color.flags != target)
            convertColor(color, target);
        return color;
    };
    const bool dithering = dither && needsDither(src.descriptor, dst.descriptor);
    const ChannelBits bits = destinationBits(dst.descriptor);
    auto storePixel = [&](int32_t col, int32_t row, PixelColor color) {
        if (dithering) {
            const int32_t t = kDitherMatrix[(row % 4) * 4 + (col % 4)];
            if (bits.red != 0)
                color.c0 = ditherChannel(color.c0, t);
            if (bits.green != 0)
                color.c1 = ditherChannel(color.c1, t);
            if (bits.blue != 0)
                color.c2 = ditherChannel(color.c2, t);
            if (bits.alpha != 0)
                color.alpha = ditherChannel(color.alpha, t);
        }
        writeImagePixel(dst, r.dx + col, r.dy + row, color);
    };

    if (&rootOf(src) == &rootOf(dst)) {
        // Source and destination share storage: the whole source region is read before any pixel is
        // written, so overlapping copies behave as copies from a snapshot.
        ZeroedArray<PixelColor> snapshot(static_cast<uint64_t>(r.width) * static_cast<uint64_t>(r.height));
        PixelColor *out = snapshot.data();
        for (int32_t row = 0; row < r.height; ++row)
            for (int32_t col = 0; col < r.width; ++col)
                *out++ = sourcePixel(col, row);
        const PixelColor *in = snapshot.data();
        for (int32_t row = 0; row < r.height; ++row)
            for (int32_t col = 0; col < r.width; ++col)
                storePixel(col, row, *in++);
    } else {
        // Separate storage (distinct images, or caller memory): no overlap, so no snapshot to allocate.
        for (int32_t row = 0; row < r.height; ++row)
            for (int32_t col = 0; col < r.width; ++col)
                storePixel(col, row, sourcePixel(col, row));
    }
    dst.mipmapsValid = 0;
}

namespace {

// Converts image pixels [col0, col1) of the rectangle's row into the colour buffer. When the image's
// internal format is the buffer's, the channels are stored as they come: no conversion call, and the
// colour never has to live in memory.
void writeImageRowToBuffer(ColorBuffer &surface, const ImageObject &src, const TransferRect &r, int32_t row,
                           int32_t col0, int32_t col1)
{
    BufferPixel *out = bufferRow(surface, r.dy + row) + r.dx;
    if (src.descriptor.internalFormat == surface.formatFlags) {
        for (int32_t col = col0; col < col1; ++col)
            out[col] = toBuffer(readImagePixel(src, r.sx + col, r.sy + row));
        return;
    }
    for (int32_t col = col0; col < col1; ++col) {
        PixelColor color = readImagePixel(src, r.sx + col, r.sy + row);
        convertColor(color, surface.formatFlags);
        out[col] = toBuffer(color);
    }
}

} // namespace

void writeSurfaceRegion(ColorBuffer &surface, int32_t dx, int32_t dy, const ImageObject &src, int32_t sx,
                        int32_t sy, int32_t width, int32_t height)
{
    TransferRect r{dx, dy, sx, sy, width, height};
    if (!clipTransfer(r, src.width, src.height, surface.width, surface.height))
        return;
    for (int32_t row = 0; row < r.height; ++row)
        writeImageRowToBuffer(surface, src, r, row, 0, r.width);
}

void writeSurfaceRegionScissored(ColorBuffer &surface, int32_t dx, int32_t dy, const ImageObject &src, int32_t sx,
                                 int32_t sy, int32_t width, int32_t height,
                                 const std::vector<ScissorRect> &scissorRects)
{
    TransferRect r{dx, dy, sx, sy, width, height};
    if (!clipTransfer(r, src.width, src.height, surface.width, surface.height))
        return;
    forEachScissoredRow(r, scissorRects, [&](int32_t row, int32_t col0, int32_t col1) {
        writeImageRowToBuffer(surface, src, r, row, col0, col1);
    });
}

void readSurfaceRegion(ImageObject &dst, int32_t dx, int32_t dy, const ColorBuffer &surface, int32_t sx,
                       int32_t sy, int32_t width, int32_t height)
{
    TransferRect r{dx, dy, sx, sy, width, height};
    if (!clipTransfer(r, surface.width, surface.height, dst.width, dst.height))
        return;
    const int32_t target = dst.descriptor.internalFormat;
    for (int32_t row = 0; row < r.height; ++row) {
        const BufferPixel *in = bufferRow(surface, r.sy + row) + r.sx;
        for (int32_t col = 0; col < r.width; ++col) {
            PixelColor color = fromBuffer(in[col], surface.formatFlags);
            if (color.flags != target)
                convertColor(color, target);
            writeImagePixel(dst, r.dx + col, r.dy + row, color);
        }
    }
    dst.mipmapsValid = 0;
}

void copySurfaceRegion(ColorBuffer &surface, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t width,
                       int32_t height)
{
    TransferRect r{dx, dy, sx, sy, width, height};
    if (!clipTransfer(r, surface.width, surface.height, surface.width, surface.height))
        return;
    // Rows are taken in the order that never reads a row already written, and each row is one overlapping
    // block move, so the result is that of copying from a snapshot of the source.
    const bool downward = r.dy > r.sy;
    for (int32_t i = 0; i < r.height; ++i) {
        const int32_t row = downward ? r.height - 1 - i : i;
        std::memmove(bufferRow(surface, r.dy + row) + r.dx, bufferRow(surface, r.sy + row) + r.sx,
                     static_cast<size_t>(r.width) * sizeof(BufferPixel));
    }
}

void copySurfaceRegionScissored(ColorBuffer &surface, int32_t dx, int32_t dy, int32_t sx, int32_t sy,
                                int32_t width, int32_t height, const std::vector<ScissorRect> &scissorRects)
{
    TransferRect r{dx, dy, sx, sy, width, height};
    if (!clipTransfer(r, surface.width, surface.height, surface.width, surface.height))
        return;
    const std::vector<ScissorEdge> edges = scissorEdges(scissorRects);
    if (edges.empty())
        return;
    // One source row is copied aside before its spans are written, and rows go in the non-overlapping
    // order, so no pixel written by this call is read again.
    std::vector<BufferPixel> source(static_cast<size_t>(r.width));
    const bool downward = r.dy > r.sy;
    for (int32_t i = 0; i < r.height; ++i) {
        const int32_t row = downward ? r.height - 1 - i : i;
        std::memcpy(source.data(), bufferRow(surface, r.sy + row) + r.sx, source.size() * sizeof(BufferPixel));
        BufferPixel *out = bufferRow(surface, r.dy + row);
        forEachScissorSpan(edges, r.dy + row, r.dx, r.dx + r.width, [&](int32_t x0, int32_t x1) {
            std::memcpy(out + x0, source.data() + (x0 - r.dx), static_cast<size_t>(x1 - x0) * sizeof(BufferPixel));
        });
    }
}

} // namespace tamarind
