// The neighbourhood filters vgConvolve, vgSeparableConvolve and vgGaussianBlur.
//
// Each call converts the source once into interleaved working-format channels and then, per source row,
// builds a horizontally padded copy in which padded column q holds the colour that position q + offset
// reads under the tiling mode (the fill colour included). Rows outside the source are looked up once per
// kernel row through the same tiling rule (or a row of fill colour). The tap loops are then plain runs
// over contiguous channels with no tiling test, which the compiler vectorises; every sum, truncation and
// clamp is the per-pixel rule, so results are bit-identical to reading each tap through tiledRead.
// All buffers are taken before the first output pixel is written.
#include <VG/openvg.h>

#include "image_filters.h"
#include "../context/call_frame.h"
#include "../context/float_rules.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace tamarind {

float gaussianExponentScale(float s)
{
    // For a tiny deviation 2 s^2 underflows and c becomes -infinity; the centre weight would then be
    // exp(0 x -inf) = NaN. Holding c at -FLT_MAX keeps the limit: centre weight 1, all others 0.
    return std::max(-1.0f / (2.0f * (s * s)), -FLT_MAX);
}

// The radius grows until the tail mass left out is small: the running float total of the weights must
// reach 0.99 x sqrt(2 pi) x s, the integral of exp(-t^2 / (2 s^2)). Every step is rounded to float.
int32_t gaussianRadius(float s)
{
    const float c = gaussianExponentScale(s);
    const float root2Pi = std::sqrt(6.2831855f);
    const float target = root2Pi * s * 0.99f;
    float total = 1.0f;
    int32_t n = 0;
    do {
        ++n;
        total = total + 2.0f * std::exp(static_cast<float>(n * n) * c);
    } while (total < target);
    return n;
}

} // namespace tamarind

using namespace tamarind;

