// The filter frame and the point filters: the order of the common checks, overlap through parent chains
// for all six filters, tiled reads, the colour matrix with clamping, working formats and channel masks,
// and the two lookups with forced source channels and output formats.
#include "filter_test_support.h"

#include "image/image_filters.h"

#include <array>
#include <cmath>
#include <string>

namespace tamarind::test {
namespace {

constexpr uint32_t kSentinel = 0xDEADBEEF;

// Valid arguments for every filter, so that only the images decide the outcome.
const VGfloat kIdentity[20] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0};
const VGubyte kTable[256] = {};
const VGuint kWords[256] = {};
const VGshort kOne[1] = {1};

struct FilterCall {
    const char *name;
    std::function<void(VGImage, VGImage)> call;
};

std::vector<FilterCall> allFilters()
{
    return {
        {"vgColorMatrix", [](VGImage d, VGImage s) { vgColorMatrix(d, s, kIdentity); }},
        {"vgLookup", [](VGImage d, VGImage s) { vgLookup(d, s, kTable, kTable, kTable, kTable, VG_FALSE, VG_FALSE); }},
        {"vgLookupSingle",
         [](VGImage d, VGImage s) { vgLookupSingle(d, s, kWords, VG_RED, VG_FALSE, VG_FALSE); }},
        {"vgConvolve", [](VGImage d, VGImage s) { vgConvolve(d, s, 1, 1, 0, 0, kOne, 1, 0, VG_TILE_PAD); }},
        {"vgSeparableConvolve",
         [](VGImage d, VGImage s) { vgSeparableConvolve(d, s, 1, 1, 0, 0, kOne, kOne, 1, 0, VG_TILE_PAD); }},
        {"vgGaussianBlur", [](VGImage d, VGImage s) { vgGaussianBlur(d, s, 1, 1, VG_TILE_PAD); }},
    };
}

using FilterChecksTest = FilterTest;

TEST_F(FilterChecksTest, BadHandlesComeFirstDstThenSrc)
{
    const VGImage image = filledImage(VG_sRGBA_8888, 4, 4, kSentinel);
    const VGPath notAnImage = vgCreatePath(VG_PATH_FORMAT_STANDARD, VG_PATH_DATATYPE_F, 1, 0, 0, 0, 0);
    for (const FilterCall &c : allFilters()) {
        c.call(VG_INVALID_HANDLE, image);
        EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR) << c.name;
        c.call(image, static_cast<VGImage>(notAnImage));
        EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR) << c.name;
    }
    // A bad handle wins over a bad argument.
    vgColorMatrix(VG_INVALID_HANDLE, image, nullptr);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgDestroyPath(notAnImage);
}

TEST_F(FilterChecksTest, ImagesBoundAsSurfacesAreInUseBeforeOverlapIsTested)
{
    const VGImage used = filledImage(VG_sRGBA_8888, 4, 4, kSentinel);
    const VGImage other = filledImage(VG_sRGBA_8888, 4, 4, kSentinel);
    const EGLSurface made = eglCreatePbufferFromClientBuffer(
        display, EGL_OPENVG_IMAGE, reinterpret_cast<EGLClientBuffer>(static_cast<uintptr_t>(used)), configAt(0),
        nullptr);
    ASSERT_NE(made, EGL_NO_SURFACE);
    ASSERT_EQ(eglMakeCurrent(display, made, made, context), EGL_TRUE);
    for (const FilterCall &c : allFilters()) {
        c.call(used, other);
        EXPECT_EQ(vgGetError(), VG_IMAGE_IN_USE_ERROR) << c.name << " into the bound image";
        c.call(other, used);
        EXPECT_EQ(vgGetError(), VG_IMAGE_IN_USE_ERROR) << c.name << " from the bound image";
        c.call(used, used);
        EXPECT_EQ(vgGetError(), VG_IMAGE_IN_USE_ERROR) << c.name << ": in use is tested before overlap";
    }
    EXPECT_EQ(snapshot(other), std::vector<uint32_t>(16, kSentinel));
    ASSERT_EQ(eglMakeCurrent(display, surface, surface, context), EGL_TRUE);
    eglDestroySurface(display, made);
}

