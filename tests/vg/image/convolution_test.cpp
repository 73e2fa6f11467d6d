// The convolution filters: argument checks and kernel limits, the flipped kernel and its column order,
// every tiling mode at both edges, bias and scale clamping, exact 64-bit sums, the separable intermediate
// clamp and its filtered fill colour, the Gaussian kernel radius, its truncation loss, fill against pad,
// illegal deviations, silent out-of-memory, and a comparison of all three filters with a direct
// per-pixel evaluation of the rules on random images.
#include "filter_test_support.h"

#include "allocation_failure.h"
#include "image/image_filters.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <random>

namespace tamarind::test {
namespace {

constexpr uint32_t kSentinel = 0xDEADBEEF;
constexpr std::array<VGTilingMode, 4> kModes = {VG_TILE_FILL, VG_TILE_PAD, VG_TILE_REPEAT, VG_TILE_REFLECT};

uint32_t redOf(uint32_t packed)
{
    return packed >> 24;
}

using ConvolveTest = FilterTest;

TEST_F(ConvolveTest, ArgumentChecksAndKernelLimits)
{
    const VGImage src = filledImage(VG_sRGBA_8888, 2, 2, rgba(9, 9, 9, 255));
    const VGImage dst = filledImage(VG_sRGBA_8888, 2, 2, kSentinel);
    static VGshort big[257 * 257];
    alignas(2) static VGshort one[2] = {1, 1};
    const VGshort *odd = reinterpret_cast<const VGshort *>(reinterpret_cast<const char *>(one) + 1);
    struct Bad {
        int w, h;
        const VGshort *kernel;
        VGTilingMode mode;
    };
    const Bad bad[] = {{1, 1, nullptr, VG_TILE_PAD},  {1, 1, odd, VG_TILE_PAD},
                       {0, 1, big, VG_TILE_PAD},      {1, 0, big, VG_TILE_PAD},
                       {-1, 1, big, VG_TILE_PAD},     {257, 1, big, VG_TILE_PAD},
                       {1, 257, big, VG_TILE_PAD},    {1, 1, big, static_cast<VGTilingMode>(0x1CFF)},
                       {1, 1, big, static_cast<VGTilingMode>(0x1D04)}};
    for (const Bad &b : bad) {
        vgConvolve(dst, src, b.w, b.h, 0, 0, b.kernel, 1, 0, b.mode);
        EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR) << b.w << "x" << b.h;
        vgSeparableConvolve(dst, src, b.w, b.h, 0, 0, b.kernel, b.kernel, 1, 0, b.mode);
        EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR) << b.w << "x" << b.h;
    }
    vgSeparableConvolve(dst, src, 1, 1, 0, 0, one, nullptr, 1, 0, VG_TILE_PAD);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgSeparableConvolve(dst, src, 1, 1, 0, 0, one, odd, 1, 0, VG_TILE_PAD);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(snapshot(dst), std::vector<uint32_t>(4, kSentinel));