namespace {

constexpr int32_t kMaxKernelSize = 256;
constexpr float kMaxStdDeviation = 128.0f;

bool isAligned2(const void *pointer)
{
    return reinterpret_cast<uintptr_t>(pointer) % 2 == 0;
}

// For each padded column q in [0, count), the source column that position q + offset reads, or -1 for
// the fill colour.
FilterBuffer<int32_t> columnMap(int64_t offset, int32_t count, int32_t srcWidth, int32_t mode)
{
    auto map = filterBuffer<int32_t>(static_cast<uint64_t>(count));
    for (int32_t q = 0; q < count; ++q)
        map[q] = static_cast<int32_t>(tileIndex(q + offset, srcWidth, mode));
    return map;
}

// One padded row of 4-channel pixels from a source row and the column map.
template <class T>
void buildPaddedRow(T *out, const T *srcRow, const int32_t *map, int32_t count, const T fill[4])
{
    for (int32_t q = 0; q < count; ++q, out += 4) {
        const T *from = map[q] < 0 ? fill : srcRow + static_cast<size_t>(map[q]) * 4;
        out[0] = from[0];
        out[1] = from[1];
        out[2] = from[2];
        out[3] = from[3];
    }
}

template <class T>
void fillRow(T *out, int32_t count, const T fill[4])
{
    for (int32_t q = 0; q < count; ++q, out += 4)
        std::memcpy(out, fill, sizeof(T) * 4);
}

template <class T>
void channelsOf(const PixelColor &color, T out[4])
{
    out[0] = static_cast<T>(color.c0);
    out[1] = static_cast<T>(color.c1);
    out[2] = static_cast<T>(color.c2);
    out[3] = static_cast<T>(color.alpha);
}

// Writes one output row from 64-bit channel sums: sum x scale + bias x 255 in extended precision,
// truncated and clamped.
void writeScaledRow(const int64_t *sums, int32_t width, long double scale, long double bias255, int32_t working,
                    ImageObject &dst, int32_t y, int32_t mask)
{
    for (int32_t x = 0; x < width; ++x, sums += 4) {
        const PixelColor color{working, truncateToChannel(sums[0] * scale + bias255),
                               truncateToChannel(sums[1] * scale + bias255),
                               truncateToChannel(sums[2] * scale + bias255),
                               truncateToChannel(sums[3] * scale + bias255)};
        writeFilterPixel(color, dst, x, y, mask);
    }
}

// Adds k x row[q] over n channel values into 32-bit sums. |k| <= 32768 and channels <= 255, so one
// product is below 2^23 and up to 256 of them (one kernel row) stay inside the int32 range.
inline void addTapsInt(int32_t *sums, const int32_t *row, int32_t k, size_t n)
{
    for (size_t q = 0; q < n; ++q)
        sums[q] += k * row[q];
}

struct ConvolveArgs {
    int32_t kernelWidth, kernelHeight;
    int32_t shiftX, shiftY;
    float scale, bias;
    int32_t tilingMode;
};

void convolveImage(const VgContext &context, const FilterImages &images, const ConvolveArgs &a, const VGshort *kernel)
{
    const int32_t working = workingFormatOf(context);
    const ImageObject &src = *images.src;
    const int32_t outW = images.width;
    const int32_t padW = outW + a.kernelWidth - 1;
    const size_t n = static_cast<size_t>(outW) * 4;
    const size_t padN = static_cast<size_t>(padW) * 4;

    int32_t fill[4];
    channelsOf(tileFillColorOf(context, working), fill);
    auto source = workingChannels<int32_t>(src, working);
    auto map = columnMap(-static_cast<int64_t>(a.shiftX), padW, src.width, a.tilingMode);
    auto padded = filterBuffer<int32_t>(static_cast<uint64_t>(src.height) * padN);
    auto fillPadded = filterBuffer<int32_t>(padN);
    auto rowSums = filterBuffer<int32_t>(n);
    auto sums = filterBuffer<int64_t>(n);

    for (int32_t r = 0; r < src.height; ++r)
        buildPaddedRow(padded.get() + r * padN, source.get() + static_cast<size_t>(r) * src.width * 4, map.get(),
                       padW, fill);
    fillRow(fillPadded.get(), padW, fill);
    source.reset();

    const long double scale = a.scale;
    const long double bias255 = static_cast<long double>(a.bias) * 255.0L;
    for (int32_t y = 0; y < images.height; ++y) {
        std::fill_n(sums.get(), n, int64_t{0});
        for (int32_t j = 0; j < a.kernelHeight; ++j) {
            const int64_t r = tileIndex(static_cast<int64_t>(y) + j - a.shiftY, src.height, a.tilingMode);
            const int32_t *row = r < 0 ? fillPadded.get() : padded.get() + r * padN;
            std::fill_n(rowSums.get(), n, 0);
            bool any = false;
            for (int32_t i = 0; i < a.kernelWidth; ++i) {
                // The kernel is applied flipped in both directions; columns are stored one after another.
                const int32_t k = kernel[(a.kernelWidth - 1 - i) * a.kernelHeight + (a.kernelHeight - 1 - j)];
                if (k == 0)
                    continue;
                any = true;
                addTapsInt(rowSums.get(), row + static_cast<size_t>(i) * 4, k, n);
            }
            if (any)
                for (size_t q = 0; q < n; ++q)
                    sums[q] += rowSums[q];
        }
        writeScaledRow(sums.get(), outW, scale, bias255, working, *images.dst, y, context.filterChannelMask);
    }
}

void separableConvolveImage(const VgContext &context, const FilterImages &images, const ConvolveArgs &a,
                            const VGshort *kernelX, const VGshort *kernelY)
{
    const int32_t working = workingFormatOf(context);
    const ImageObject &src = *images.src;
    const int32_t outW = images.width;
    const int32_t padW = outW + a.kernelWidth - 1;
    const size_t n = static_cast<size_t>(outW) * 4;
    const size_t padN = static_cast<size_t>(padW) * 4;

    int32_t fill[4];
    channelsOf(tileFillColorOf(context, working), fill);
    auto source = workingChannels<int32_t>(src, working);
    auto map = columnMap(-static_cast<int64_t>(a.shiftX), padW, src.width, a.tilingMode);
    auto padded = filterBuffer<int32_t>(padN);
    auto intermediate = filterBuffer<int32_t>(static_cast<uint64_t>(src.height) * n);
    auto fillIntermediate = filterBuffer<int32_t>(n);
    auto rowSums = filterBuffer<int32_t>(n);
    auto sums = filterBuffer<int64_t>(n);

    // Horizontal pass over every source row; one kernel row of at most 256 taps fits in int32 sums.
    // Results are clamped to [0, 32767] without scale or bias.
    for (int32_t r = 0; r < src.height; ++r) {
        buildPaddedRow(padded.get(), source.get() + static_cast<size_t>(r) * src.width * 4, map.get(), padW, fill);
        std::fill_n(rowSums.get(), n, 0);
        for (int32_t i = 0; i < a.kernelWidth; ++i) {
            const int32_t k = kernelX[a.kernelWidth - 1 - i];
            if (k != 0)
                addTapsInt(rowSums.get(), padded.get() + static_cast<size_t>(i) * 4, k, n);
        }
        int32_t *out = intermediate.get() + r * n;
        for (size_t q = 0; q < n; ++q)
            out[q] = std::clamp(rowSums[q], 0, 32767);
    }
    // Rows outside the source hold the fill colour run through the horizontal kernel.
    int32_t fillH[4];
    for (int c = 0; c < 4; ++c) {
        int64_t total = 0;
        for (int32_t i = 0; i < a.kernelWidth; ++i)
            total += int64_t{kernelX[i]} * fill[c];
        fillH[c] = static_cast<int32_t>(std::clamp<int64_t>(total, 0, 32767));
    }
    fillRow(fillIntermediate.get(), outW, fillH);
    source.reset();

    // Vertical pass: a product k x s is at most 32768 x 32767 < 2^31, its sum over up to 256 rows is
    // kept in 64 bits.
    const long double scale = a.scale;
    const long double bias255 = static_cast<long double>(a.bias) * 255.0L;
    for (int32_t y = 0; y < images.height; ++y) {
        std::fill_n(sums.get(), n, int64_t{0});
        for (int32_t j = 0; j < a.kernelHeight; ++j) {
            const int32_t k = kernelY[a.kernelHeight - 1 - j];
            if (k == 0)
                continue;
            const int64_t r = tileIndex(static_cast<int64_t>(y) + j - a.shiftY, src.height, a.tilingMode);
            const int32_t *row = r < 0 ? fillIntermediate.get() : intermediate.get() + r * n;
            for (size_t q = 0; q < n; ++q)
                sums[q] += int64_t{k * row[q]};
        }
        writeScaledRow(sums.get(), outW, scale, bias255, working, *images.dst, y, context.filterChannelMask);
    }
}

// A Gaussian kernel of 2N + 1 float weights and the float reciprocal of their sum.
struct GaussianKernel {
    int32_t radius = 0; // N
    FilterBuffer<float> weights;
    float norm = 0.0f;
};

GaussianKernel gaussianKernel(float s)
{
    GaussianKernel kernel;
    const float c = gaussianExponentScale(s);
    kernel.radius = gaussianRadius(s);
    const int32_t taps = 2 * kernel.radius + 1;
    kernel.weights = filterBuffer<float>(static_cast<uint64_t>(taps));
    float sum = 0.0f;
    for (int32_t t = 0; t < taps; ++t) {
        const int32_t d = t - kernel.radius;
        kernel.weights[t] = std::exp(static_cast<float>(d * d) * c);
        sum += kernel.weights[t];
    }
    kernel.norm = 1.0f / sum;
    return kernel;
}

// Adds the truncated float products k x row[q] into integer sums.
inline void addTapsTruncated(int32_t *sums, const float *row, float k, size_t n)
{
    for (size_t q = 0; q < n; ++q)
        sums[q] += static_cast<int32_t>(k * row[q]);
}

void gaussianBlurImage(const VgContext &context, const FilterImages &images, float sx, float sy, int32_t mode)
{
    const int32_t working = workingFormatOf(context);
    const ImageObject &src = *images.src;
    const int32_t outW = images.width;
    const GaussianKernel kx = gaussianKernel(sx);
    const GaussianKernel ky = gaussianKernel(sy);
    const int32_t padW = outW + 2 * kx.radius;
    const size_t n = static_cast<size_t>(outW) * 4;
    const size_t padN = static_cast<size_t>(padW) * 4;

    float fill[4];
    channelsOf(tileFillColorOf(context, working), fill);
    auto source = workingChannels<float>(src, working);
    auto map = columnMap(-static_cast<int64_t>(kx.radius), padW, src.width, mode);
    auto padded = filterBuffer<float>(padN);
    auto intermediate = filterBuffer<float>(static_cast<uint64_t>(src.height) * n);
    auto fillIntermediate = filterBuffer<float>(n);
    auto sums = filterBuffer<int32_t>(n);

    // Horizontal pass over every source row. Channel values are whole numbers held as floats, so each
    // product is the float product of the weight and the integer channel; sums stay below 661 x 255.
    const int32_t xTaps = 2 * kx.radius + 1;
    for (int32_t r = 0; r < src.height; ++r) {
        buildPaddedRow(padded.get(), source.get() + static_cast<size_t>(r) * src.width * 4, map.get(), padW, fill);
        std::fill_n(sums.get(), n, 0);
        for (int32_t t = 0; t < xTaps; ++t)
            addTapsTruncated(sums.get(), padded.get() + static_cast<size_t>(t) * 4, kx.weights[t], n);
        float *out = intermediate.get() + r * n;
        for (size_t q = 0; q < n; ++q)
            out[q] = static_cast<float>(static_cast<int32_t>(static_cast<float>(sums[q]) * kx.norm));
    }
    // The vertical pass reads the tile fill colour itself outside the source rows.
    fillRow(fillIntermediate.get(), outW, fill);
    source.reset();

    const int32_t yTaps = 2 * ky.radius + 1;
    const int32_t mask = context.filterChannelMask;
    for (int32_t y = 0; y < images.height; ++y) {
        std::fill_n(sums.get(), n, 0);
        for (int32_t t = 0; t < yTaps; ++t) {
            const int64_t r = tileIndex(static_cast<int64_t>(y) + t - ky.radius, src.height, mode);
            const float *row = r < 0 ? fillIntermediate.get() : intermediate.get() + r * n;
            addTapsTruncated(sums.get(), row, ky.weights[t], n);
        }
        const int32_t *s = sums.get();
        for (int32_t x = 0; x < outW; ++x, s += 4) {
            const PixelColor color{working, truncateToChannel(static_cast<float>(s[0]) * ky.norm),
                                   truncateToChannel(static_cast<float>(s[1]) * ky.norm),
                                   truncateToChannel(static_cast<float>(s[2]) * ky.norm),
                                   truncateToChannel(static_cast<float>(s[3]) * ky.norm)};
            writeFilterPixel(color, *images.dst, x, y, mask);
        }
    }
}

} // namespace