TEST_F(FilterChecksTest, OverlapThroughParentChainsIsAnIllegalArgument)
{
    const VGImage root = filledImage(VG_sRGBA_8888, 8, 8, rgba(1, 2, 3, 255));
    const VGImage child = vgChildImage(root, 2, 2, 4, 4);       // root columns 2..5, rows 2..5
    const VGImage grandchild = vgChildImage(child, 1, 1, 2, 2); // root columns 3..4, rows 3..4
    const VGImage left = vgChildImage(root, 0, 0, 3, 8);        // root columns 0..2
    const VGImage middle = vgChildImage(root, 2, 6, 2, 2);      // column 2 is shared with `left`
    const VGImage right = vgChildImage(root, 3, 0, 5, 2);       // columns 3..7, touches `left` at an edge only
    ASSERT_EQ(vgGetError(), VG_NO_ERROR);
    const std::array<std::pair<VGImage, VGImage>, 6> overlapping = {{{root, root},
                                                                     {child, root},
                                                                     {root, child},
                                                                     {grandchild, root},
                                                                     {child, grandchild},
                                                                     {left, middle}}};
    for (const FilterCall &c : allFilters()) {
        for (const auto &[d, s] : overlapping) {
            c.call(d, s);
            EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR) << c.name;
        }
        c.call(left, right); // adjacent but disjoint
        EXPECT_EQ(vgGetError(), VG_NO_ERROR) << c.name << " between disjoint siblings";
        c.call(grandchild, left); // grandchild starts at root column 3
        EXPECT_EQ(vgGetError(), VG_NO_ERROR) << c.name << " between a grandchild and a disjoint child";
    }
    // Nothing was written by the rejected calls: the root still holds its original colour where only
    // overlapping calls could have written (root row 7 is covered only by `left` and `middle`).
    EXPECT_EQ(rawPixel(root, 2, 7), rgba(1, 2, 3, 255));
}

TEST_F(FilterChecksTest, ImagesWithDifferentRootsNeverOverlap)
{
    const VGImage a = filledImage(VG_sRGBA_8888, 4, 4, rgba(9, 8, 7, 255));
    const VGImage b = filledImage(VG_sRGBA_8888, 4, 4, kSentinel);
    EXPECT_FALSE(imagesOverlap(imageRecord(a), imageRecord(b)));
    vgColorMatrix(b, a, kIdentity);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(rawPixel(b, 3, 3), rgba(9, 8, 7, 255));
}

TEST(TiledReadTest, EveryModeMapsOutsidePositionsAsDefined)
{
    // A 3 x 1 buffer with red 10, 20, 30; the fill colour has red 99.
    const PixelColor row[3] = {{COLOR_SRGB, 10, 0, 0, 255}, {COLOR_SRGB, 20, 0, 0, 255}, {COLOR_SRGB, 30, 0, 0, 255}};
    const PixelColor fill{COLOR_SRGB, 99, 0, 0, 0};
    auto red = [&](int64_t x, int32_t mode) { return tiledRead(row, 3, 1, x, 0, mode, fill).c0; };
    EXPECT_EQ(red(1, VG_TILE_FILL), 20);
    EXPECT_EQ(red(-1, VG_TILE_FILL), 99);
    EXPECT_EQ(red(3, VG_TILE_FILL), 99);
    EXPECT_EQ(red(-5, VG_TILE_PAD), 10);
    EXPECT_EQ(red(7, VG_TILE_PAD), 30);
    EXPECT_EQ(red(-1, VG_TILE_REPEAT), 30); // -1 mod 3 = 2
    EXPECT_EQ(red(-4, VG_TILE_REPEAT), 30); // -4 mod 3 = 2
    EXPECT_EQ(red(4, VG_TILE_REPEAT), 20);
    EXPECT_EQ(red(-1, VG_TILE_REFLECT), 10); // -1 mod 6 = 5 >= 3, so 6 - 1 - 5 = 0
    EXPECT_EQ(red(3, VG_TILE_REFLECT), 30);  // 6 - 1 - 3 = 2
    EXPECT_EQ(red(-4, VG_TILE_REFLECT), 30); // -4 mod 6 = 2
    EXPECT_EQ(red(-7, VG_TILE_REFLECT), 10); // -7 mod 6 = 5, so 6 - 1 - 5 = 0
    // A row outside the buffer is tiled the same way.
    EXPECT_EQ(tiledRead(row, 3, 1, 1, -3, VG_TILE_REPEAT, fill).c0, 20);
    EXPECT_EQ(tiledRead(row, 3, 1, 1, 1, VG_TILE_FILL, fill).c0, 99);
}