    // 256 x 256 is the largest kernel; with a single 1 at the (flipped) centre tap it copies.
    std::fill(std::begin(big), std::end(big), VGshort{0});
    big[255 * 256 + 255] = 1; // column 255, row 255: flipped, tap (0, 0)
    vgConvolve(dst, src, 256, 256, 0, 0, big, 1, 0, VG_TILE_PAD);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(rawPixel(dst, 1, 1), rgba(9, 9, 9, 255));
    // shiftX and shiftY may take any value.
    vgConvolve(dst, src, 1, 1, INT32_MIN, INT32_MAX, one, 1, 0, VG_TILE_REFLECT);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(ConvolveTest, OneByOneKernelCopiesTheCommonRectangleThroughTheWorkingFormat)
{
    const VGImage src = paintedImage(5, 3, [](int x, int y) { return rgba(x + 1, y + 1, 128, 255); });
    const VGImage dst = filledImage(VG_sRGBA_8888, 4, 4, kSentinel);
    const VGshort one[1] = {1};
    vgConvolve(dst, src, 1, 1, 0, 0, one, 1, 0, VG_TILE_FILL);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(rawPixel(dst, x, y), y < 3 ? rgba(x + 1, y + 1, 128, 255) : kSentinel) << x << "," << y;
    // In the linear working format sRGB 128 comes back as 127 (linear 55; srgbToLinear[127] = 54).
    vgSeti(VG_FILTER_FORMAT_LINEAR, VG_TRUE);
    vgConvolve(dst, src, 1, 1, 0, 0, one, 1, 0, VG_TILE_FILL);
    EXPECT_EQ(rawPixel(dst, 0, 0) & 0xFF00u, 127u << 8);
}

TEST_F(ConvolveTest, KernelIsFlippedAndStoredColumnByColumn)
{
    // Red = x + 1, green = y + 1 tells where each output pixel was read.
    const VGImage src = paintedImage(4, 4, [](int x, int y) { return rgba(x + 1, y + 1, 0, 255); });
    const VGImage dst = makeImage(VG_sRGBA_8888, 4, 4);
    // Element (column i, row j) is kernel[i x 2 + j]; tap (i, j) applies element (1 - i, 1 - j) and
    // reads (x + i, y + j).
    const VGshort col1row1[4] = {0, 0, 0, 1}; // tap (0, 0): reads (x, y)
    const VGshort col0row0[4] = {1, 0, 0, 0}; // tap (1, 1): reads (x + 1, y + 1)
    const VGshort col0row1[4] = {0, 1, 0, 0}; // tap (1, 0): reads (x + 1, y)
    vgConvolve(dst, src, 2, 2, 0, 0, col1row1, 1, 0, VG_TILE_PAD);
    EXPECT_EQ(rawPixel(dst, 1, 1), rgba(2, 2, 0, 255));
    vgConvolve(dst, src, 2, 2, 0, 0, col0row0, 1, 0, VG_TILE_PAD);
    EXPECT_EQ(rawPixel(dst, 1, 1), rgba(3, 3, 0, 255));
    vgConvolve(dst, src, 2, 2, 0, 0, col0row1, 1, 0, VG_TILE_PAD);
    EXPECT_EQ(rawPixel(dst, 1, 1), rgba(3, 2, 0, 255));
    // The shift moves the kernel origin: tap (0, 0) with shift (1, 2) reads (x - 1, y - 2).
    vgConvolve(dst, src, 2, 2, 1, 2, col1row1, 1, 0, VG_TILE_PAD);
    EXPECT_EQ(rawPixel(dst, 2, 3), rgba(2, 2, 0, 255));
}

TEST_F(ConvolveTest, FlippedThreeTapKernelReadsPastBothEdgesThroughEachTilingMode)
{
    // One row with red 10, 20, 30, 40; the tile fill colour has red 1.0 -> 255.
    const VGImage src = paintedImage(4, 1, [](int x, int) { return rgba(10 * (x + 1), 0, 0, 255); });
    const VGImage dst = makeImage(VG_sRGBA_8888, 4, 1);
    setTileFill(1, 0, 0, 1);
    const VGshort kernel[3] = {1, 0, 0}; // flipped: only tap i = 2 is non-zero, it reads x + 2 - shiftX
    struct Expect {
        VGTilingMode mode;
        std::array<uint32_t, 4> shift0; // reads x + 2: positions 2, 3, 4, 5
        std::array<uint32_t, 4> shift3; // reads x - 1: positions -1, 0, 1, 2
    };
    const Expect expects[] = {
        {VG_TILE_FILL, {30, 40, 255, 255}, {255, 10, 20, 30}},
        {VG_TILE_PAD, {30, 40, 40, 40}, {10, 10, 20, 30}},
        {VG_TILE_REPEAT, {30, 40, 10, 20}, {40, 10, 20, 30}},  // 4 -> 0, 5 -> 1, -1 -> 3
        {VG_TILE_REFLECT, {30, 40, 40, 30}, {10, 10, 20, 30}}, // 4 -> 3, 5 -> 2, -1 -> 7 -> 0
    };
    for (const Expect &e : expects) {
        vgConvolve(dst, src, 3, 1, 0, 0, kernel, 1, 0, e.mode);
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(redOf(rawPixel(dst, x, 0)), e.shift0[x]) << "mode " << e.mode << " x " << x;
        vgConvolve(dst, src, 3, 1, 3, 0, kernel, 1, 0, e.mode);
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(redOf(rawPixel(dst, x, 0)), e.shift3[x]) << "mode " << e.mode << " x " << x << " shifted";
    }
}

TEST_F(ConvolveTest, ScaleAndBiasAreClampedNotWrapped)
{
    const VGImage src = filledImage(VG_sRGBA_8888, 2, 2, rgba(255, 100, 0, 255));
    const VGImage dst = makeImage(VG_sRGBA_8888, 2, 2);
    const VGshort one[1] = {1};
    const VGshort minusOne[1] = {-1};
    vgConvolve(dst, src, 1, 1, 0, 0, one, 1, -1, VG_TILE_PAD);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(0, 0, 0, 0));
    vgConvolve(dst, src, 1, 1, 0, 0, one, 1, 2, VG_TILE_PAD);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(255, 255, 255, 255));
    // 255 x 0.5 = 127.5 -> 127, 100 x 0.5 = 50, alpha 127.
    vgConvolve(dst, src, 1, 1, 0, 0, one, 0.5f, 0, VG_TILE_PAD);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(127, 50, 0, 127));
    // Negative sums plus bias 0.5 x 255 = 127.5: red and alpha -255 + 127.5 -> 0, green -100 + 127.5
    // = 27.5 -> 27, blue 0 + 127.5 -> 127.
    vgConvolve(dst, src, 1, 1, 0, 0, minusOne, 1, 0.5f, VG_TILE_PAD);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(0, 27, 127, 0));
}