void vgConvolve(VGImage dst, VGImage src, VGint kernelWidth, VGint kernelHeight, VGint shiftX, VGint shiftY,
                const VGshort *kernel, VGfloat scale, VGfloat bias, VGTilingMode tilingMode)
{
    vgCall([&](VgContext &context) {
        FilterImages images{};
        if (!checkFilterImages(context, dst, src, images))
            return;
        const int32_t mode = static_cast<int32_t>(tilingMode);
        if (kernel == nullptr || !isAligned2(kernel) || kernelWidth <= 0 || kernelHeight <= 0 ||
            kernelWidth > kMaxKernelSize || kernelHeight > kMaxKernelSize || !isTilingMode(mode)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        const ConvolveArgs args{kernelWidth, kernelHeight, shiftX, shiftY, sanitizeFloat(scale), sanitizeFloat(bias),
                                mode};
        withoutOutOfMemoryError([&] { convolveImage(context, images, args, kernel); });
    });
}

void vgSeparableConvolve(VGImage dst, VGImage src, VGint kernelWidth, VGint kernelHeight, VGint shiftX, VGint shiftY,
                         const VGshort *kernelX, const VGshort *kernelY, VGfloat scale, VGfloat bias,
                         VGTilingMode tilingMode)
{
    vgCall([&](VgContext &context) {
        FilterImages images{};
        if (!checkFilterImages(context, dst, src, images))
            return;
        const int32_t mode = static_cast<int32_t>(tilingMode);
        if (kernelX == nullptr || kernelY == nullptr || !isAligned2(kernelX) || !isAligned2(kernelY) ||
            kernelWidth <= 0 || kernelHeight <= 0 || kernelWidth > kMaxKernelSize || kernelHeight > kMaxKernelSize ||
            !isTilingMode(mode)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        const ConvolveArgs args{kernelWidth, kernelHeight, shiftX, shiftY, sanitizeFloat(scale), sanitizeFloat(bias),
                                mode};
        withoutOutOfMemoryError([&] { separableConvolveImage(context, images, args, kernelX, kernelY); });
    });
}

void vgGaussianBlur(VGImage dst, VGImage src, VGfloat stdDeviationX, VGfloat stdDeviationY, VGTilingMode tilingMode)
{
    vgCall([&](VgContext &context) {
        FilterImages images{};
        if (!checkFilterImages(context, dst, src, images))
            return;
        const float sx = sanitizeFloat(stdDeviationX);
        const float sy = sanitizeFloat(stdDeviationY);
        const int32_t mode = static_cast<int32_t>(tilingMode);
        if (!(sx > 0.0f) || !(sy > 0.0f) || sx > kMaxStdDeviation || sy > kMaxStdDeviation || !isTilingMode(mode)) {
            recordError(context, VG_ILLEGAL_ARGUMENT_ERROR);
            return;
        }
        withoutOutOfMemoryError([&] { gaussianBlurImage(context, images, sx, sy, mode); });
    });
}