using ColorMatrixTest = FilterTest;

TEST_F(ColorMatrixTest, ArgumentChecks)
{
    const VGImage src = filledImage(VG_sRGBA_8888, 2, 2, rgba(1, 2, 3, 4));
    const VGImage dst = filledImage(VG_sRGBA_8888, 2, 2, kSentinel);
    vgColorMatrix(dst, src, nullptr);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    alignas(4) unsigned char bytes[4 * 21] = {};
    vgColorMatrix(dst, src, reinterpret_cast<const VGfloat *>(bytes + 2));
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(snapshot(dst), std::vector<uint32_t>(4, kSentinel));
}

TEST_F(ColorMatrixTest, IdentityCopiesTheCommonRectangleOnly)
{
    const VGImage src = paintedImage(3, 5, [](int x, int y) { return rgba(x + 1, y + 1, 7, 200); });
    const VGImage dst = filledImage(VG_sRGBA_8888, 4, 4, kSentinel);
    vgColorMatrix(dst, src, kIdentity);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(rawPixel(dst, x, y), x < 3 ? rgba(x + 1, y + 1, 7, 200) : kSentinel) << x << "," << y;
}

TEST_F(ColorMatrixTest, LinearWorkingFormatLosesOnlyTheSrgbRoundTrip)
{
    const VGImage src = filledImage(VG_sRGBA_8888, 1, 1, rgba(128, 255, 0, 255));
    const VGImage dst = makeImage(VG_sRGBA_8888, 1, 1);
    vgColorMatrix(dst, src, kIdentity);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(128, 255, 0, 255));
    vgSeti(VG_FILTER_FORMAT_LINEAR, VG_TRUE);
    vgColorMatrix(dst, src, kIdentity);
    // sRGB 128 -> linear 55 -> sRGB 127 (srgbToLinear[127] = 54 is the largest entry below 55);
    // 255 -> linear 254 -> sRGB 254 (srgbToLinear[254] = 252 < 254, [255] = 254 is not below).
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(127, 254, 0, 255));
}

TEST_F(ColorMatrixTest, ConstantTermAndPremultipliedWorkingFormat)
{
    const VGImage src = filledImage(VG_sRGBA_8888, 1, 1, rgba(10, 20, 30, 40));
    const VGImage dst = filledImage(VG_sRGBA_8888, 1, 1, kSentinel);
    VGfloat m[20] = {};
    m[16] = 0.5f; // red = 255 x 0.5 = 127.5, truncated to 127; everything else 0
    vgColorMatrix(dst, src, m);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(127, 0, 0, 0));
    // Premultiplied working format: red is clamped to the zero alpha.
    vgSeti(VG_FILTER_FORMAT_PREMULTIPLIED, VG_TRUE);
    vgColorMatrix(dst, src, m);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(0, 0, 0, 0));
}

TEST_F(ColorMatrixTest, ResultsAreClampedNotWrapped)
{
    const VGImage src = filledImage(VG_sRGBA_8888, 1, 1, rgba(100, 50, 0, 255));
    const VGImage dst = makeImage(VG_sRGBA_8888, 1, 1);
    VGfloat m[20] = {};
    m[0] = -1.0f;  // red = -100 -> 0
    m[5] = 10.0f;  // green = 500 -> 255
    m[10] = 1.0f;  // blue = 0
    m[18] = 0.01f; // blue += 2.55 -> 2
    m[15] = 1.0f;  // alpha = 255
    vgColorMatrix(dst, src, m);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(0, 255, 2, 255));
    // Infinite and NaN entries are sanitised: +inf x 100 is huge (255), NaN counts as 0.
    m[0] = INFINITY;
    m[5] = NAN;
    vgColorMatrix(dst, src, m);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(255, 0, 2, 255));
}

TEST_F(ColorMatrixTest, AlphaMaskRescalesAPremultipliedDestination)
{
    const VGImage src = filledImage(VG_sRGBA_8888, 1, 1, rgba(255, 255, 255, 255));
    const VGImage dst = filledImage(VG_sRGBA_8888_PRE, 1, 1, rgba(100, 50, 20, 200));
    VGfloat m[20] = {};
    m[19] = 0.5f; // alpha 127; the colour channels would be 0 but are masked off
    vgSeti(VG_FILTER_CHANNEL_MASK, VG_ALPHA);
    vgColorMatrix(dst, src, m);
    // Current pixel unpremultiplied: 100 x 256 / 201 = 127, 50 x 256 / 201 = 63, 20 x 256 / 201 = 25.
    // New alpha 127, premultiplied again by (127 + 1) >> 8: 127 -> 63, 63 -> 31, 25 -> 12.
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(63, 31, 12, 127));
}