TEST_F(ConvolveTest, LargeKernelSumsDoNotOverflow)
{
    // 256 x 256 taps of 32767 over white: 65536 x 32767 x 255 = 547593256960, beyond 32 bits.
    // Times 2^-32 that is 127.496 -> 127; a wrapped 32-bit sum would give 2132410368 x 2^-32 -> 0.
    static VGshort kernel[256 * 256];
    std::fill(std::begin(kernel), std::end(kernel), VGshort{32767});
    const VGImage src = filledImage(VG_sRGBA_8888, 2, 2, rgba(255, 255, 255, 255));
    const VGImage dst = makeImage(VG_sRGBA_8888, 2, 2);
    vgConvolve(dst, src, 256, 256, 0, 0, kernel, std::ldexp(1.0f, -32), 0, VG_TILE_PAD);
    EXPECT_EQ(rawPixel(dst, 1, 1), rgba(127, 127, 127, 127));
    // The most negative kernel: -32768 x 65536 x 255 x -2^-32 = 127.5 -> 127.
    std::fill(std::begin(kernel), std::end(kernel), VGshort{-32768});
    vgConvolve(dst, src, 256, 256, 0, 0, kernel, -std::ldexp(1.0f, -32), 0, VG_TILE_PAD);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(127, 127, 127, 127));
}

using SeparableConvolveTest = FilterTest;

TEST_F(SeparableConvolveTest, IntermediateIsClampedToZeroAnd32767)
{
    const VGImage src = filledImage(VG_sRGBA_8888, 3, 3, rgba(255, 255, 255, 255));
    const VGImage dst = makeImage(VG_sRGBA_8888, 3, 3);
    const VGshort minusOne[1] = {-1};
    const VGshort one[1] = {1};
    // Every intermediate value clamps to 0, so only the bias is left: 0.5 x 255 = 127.5 -> 127.
    vgSeparableConvolve(dst, src, 1, 1, 0, 0, minusOne, one, 7.0f, 0.5f, VG_TILE_PAD);
    EXPECT_EQ(rawPixel(dst, 1, 1), rgba(127, 127, 127, 127));
    // 2 x 200 x 255 = 102000 clamps to 32767; 32767 / 1024 = 31.99 -> 31 (unclamped it would be 99).
    const VGshort twoHundreds[2] = {200, 200};
    vgSeparableConvolve(dst, src, 2, 1, 0, 0, twoHundreds, one, 1.0f / 1024, 0, VG_TILE_PAD);
    EXPECT_EQ(rawPixel(dst, 1, 1), rgba(31, 31, 31, 31));
}

TEST_F(SeparableConvolveTest, FillRowsOutsideTheSourceCarryTheHorizontallyFilteredFill)
{
    // Source red 10, fill red 0.2 x 255 = 51, both opaque. kernelX {4}: inside rows 40, fill rows
    // 4 x 51 = 204 (alpha 1020). kernelY {1, 0, 0} reads row y + 2; scale 0.25 brings 40 -> 10 and
    // 204 -> 51 (the raw fill would give 51 x 0.25 = 12).
    const VGImage src = filledImage(VG_sRGBA_8888, 2, 3, rgba(10, 0, 0, 255));
    const VGImage dst = makeImage(VG_sRGBA_8888, 2, 3);
    setTileFill(0.2f, 0, 0, 1);
    const VGshort kx[1] = {4};
    const VGshort ky[3] = {1, 0, 0};
    vgSeparableConvolve(dst, src, 1, 3, 0, 0, kx, ky, 0.25f, 0, VG_TILE_FILL);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(10, 0, 0, 255));
    EXPECT_EQ(rawPixel(dst, 1, 1), rgba(51, 0, 0, 255));
    EXPECT_EQ(rawPixel(dst, 0, 2), rgba(51, 0, 0, 255));
}

using GaussianBlurTest = FilterTest;

TEST(GaussianKernelTest, RadiusGrowsWithTheDeviation)
{
    // 2N + 1 taps: 0.5 -> 3, 2 -> 11, 10 -> 53, 128 -> 661. For 2: target 0.99 x 2.5066 x 2 = 4.963;
    // totals 2.765, 3.978, 4.627, 4.898, 4.986 reach it at N = 5.
    EXPECT_EQ(gaussianRadius(0.5f), 1);
    EXPECT_EQ(gaussianRadius(2.0f), 5);
    EXPECT_EQ(gaussianRadius(10.0f), 26);
    EXPECT_EQ(gaussianRadius(128.0f), 330);
    EXPECT_EQ(gaussianRadius(1e-20f), 1);
}

TEST_F(GaussianBlurTest, IllegalDeviationsAndModes)
{
    const VGImage src = filledImage(VG_sRGBA_8888, 2, 2, rgba(9, 9, 9, 255));
    const VGImage dst = filledImage(VG_sRGBA_8888, 2, 2, kSentinel);
    const std::array<std::pair<float, float>, 6> bad = {
        {{128.01f, 1}, {1, 128.01f}, {0, 1}, {1, -1}, {NAN, 1}, {-INFINITY, 1}}};
    for (const auto &[sx, sy] : bad) {
        vgGaussianBlur(dst, src, sx, sy, VG_TILE_PAD);
        EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR) << sx << ", " << sy;
    }
    vgGaussianBlur(dst, src, 1, 1, static_cast<VGTilingMode>(0x1D04));
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(snapshot(dst), std::vector<uint32_t>(4, kSentinel));
    vgGaussianBlur(dst, src, 128, 128, VG_TILE_PAD);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(GaussianBlurTest, TinyDeviationCopies)
{
    // 2 s^2 underflows to 0 in float; the kernel must still be the centre tap alone (weight 1).
    const VGImage src = paintedImage(3, 3, [](int x, int y) { return rgba(x * 50, y * 50, 7, 255); });
    const VGImage dst = makeImage(VG_sRGBA_8888, 3, 3);
    vgGaussianBlur(dst, src, 1e-20f, 1e-20f, VG_TILE_FILL);
    EXPECT_EQ(snapshot(dst), snapshot(src));
}

TEST_F(GaussianBlurTest, UniformWhiteLosesOneStepPerPass)
{
    // Deviation 2: sum of trunc(k x 255) over 11 taps = 1267, x norm 0.20057 = 254.1 -> 254; then
    // the sum over 254 is 1264, x norm = 253.5 -> 253. Alpha goes the same way.
    const VGImage src = filledImage(VG_sRGBA_8888, 16, 16, rgba(255, 255, 255, 255));
    const VGImage dst = makeImage(VG_sRGBA_8888, 16, 16);
    vgGaussianBlur(dst, src, 2, 2, VG_TILE_PAD);
    EXPECT_EQ(snapshot(dst), std::vector<uint32_t>(256, rgba(253, 253, 253, 253)));
    // Deviation 128 (661 taps): 80669 x 0.0031477 = 253.9 -> 253, then 80059 x 0.0031477 = 251.9 -> 251.
    vgGaussianBlur(dst, src, 128, 128, VG_TILE_PAD);
    EXPECT_EQ(snapshot(dst), std::vector<uint32_t>(256, rgba(251, 251, 251, 251)));
}