TEST_F(ColorMatrixTest, ChannelMaskKeepsUnselectedChannels)
{
    const VGImage src = filledImage(VG_sRGBA_8888, 1, 1, rgba(1, 2, 3, 4));
    const VGImage dst = filledImage(VG_sRGBA_8888, 1, 1, rgba(50, 60, 70, 80));
    VGfloat m[20] = {};
    m[16] = m[17] = m[18] = m[19] = 1.0f; // (255, 255, 255, 255)
    vgSeti(VG_FILTER_CHANNEL_MASK, VG_RED | VG_BLUE);
    vgColorMatrix(dst, src, m);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(255, 60, 255, 80));
    // Bits above the low four are ignored; a mask of 0 writes nothing new.
    vgSeti(VG_FILTER_CHANNEL_MASK, 0x10);
    vgColorMatrix(dst, src, m);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(255, 60, 255, 80));
}

TEST_F(ColorMatrixTest, LuminanceAndAlphaOnlyDestinationsFollowTheirChannel)
{
    const VGImage src = filledImage(VG_sRGBA_8888, 1, 1, rgba(0, 0, 0, 0));
    const VGImage lum = filledImage(VG_sL_8, 1, 1, 77);
    const VGImage alphaOnly = filledImage(VG_A_8, 1, 1, 77);
    VGfloat m[20] = {};
    m[16] = m[17] = m[18] = m[19] = 1.0f; // opaque white
    vgSeti(VG_FILTER_CHANNEL_MASK, VG_GREEN | VG_BLUE | VG_ALPHA);
    vgColorMatrix(lum, src, m);
    EXPECT_EQ(rawPixel(lum, 0, 0), 77u) << "luminance changes only through VG_RED";
    vgSeti(VG_FILTER_CHANNEL_MASK, VG_RED);
    vgColorMatrix(lum, src, m);
    // sRGB white to sRGB luminance: linear 254 each, L = 254, back to sRGB 254 (srgbToLinear[254] = 252 < 254).
    EXPECT_EQ(rawPixel(lum, 0, 0), 254u);
    vgSeti(VG_FILTER_CHANNEL_MASK, VG_RED | VG_GREEN | VG_BLUE);
    vgColorMatrix(alphaOnly, src, m);
    EXPECT_EQ(rawPixel(alphaOnly, 0, 0), 77u) << "VG_A_8 changes only through VG_ALPHA";
    vgSeti(VG_FILTER_CHANNEL_MASK, VG_ALPHA);
    vgColorMatrix(alphaOnly, src, m);
    EXPECT_EQ(rawPixel(alphaOnly, 0, 0), 255u);
}

using LookupTest = FilterTest;

TEST_F(LookupTest, TablesMapEachChannel)
{
    VGubyte red[256], green[256], blue[256], alpha[256];
    for (int i = 0; i < 256; ++i) {
        red[i] = static_cast<VGubyte>(255 - i);
        green[i] = static_cast<VGubyte>(i);
        blue[i] = 0;
        alpha[i] = 255;
    }
    const VGImage src = filledImage(VG_sRGBA_8888, 2, 2, rgba(10, 20, 30, 40));
    const VGImage dst = filledImage(VG_sRGBA_8888, 2, 2, kSentinel);
    vgLookup(dst, src, red, green, blue, alpha, VG_FALSE, VG_FALSE);
    EXPECT_EQ(snapshot(dst), std::vector<uint32_t>(4, rgba(245, 20, 0, 255)));
    vgLookup(dst, src, red, green, nullptr, alpha, VG_FALSE, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    // The byte tables have no alignment rule.
    alignas(4) VGubyte shifted[257] = {};
    vgLookup(dst, src, shifted + 1, shifted + 1, shifted + 1, shifted + 1, VG_FALSE, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(0, 0, 0, 0));
}

TEST_F(LookupTest, OutputFormatIsLinearOrPremultipliedAsAsked)
{
    VGubyte colour[256], alpha[256];
    for (int i = 0; i < 256; ++i) {
        colour[i] = 200;
        alpha[i] = 100;
    }
    const VGImage src = filledImage(VG_sRGBA_8888, 1, 1, rgba(1, 2, 3, 4));
    const VGImage dst = makeImage(VG_sRGBA_8888, 1, 1);
    // Premultiplied output: 200 is clamped to alpha 100, then unpremultiplied: 100 x 256 / 101 = 253.
    vgLookup(dst, src, colour, colour, colour, alpha, VG_FALSE, VG_TRUE);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(253, 253, 253, 100));
    // Linear output: 200 is linear; in the sRGB destination it becomes 229, the largest code whose
    // linear value is below 200 (srgbToLinear[229] = floor(255 x 0.7835) = 199, [230] = 201).
    vgLookup(dst, src, colour, colour, colour, alpha, VG_TRUE, VG_FALSE);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(229, 229, 229, 100));
}