TEST_F(GaussianBlurTest, TransparentFillDarkensTheEdgesWherePadDoesNot)
{
    const VGImage src = filledImage(VG_sRGBA_8888, 16, 16, rgba(255, 255, 255, 255));
    const VGImage dst = makeImage(VG_sRGBA_8888, 16, 16);
    setTileFill(0, 0, 0, 0);
    vgGaussianBlur(dst, src, 2, 2, VG_TILE_FILL);
    // Pixels at least 5 from every edge see no fill (11 taps): the uniform result 253.
    EXPECT_EQ(rawPixel(dst, 8, 8), rgba(253, 253, 253, 253));
    const uint32_t corner = rawPixel(dst, 0, 0);
    EXPECT_LT(corner & 0xFF, 100u) << "half the neighbourhood of a corner is transparent fill";
    EXPECT_LT(rawPixel(dst, 0, 8) & 0xFF, 200u);
    EXPECT_GT(rawPixel(dst, 0, 8) & 0xFF, corner & 0xFF);
    vgGaussianBlur(dst, src, 2, 2, VG_TILE_PAD);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(253, 253, 253, 253));
}

TEST_F(GaussianBlurTest, ElevenTapsReachFivePixels)
{
    // One white pixel at x = 10 in a black opaque row. Horizontal, deviation 2: at distance 5 the
    // weight 0.04394 gives trunc(0.04394 x 255) = 11, x norm 0.20057 = 2.2 -> 2; distance 6 has no tap.
    // Vertical, deviation 0.5 over a single padded row: trunc(0.1353 x 2) = 0 twice plus 2 = 2,
    // x norm 0.78699 = 1.57 -> 1.
    const VGImage src = paintedImage(21, 1, [](int x, int) { return x == 10 ? rgba(255, 255, 255, 255) : rgba(0, 0, 0, 255); });
    const VGImage dst = makeImage(VG_sRGBA_8888, 21, 1);
    vgGaussianBlur(dst, src, 2, 0.5f, VG_TILE_PAD);
    EXPECT_EQ(rawPixel(dst, 15, 0), rgba(1, 1, 1, 253));
    EXPECT_EQ(rawPixel(dst, 5, 0), rgba(1, 1, 1, 253));
    EXPECT_EQ(rawPixel(dst, 16, 0), rgba(0, 0, 0, 253));
    EXPECT_EQ(rawPixel(dst, 4, 0), rgba(0, 0, 0, 253));
}

TEST_F(GaussianBlurTest, OutOfMemoryLeavesTheDestinationAndRecordsNoError)
{
    const VGImage src = filledImage(VG_sRGBA_8888, 8, 8, rgba(255, 255, 255, 255));
    const VGImage dst = filledImage(VG_sRGBA_8888, 8, 8, kSentinel);
    const VGshort one[1] = {1};
    {
        FailAllocations failing;
        vgGaussianBlur(dst, src, 2, 2, VG_TILE_PAD);
        vgConvolve(dst, src, 1, 1, 0, 0, one, 1, 0, VG_TILE_PAD);
        vgSeparableConvolve(dst, src, 1, 1, 0, 0, one, one, 1, 0, VG_TILE_PAD);
    }
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(snapshot(dst), std::vector<uint32_t>(64, kSentinel));
    // The same calls do write when memory is there.
    vgConvolve(dst, src, 1, 1, 0, 0, one, 1, 0, VG_TILE_PAD);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(255, 255, 255, 255));
}

// ---- Direct evaluation of the rules, pixel by pixel, for random images and kernels. The working
// format equals the source format (sRGB, not premultiplied) and the destination format, so the
// expected channels are the computed channels themselves.

using Pixel = std::array<int32_t, 4>;

int64_t tile(int64_t p, int64_t n, VGTilingMode mode)
{
    if (p >= 0 && p < n)
        return p;
    switch (mode) {
    case VG_TILE_PAD:
        return p < 0 ? 0 : n - 1;
    case VG_TILE_REPEAT:
        return ((p % n) + n) % n;
    case VG_TILE_REFLECT: {
        const int64_t m = ((p % (2 * n)) + 2 * n) % (2 * n);
        return m < n ? m : 2 * n - 1 - m;
    }
    default:
        return -1;
    }
}

struct Grid {
    int w, h;
    std::vector<Pixel> pixels;
    Pixel at(int64_t x, int64_t y, VGTilingMode mode, const Pixel &fill) const
    {
        const int64_t tx = tile(x, w, mode), ty = tile(y, h, mode);
        return tx < 0 || ty < 0 ? fill : pixels[ty * w + tx];
    }
};

uint32_t clampPack(const std::array<long double, 4> &v)
{
    uint32_t out = 0;
    for (long double c : v) {
        const uint32_t byte = c < 1 ? 0 : c >= 255 ? 255 : static_cast<uint32_t>(c);
        out = (out << 8) | byte;
    }
    return out;
}

class FilterReferenceTest : public FilterTest {
protected:
    static constexpr int kSrcW = 7, kSrcH = 5, kDstW = 6, kDstH = 6; // output 6 x 5
    std::mt19937 random{1234};
    Grid source{kSrcW, kSrcH, {}};
    VGImage src = VG_INVALID_HANDLE, dst = VG_INVALID_HANDLE;
    const Pixel fill{76, 153, 229, 127}; // 0.3, 0.6, 0.9, 0.5 x 255, truncated

    void SetUp() override
    {
        FilterTest::SetUp();
        src = makeImage(VG_sRGBA_8888, kSrcW, kSrcH);
        dst = makeImage(VG_sRGBA_8888, kDstW, kDstH);
        for (int y = 0; y < kSrcH; ++y) {
            for (int x = 0; x < kSrcW; ++x) {
                Pixel p;
                for (int32_t &c : p)
                    c = static_cast<int32_t>(random() % 256);
                source.pixels.push_back(p);
                setRawPixel(src, x, y, rgba(p[0], p[1], p[2], p[3]));
            }
        }
        setTileFill(0.3f, 0.6f, 0.9f, 0.5f);
    }

    void expectOutput(const std::function<uint32_t(int, int)> &expected, const std::string &what)
    {
        int mismatches = 0;
        for (int y = 0; y < kSrcH; ++y)
            for (int x = 0; x < kDstW; ++x)
                if (rawPixel(dst, x, y) != expected(x, y) && ++mismatches <= 3)
                    ADD_FAILURE() << what << " at " << x << "," << y << ": " << std::hex << rawPixel(dst, x, y)
                                  << " != " << expected(x, y);
        EXPECT_EQ(mismatches, 0) << what;
    }

    std::vector<VGshort> randomKernel(int n)
    {
        std::vector<VGshort> k(static_cast<size_t>(n));
        for (VGshort &v : k)
            v = random() % 3 == 0 ? 0 : static_cast<VGshort>(static_cast<int>(random() % 41) - 12);
        return k;
    }
};

TEST_F(FilterReferenceTest, ConvolveMatchesTheDirectRule)
{
    const std::array<std::pair<int, int>, 4> shifts = {{{1, 1}, {-3, 4}, {9, -2}, {0, 0}}};
    for (VGTilingMode mode : kModes) {
        for (const auto &[shiftX, shiftY] : shifts) {
            const int kw = 4, kh = 3;
            const std::vector<VGshort> kernel = randomKernel(kw * kh);
            const float scale = 0.037f, bias = 0.1f;
            vgConvolve(dst, src, kw, kh, shiftX, shiftY, kernel.data(), scale, bias, mode);
            expectOutput(
                [&](int x, int y) {
                    std::array<int64_t, 4> sums{};
                    for (int i = 0; i < kw; ++i)
                        for (int j = 0; j < kh; ++j) {
                            const int k = kernel[(kw - 1 - i) * kh + (kh - 1 - j)];
                            const Pixel s = source.at(x + i - shiftX, y + j - shiftY, mode, fill);
                            for (int c = 0; c < 4; ++c)
                                sums[c] += int64_t{k} * s[c];
                        }
                    std::array<long double, 4> v;
                    for (int c = 0; c < 4; ++c)
                        v[c] = sums[c] * static_cast<long double>(scale) + static_cast<long double>(bias) * 255;
                    return clampPack(v);
                },
                "vgConvolve mode " + std::to_string(mode) + " shift " + std::to_string(shiftX) + "," +
                    std::to_string(shiftY));
        }
    }
}