VGuint wordOf(int i)
{
    return (static_cast<VGuint>(i) << 24) | (static_cast<VGuint>(255 - i) << 16) | (7u << 8) | 255u;
}

TEST_F(LookupTest, SingleTableUsesTheChosenChannel)
{
    VGuint table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = wordOf(i);
    const VGImage src = filledImage(VG_sRGBA_8888, 1, 1, rgba(10, 20, 30, 40));
    const VGImage dst = makeImage(VG_sRGBA_8888, 1, 1);
    const std::array<std::pair<VGImageChannel, int>, 4> picks = {
        {{VG_RED, 10}, {VG_GREEN, 20}, {VG_BLUE, 30}, {VG_ALPHA, 40}}};
    for (const auto &[channel, index] : picks) {
        vgLookupSingle(dst, src, table, channel, VG_FALSE, VG_FALSE);
        EXPECT_EQ(rawPixel(dst, 0, 0), rgba(index, 255 - index, 7, 255)) << channel;
    }
}

TEST_F(LookupTest, SingleTableChannelIsCheckedOnlyForColourSources)
{
    VGuint table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = wordOf(i);
    const VGImage rgbaSrc = filledImage(VG_sRGBA_8888, 1, 1, rgba(10, 20, 30, 40));
    const VGImage lumSrc = filledImage(VG_sL_8, 1, 1, 77);
    const VGImage alphaSrc = filledImage(VG_A_8, 1, 1, 99);
    const VGImage dst = filledImage(VG_sRGBA_8888, 1, 1, kSentinel);
    for (int bad : {0, 3, VG_RED | VG_ALPHA, 16, -1}) {
        vgLookupSingle(dst, rgbaSrc, table, static_cast<VGImageChannel>(bad), VG_FALSE, VG_FALSE);
        EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR) << bad;
    }
    EXPECT_EQ(rawPixel(dst, 0, 0), kSentinel);
    // Luminance sources use red (the luminance), VG_A_8 uses alpha, whatever the argument says.
    vgLookupSingle(dst, lumSrc, table, static_cast<VGImageChannel>(3), VG_FALSE, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(77, 178, 7, 255));
    vgLookupSingle(dst, alphaSrc, table, VG_RED, VG_FALSE, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(99, 156, 7, 255));
    // The table must be non-null and 4-byte aligned.
    alignas(4) unsigned char bytes[4 * 257] = {};
    vgLookupSingle(dst, rgbaSrc, reinterpret_cast<const VGuint *>(bytes + 2), VG_RED, VG_FALSE, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgLookupSingle(dst, rgbaSrc, nullptr, VG_RED, VG_FALSE, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
}

TEST_F(LookupTest, SingleTableReadsTheWorkingFormat)
{
    VGuint table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = wordOf(i);
    // Premultiplied working format: red 200 with alpha 128 becomes 200 x 129 >> 8 = 100.
    const VGImage src = filledImage(VG_sRGBA_8888, 1, 1, rgba(200, 0, 0, 128));
    const VGImage dst = makeImage(VG_sRGBA_8888, 1, 1);
    vgSeti(VG_FILTER_FORMAT_PREMULTIPLIED, VG_TRUE);
    vgLookupSingle(dst, src, table, VG_RED, VG_FALSE, VG_FALSE);
    EXPECT_EQ(rawPixel(dst, 0, 0), rgba(100, 155, 7, 255));
}

} // namespace
} // namespace tamarind::test