TEST_F(FilterReferenceTest, SeparableConvolveMatchesTheDirectRule)
{
    for (VGTilingMode mode : kModes) {
        const int kw = 5, kh = 4, shiftX = 2, shiftY = 3;
        const std::vector<VGshort> kx = randomKernel(kw), ky = randomKernel(kh);
        const float scale = 0.0021f, bias = 0.05f;
        vgSeparableConvolve(dst, src, kw, kh, shiftX, shiftY, kx.data(), ky.data(), scale, bias, mode);
        // Horizontal pass over every source row, output width columns, clamped to [0, 32767].
        Grid inter{kDstW, kSrcH, {}};
        for (int y = 0; y < kSrcH; ++y)
            for (int x = 0; x < kDstW; ++x) {
                Pixel p{};
                for (int i = 0; i < kw; ++i) {
                    const Pixel s = source.at(x + i - shiftX, y, mode, fill);
                    for (int c = 0; c < 4; ++c)
                        p[c] += kx[kw - 1 - i] * s[c];
                }
                for (int32_t &c : p)
                    c = std::clamp(c, 0, 32767);
                inter.pixels.push_back(p);
            }
        Pixel fillH{};
        for (int c = 0; c < 4; ++c) {
            for (int i = 0; i < kw; ++i)
                fillH[c] += kx[i] * fill[c];
            fillH[c] = std::clamp(fillH[c], 0, 32767);
        }
        expectOutput(
            [&](int x, int y) {
                std::array<int64_t, 4> sums{};
                for (int j = 0; j < kh; ++j) {
                    const Pixel s = inter.at(x, y + j - shiftY, mode, fillH);
                    for (int c = 0; c < 4; ++c)
                        sums[c] += int64_t{ky[kh - 1 - j]} * s[c];
                }
                std::array<long double, 4> v;
                for (int c = 0; c < 4; ++c)
                    v[c] = sums[c] * static_cast<long double>(scale) + static_cast<long double>(bias) * 255;
                return clampPack(v);
            },
            "vgSeparableConvolve mode " + std::to_string(mode));
    }
}

// The Gaussian weights as written: float exponent, float exp, float sum and reciprocal.
struct Weights {
    int n;
    std::vector<float> k;
    float norm;
};

Weights weightsFor(float s)
{
    const float c = -1.0f / (2.0f * s * s);
    const float target = std::sqrt(6.2831855f) * s * 0.99f;
    float total = 1;
    int n = 0;
    do {
        ++n;
        total = total + 2.0f * std::exp(static_cast<float>(n * n) * c);
    } while (total < target);
    Weights w{n, {}, 0};
    float sum = 0;
    for (int t = 0; t <= 2 * n; ++t) {
        w.k.push_back(std::exp(static_cast<float>((t - n) * (t - n)) * c));
        sum += w.k.back();
    }
    w.norm = 1.0f / sum;
    return w;
}

TEST_F(FilterReferenceTest, GaussianBlurMatchesTheDirectRule)
{
    const std::array<std::pair<float, float>, 3> deviations = {{{1.3f, 0.7f}, {3.0f, 2.5f}, {0.4f, 5.0f}}};
    for (VGTilingMode mode : kModes) {
        for (const auto &[sx, sy] : deviations) {
            vgGaussianBlur(dst, src, sx, sy, mode);
            const Weights wx = weightsFor(sx), wy = weightsFor(sy);
            Grid inter{kDstW, kSrcH, {}};
            for (int y = 0; y < kSrcH; ++y)
                for (int x = 0; x < kDstW; ++x) {
                    Pixel p{};
                    for (int t = 0; t <= 2 * wx.n; ++t) {
                        const Pixel s = source.at(x + t - wx.n, y, mode, fill);
                        for (int c = 0; c < 4; ++c)
                            p[c] += static_cast<int32_t>(wx.k[t] * static_cast<float>(s[c]));
                    }
                    for (int32_t &c : p)
                        c = static_cast<int32_t>(static_cast<float>(c) * wx.norm);
                    inter.pixels.push_back(p);
                }
            expectOutput(
                [&](int x, int y) {
                    Pixel p{};
                    for (int t = 0; t <= 2 * wy.n; ++t) {
                        const Pixel s = inter.at(x, y + t - wy.n, mode, fill);
                        for (int c = 0; c < 4; ++c)
                            p[c] += static_cast<int32_t>(wy.k[t] * static_cast<float>(s[c]));
                    }
                    std::array<long double, 4> v;
                    for (int c = 0; c < 4; ++c)
                        v[c] = static_cast<int32_t>(static_cast<float>(p[c]) * wy.norm);
                    return clampPack(v);
                },
                "vgGaussianBlur mode " + std::to_string(mode) + " deviations " + std::to_string(sx) + "," +
                    std::to_string(sy));
        }
    }
}

} // namespace
} // namespace tamarind::test
