// vgClear, vgClearImage and vgMask: argument checks and their order, the clear colour's conversion into
// every kind of colour buffer and image format, clipping, scissoring, and the four mask operations.
// Buffers and images are seeded and inspected directly through the bound context.
#include "context/vg_context.h"
#include "egl/surface.h"
#include "image/clear_and_mask.h"
#include "image/image_object.h"

#include "egl_fixture.h"

#include <EGL/egl.h>
#include <EGL/egl_kl.h>
#include <VG/openvg.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tamarind {
namespace {

using Channels = std::array<int, 4>; // red, green, blue, alpha of one colour buffer pixel

struct Rect {
    int x0, y0, x1, y1; // columns [x0, x1), rows [y0, y1)
    bool holds(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

constexpr Channels kSeed = {1, 2, 3, 4}; // a value no clear in these tests produces

class ClearAndMaskTest : public test::BoundContextTest {
  protected:
    VgContext &vg() { return *static_cast<VgContext *>(eglGetCurrentVGContext()); }
    ColorBuffer &colorBuffer() { return *vg().colorBuffer; }
    MaskBuffer &maskBuffer() { return *vg().maskBuffer; }

    void setClearColor(float r, float g, float b, float a)
    {
        float *c = vg().clearColor;
        c[0] = r;
        c[1] = g;
        c[2] = b;
        c[3] = a;
    }

    // Makes a fresh 64 x 64 pbuffer of the given colour space and alpha format current with the context.
    void bindSurface(EGLint colorSpace, EGLint alphaFormat)
    {
        const EGLint attributes[] = {EGL_WIDTH,        64,          EGL_HEIGHT, 64, EGL_COLORSPACE, colorSpace,
                                     EGL_ALPHA_FORMAT, alphaFormat, EGL_NONE};
        EGLSurface fresh = eglCreatePbufferSurface(display, config, attributes);
        ASSERT_NE(fresh, EGL_NO_SURFACE);
        ASSERT_EQ(eglMakeCurrent(display, fresh, fresh, context), EGL_TRUE);
    }

    void seedColor(Channels value = kSeed)
    {
        ColorBuffer &b = colorBuffer();
        const BufferPixel pixel{static_cast<uint16_t>(value[0]), static_cast<uint16_t>(value[1]),
                                static_cast<uint16_t>(value[2]), static_cast<uint16_t>(value[3])};
        std::fill(b.pixels.data(), b.pixels.data() + b.pixels.size(), pixel);
    }

    Channels pixelAt(int x, int y)
    {
        const BufferPixel &p = colorBuffer().pixels[static_cast<size_t>(y) * colorBuffer().width + x];
        return {p.red, p.green, p.blue, p.alpha};
    }

    // Every pixel for which inside(x, y) holds has `in`, every other one still has the seed.
    template <class Inside>::testing::AssertionResult colorBufferIs(Inside inside, Channels in)
    {
        for (int y = 0; y < colorBuffer().height; ++y) {
            for (int x = 0; x < colorBuffer().width; ++x) {
                const Channels expected = inside(x, y) ? in : kSeed;
                const Channels actual = pixelAt(x, y);
                if (actual != expected)
                    return ::testing::AssertionFailure()
                           << "pixel (" << x << ", " << y << ") is (" << actual[0] << ", " << actual[1] << ", "
                           << actual[2] << ", " << actual[3] << "), expected (" << expected[0] << ", " << expected[1]
                           << ", " << expected[2] << ", " << expected[3] << ")";
            }
        }
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult colorBufferUntouched()
    {
        return colorBufferIs([](int, int) { return false; }, kSeed);
    }

    // The clear colour (1, 0.5, 0, 1) in an sRGB non-premultiplied buffer: 0.5 x 255 = 127.5 -> 127.
    static constexpr Channels kOrange = {255, 127, 0, 255};

    ImageObject &record(VGImage image) { return *isImage(vg(), image); }

    void seedMask(uint8_t value)
    {
        MaskBuffer &m = maskBuffer();
        std::memset(m.pixels.data(), value, m.pixels.size());
    }

    int maskAt(int x, int y) { return maskBuffer().pixels[static_cast<size_t>(y) * maskBuffer().width + x]; }

    // Every mask byte for which inside(x, y) holds equals in(x, y), every other one `outside`.
    template <class Inside, class In>::testing::AssertionResult maskIs(Inside inside, In in, int outside)
    {
        for (int y = 0; y < maskBuffer().height; ++y) {
            for (int x = 0; x < maskBuffer().width; ++x) {
                const int expected = inside(x, y) ? in(x, y) : outside;
                if (maskAt(x, y) != expected)
                    return ::testing::AssertionFailure()
                           << "mask (" << x << ", " << y << ") is " << maskAt(x, y) << ", expected " << expected;
            }
        }
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult maskIsAll(int value)
    {
        return maskIs([](int, int) { return false; }, [](int, int) { return 0; }, value);
    }
};

// ---- the clear colour ----

TEST(ClearColorOf, ScalesByTwoFiftyFiveTruncatingAsNonPremultipliedSrgb)
{
    const float rgba[4] = {1.0f, 0.5f, 0.25f, 0.999f};
    const PixelColor c = clearColorOf(rgba);
    EXPECT_EQ(c.flags, COLOR_SRGB);
    EXPECT_EQ(c.c0, 255);
    EXPECT_EQ(c.c1, 127);    // 127.5 truncated
    EXPECT_EQ(c.c2, 63);     // 63.75 truncated
    EXPECT_EQ(c.alpha, 254); // 254.745 truncated
}

TEST(ClearColorOf, ClampsComponentsToTheUnitRangeFirst)
{
    // Kept in 16 bits unclamped, 1.5 x 255 would give 382, -1 x 255 would wrap to 65281 and
    // 257.1 x 255 = 65560 to 24.
    const float rgba[4] = {1.5f, -1.0f, 257.1f, -0.25f};
    const PixelColor c = clearColorOf(rgba);
    EXPECT_EQ(c.c0, 255);
    EXPECT_EQ(c.c1, 0);
    EXPECT_EQ(c.c2, 255);
    EXPECT_EQ(c.alpha, 0);
}

// ---- vgClear ----

TEST_F(ClearAndMaskTest, ClearChecksTheSizeFirstAndChangesNothingOnError)
{
    seedColor();
    setClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    vgClear(0, 0, 0, 10);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgClear(0, 0, 10, -1);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    // A size error is reported even where the rectangle would miss the surface entirely.
    vgClear(1000, 1000, -5, 10);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_TRUE(colorBufferUntouched());
}

TEST_F(ClearAndMaskTest, ClearOutsideTheSurfaceIsNoError)
{
    seedColor();
    setClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    vgClear(64, 0, 10, 10);
    vgClear(0, 64, 10, 10);
    vgClear(-10, 0, 10, 64); // ends exactly at column 0
    vgClear(0, -10, 64, 10);
    vgClear(INT_MAX, INT_MAX, INT_MAX, INT_MAX);
    vgClear(INT_MIN, INT_MIN, INT_MAX, INT_MAX); // far edges at -1
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_TRUE(colorBufferUntouched());
}

TEST_F(ClearAndMaskTest, ClearIntoSrgbNonPremultipliedStoresTheTruncatedChannels)
{
    seedColor();
    setClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    vgClear(3, 5, 10, 7);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_TRUE(colorBufferIs([](int x, int y) { return Rect{3, 5, 13, 12}.holds(x, y); }, kOrange));
}

TEST_F(ClearAndMaskTest, ClearIntoLinearBuffersGoesThroughTheSrgbTable)
{
    // srgbToLinear: 255 -> 254, 127 -> 54, 0 -> 0; opaque, so premultiplication changes nothing.
    for (EGLint alphaFormat : {EGL_ALPHA_FORMAT_NONPRE, EGL_ALPHA_FORMAT_PRE}) {
        SCOPED_TRACE(alphaFormat);
        bindSurface(EGL_COLORSPACE_LINEAR, alphaFormat);
        seedColor();
        setClearColor(1.0f, 0.5f, 0.0f, 1.0f);
        vgClear(0, 0, 64, 64);
        EXPECT_TRUE(colorBufferIs([](int, int) { return true; }, Channels{254, 54, 0, 255}));
    }
}

TEST_F(ClearAndMaskTest, ClearWithTranslucentColourPremultipliesForPremultipliedBuffers)
{
    // (1, 0.5, 0.25, 0.5) -> (255, 127, 63, 127).
    setClearColor(1.0f, 0.5f, 0.25f, 0.5f);

    bindSurface(EGL_COLORSPACE_sRGB, EGL_ALPHA_FORMAT_NONPRE);
    seedColor();
    vgClear(0, 0, 64, 64);
    EXPECT_TRUE(colorBufferIs([](int, int) { return true; }, Channels{255, 127, 63, 127}));

    // c x (127 + 1) >> 8: 255 -> 127, 127 -> 63, 63 -> 31.
    bindSurface(EGL_COLORSPACE_sRGB, EGL_ALPHA_FORMAT_PRE);
    seedColor();
    vgClear(0, 0, 64, 64);
    EXPECT_TRUE(colorBufferIs([](int, int) { return true; }, Channels{127, 63, 31, 127}));

    // (1, 0.5, 0, 0.5): linear (254, 54, 0), then x 128 >> 8: 127, 27, 0.
    setClearColor(1.0f, 0.5f, 0.0f, 0.5f);
    bindSurface(EGL_COLORSPACE_LINEAR, EGL_ALPHA_FORMAT_PRE);
    seedColor();
    vgClear(0, 0, 64, 64);
    EXPECT_TRUE(colorBufferIs([](int, int) { return true; }, Channels{127, 27, 0, 127}));
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(ClearAndMaskTest, ClearColourComponentsOutsideTheUnitRangeAreClamped)
{
    // Like (1, 0, 1, 1); without the clamp -1 would wrap to 65281 and then clamp to 255, and 257.1 would
    // keep only 24.
    seedColor();
    setClearColor(2.0f, -1.0f, 257.1f, 1.5f);
    vgClear(0, 0, 64, 64);
    EXPECT_TRUE(colorBufferIs([](int, int) { return true; }, Channels{255, 0, 255, 255}));
}

TEST_F(ClearAndMaskTest, ClearClipsAtEveryEdgeWithSaturatingFarEdges)
{
    setClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    struct Case {
        int x, y, width, height;
        Rect cleared;
    };
    const Case cases[] = {
        {-10, -10, 20, 20, {0, 0, 10, 10}},           {60, 58, 100, 100, {60, 58, 64, 64}},
        {-5, 0, INT_MAX, 1, {0, 0, 64, 1}},           // far edge INT_MAX - 5
        {10, 20, INT_MAX, INT_MAX, {10, 20, 64, 64}}, // far edges saturate instead of wrapping negative
        {INT_MIN, 30, INT_MAX, 2, {0, 0, 0, 0}},      // far edge -1: nothing
        {-100, 62, 101, INT_MAX, {0, 62, 1, 64}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << ", " << c.y << ", " << c.width << ", " << c.height);
        seedColor();
        vgClear(c.x, c.y, c.width, c.height);
        EXPECT_TRUE(colorBufferIs([&](int x, int y) { return c.cleared.holds(x, y); }, kOrange));
    }
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(ClearAndMaskTest, ClearWithScissoringOffIgnoresTheRectangles)
{
    vg().scissorRects = {{0, 0, 2, 2}};
    vg().scissoring = 0;
    seedColor();
    setClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    vgClear(0, 0, 64, 64);
    EXPECT_TRUE(colorBufferIs([](int, int) { return true; }, kOrange));
}

TEST_F(ClearAndMaskTest, ClearWithScissoringAndNoRectanglesClearsNothing)
{
    vg().scissoring = 1;
    seedColor();
    setClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    vgClear(0, 0, 64, 64);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_TRUE(colorBufferUntouched());

    vg().scissorRects = {{0, 0, 0, 10}, {5, 5, 10, -3}}; // only degenerate rectangles: still nothing
    vgClear(0, 0, 64, 64);
    EXPECT_TRUE(colorBufferUntouched());
}

TEST_F(ClearAndMaskTest, ClearWithScissoringClearsTheUnionOfTheRectanglesInsideTheClearRectangle)
{
    vg().scissoring = 1;
    setClearColor(1.0f, 0.5f, 0.0f, 1.0f);

    // Two overlapping rectangles plus degenerate ones that must be ignored.
    vg().scissorRects = {{4, 4, 10, 10}, {0, 0, 0, 50}, {8, 8, 10, 10}, {30, 30, -5, 5}};
    seedColor();
    vgClear(0, 0, 64, 64);
    EXPECT_TRUE(colorBufferIs(
        [](int x, int y) {
            return Rect{4, 4, 14, 14}.holds(x, y) || Rect{8, 8, 18, 18}.holds(x, y);
        },
        kOrange));

    // Only the part of the union inside the clear rectangle.
    seedColor();
    vgClear(10, 0, 5, 64);
    EXPECT_TRUE(colorBufferIs(
        [](int x, int y) {
            return Rect{10, 0, 15, 64}.holds(x, y) &&
                   (Rect{4, 4, 14, 14}.holds(x, y) || Rect{8, 8, 18, 18}.holds(x, y));
        },
        kOrange));

    // Rectangles reaching beyond the surface, one with saturating far edges.
    vg().scissorRects = {{50, -10, 100, 30}, {-100, 60, INT_MAX, INT_MAX}};
    seedColor();
    vgClear(0, 0, 64, 64);
    EXPECT_TRUE(colorBufferIs(
        [](int x, int y) {
            return Rect{50, 0, 64, 20}.holds(x, y) || Rect{0, 60, 64, 64}.holds(x, y);
        },
        kOrange));

    // Side by side rectangles sharing an edge form one run; a gap between others stays untouched.
    vg().scissorRects = {{0, 0, 5, 1}, {5, 0, 5, 1}, {20, 0, 3, 1}};
    seedColor();
    vgClear(0, 0, 64, 64);
    EXPECT_TRUE(colorBufferIs([](int x, int y) { return y == 0 && (x < 10 || (x >= 20 && x < 23)); }, kOrange));
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

// ---- vgClearImage ----

uint32_t load32(const ImageObject &image, int x, int y)
{
    uint32_t value;
    std::memcpy(&value, image.pixels + y * image.stride + x * 4, 4);
    return value;
}

uint16_t load16(const ImageObject &image, int x, int y)
{
    uint16_t value;
    std::memcpy(&value, image.pixels + y * image.stride + x * 2, 2);
    return value;
}

TEST_F(ClearAndMaskTest, ClearImage32BitFormatsPackTheConvertedColourOnce)
{
    struct Case {
        VGImageFormat format;
        float color[4];
        uint32_t packed;
    };
    const Case cases[] = {
        // (255, 127, 0, 255) as R 24, G 16, B 8, A 0.
        {VG_sRGBA_8888, {1.0f, 0.5f, 0.0f, 1.0f}, 0xFF7F00FFu},
        // Same channels, ARGB order.
        {VG_sARGB_8888, {1.0f, 0.5f, 0.0f, 1.0f}, 0xFFFF7F00u},
        // (255, 127, 63, 127) premultiplied by 128 >> 8: (127, 63, 31, 127).
        {VG_sRGBA_8888_PRE, {1.0f, 0.5f, 0.25f, 0.5f}, 0x7F3F1F7Fu},
        // Linear (254, 54, 0), alpha 127, premultiplied: (127, 27, 0, 127).
        {VG_lRGBA_8888_PRE, {1.0f, 0.5f, 0.0f, 0.5f}, 0x7F1B007Fu},
        // X formats store alpha in the X byte.
        {VG_sRGBX_8888, {1.0f, 0.5f, 0.0f, 0.5f}, 0xFF7F007Fu},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.format);
        setClearColor(c.color[0], c.color[1], c.color[2], c.color[3]);
        const VGImage image = vgCreateImage(c.format, 8, 4, VG_IMAGE_QUALITY_NONANTIALIASED);
        ImageObject &img = record(image);
        for (int i = 0; i < 8 * 4; ++i)
            std::memcpy(img.pixels + i * 4, "\x44\x33\x22\x11", 4);
        img.mipmapsValid = 1;
        vgClearImage(image, 2, 1, 3, 2);
        EXPECT_EQ(vgGetError(), VG_NO_ERROR);
        EXPECT_EQ(img.mipmapsValid, 0);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(load32(img, x, y), (Rect{2, 1, 5, 3}.holds(x, y) ? c.packed : 0x11223344u))
                    << "at " << x << ", " << y;
        vgDestroyImage(image);
    }
}

TEST_F(ClearAndMaskTest, ClearImage16BitFillsEveryStartAndLengthExactly)
{
    // (255, 127, 0) as 565: 255 >> 3 = 31 at 11, 127 >> 2 = 31 at 5, 0: 0xF800 | 0x03E0 = 0xFBE0.
    // Width 9 gives an 18-byte stride, so rows alternate between word-aligned and unaligned starts.
    setClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    const VGImage image = vgCreateImage(VG_sRGB_565, 9, 3, VG_IMAGE_QUALITY_NONANTIALIASED);
    ImageObject &img = record(image);
    for (int x0 = 0; x0 < 4; ++x0) {
        for (int width = 1; x0 + width <= 9; ++width) {
            SCOPED_TRACE(::testing::Message() << "x " << x0 << " width " << width);
            for (int i = 0; i < 9 * 3; ++i)
                std::memcpy(img.pixels + i * 2, "\x34\x12", 2);
            vgClearImage(image, x0, 0, width, 3);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 9; ++x)
                    ASSERT_EQ(load16(img, x, y), (x >= x0 && x < x0 + width) ? 0xFBE0 : 0x1234)
                        << "at " << x << ", " << y;
        }
    }
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(ClearAndMaskTest, ClearImage8BitFillsBytes)
{
    // A_8 stores alpha: 0.5 x 255 = 127.5 -> 127; the colour channels play no part.
    setClearColor(1.0f, 1.0f, 1.0f, 0.5f);
    const VGImage image = vgCreateImage(VG_A_8, 7, 3, VG_IMAGE_QUALITY_NONANTIALIASED);
    ImageObject &img = record(image);
    std::memset(img.pixels, 0x55, 7 * 3);
    vgClearImage(image, 1, 1, 5, 5);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(img.pixels[y * 7 + x], (Rect{1, 1, 6, 3}.holds(x, y) ? 127 : 0x55)) << "at " << x << ", " << y;
}

TEST_F(ClearAndMaskTest, ClearImage1BitChangesOnlyTheBitsInsideTheRectangle)
{
    // White: linear luminance (54 + 183 + 19) x 254 >> 8 = 254, stored as 254 >> 7 = 1.
    setClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    const VGImage image = vgCreateImage(VG_BW_1, 20, 3, VG_IMAGE_QUALITY_NONANTIALIASED);
    ImageObject &img = record(image); // stride 3 bytes; bits 20 to 23 of each row are padding
    ASSERT_EQ(img.stride, 3);

    // From x = 3 to the far edge: bits 3 and up of byte 0, all of byte 1, bits 0 to 3 of byte 2.
    vgClearImage(image, 3, 0, 100, 3);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(img.pixels[y * 3 + 0], 0xF8);
        EXPECT_EQ(img.pixels[y * 3 + 1], 0xFF);
        EXPECT_EQ(img.pixels[y * 3 + 2], 0x0F);
    }

    // Black inside one byte: bits 3 and 4 of byte 0 of row 1 only.
    std::memset(img.pixels, 0xFF, 9);
    setClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    vgClearImage(image, 3, 1, 2, 1);
    EXPECT_EQ(img.pixels[3], 0xE7);
    for (int i : {0, 1, 2, 4, 5, 6, 7, 8})
        EXPECT_EQ(img.pixels[i], 0xFF) << "byte " << i;

    // Across two byte boundaries: bits 6 to 17 -> byte 0 keeps bits 0 to 5, byte 2 keeps bits 2 and up.
    vgClearImage(image, 6, 2, 12, 1);
    EXPECT_EQ(img.pixels[6], 0x3F);
    EXPECT_EQ(img.pixels[7], 0x00);
    EXPECT_EQ(img.pixels[8], 0xFC);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(ClearAndMaskTest, ClearImageOnAChildAtABitOffsetWritesTheParentsBits)
{
    setClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    const VGImage parent = vgCreateImage(VG_BW_1, 16, 2, VG_IMAGE_QUALITY_NONANTIALIASED);
    const VGImage child = vgChildImage(parent, 5, 0, 8, 2); // child pixel 0 is parent bit 5
    ASSERT_NE(child, VG_INVALID_HANDLE);
    // Child pixels 1 to 4 are parent pixels 6 to 9: bits 6, 7 of byte 0 and bits 0, 1 of byte 1, row 0.
    vgClearImage(child, 1, 0, 4, 1);
    const ImageObject &p = record(parent);
    EXPECT_EQ(p.pixels[0], 0xC0);
    EXPECT_EQ(p.pixels[1], 0x03);
    EXPECT_EQ(p.pixels[2], 0x00);
    EXPECT_EQ(p.pixels[3], 0x00);
    // Clipped to the child: from child pixel 6 on, only child pixels 6 and 7 (parent 11, 12) change.
    vgClearImage(child, 6, 1, 50, 1);
    EXPECT_EQ(p.pixels[2], 0x00);
    EXPECT_EQ(p.pixels[3], 0x18);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(ClearAndMaskTest, ClearImageChecksHandleBeforeSize)
{
    setClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    vgClearImage(VG_INVALID_HANDLE, 0, 0, 0, 0); // bad handle reported before the bad size
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);

    const VGImage image = vgCreateImage(VG_A_8, 4, 4, VG_IMAGE_QUALITY_NONANTIALIASED);
    ImageObject &img = record(image);
    vgClearImage(image, 0, 0, 0, 4);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgClearImage(image, 0, 0, 4, -1);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(img.pixels[i], 0);

    vgDestroyImage(image);
    vgClearImage(image, 0, 0, 4, 4); // destroyed handle
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
}

TEST_F(ClearAndMaskTest, ClearImageOutsideTheImageIsNoError)
{
    setClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    const VGImage image = vgCreateImage(VG_A_8, 4, 4, VG_IMAGE_QUALITY_NONANTIALIASED);
    ImageObject &img = record(image);
    img.mipmapsValid = 1;
    vgClearImage(image, 4, 0, 5, 5);
    vgClearImage(image, 0, 4, 5, 5);
    vgClearImage(image, -5, 0, 5, 4);
    vgClearImage(image, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    vgClearImage(image, INT_MAX, 0, INT_MAX, 4);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(img.pixels[i], 0);
    EXPECT_EQ(img.mipmapsValid, 1) << "nothing was stored";
}

// ---- vgMask ----

TEST_F(ClearAndMaskTest, MaskFillAndClearIgnoreTheHandleAndClip)
{
    seedMask(100);
    vgMask(VG_INVALID_HANDLE, VG_CLEAR_MASK, 10, 10, 5, 5);
    EXPECT_TRUE(maskIs([](int x, int y) { return Rect{10, 10, 15, 15}.holds(x, y); }, [](int, int) { return 0; }, 100));

    seedMask(100);
    vgMask(static_cast<VGImage>(12345), VG_FILL_MASK, -5, 60, 10, 100); // a handle that is no image: not examined
    EXPECT_TRUE(maskIs([](int x, int y) { return Rect{0, 60, 5, 64}.holds(x, y); }, [](int, int) { return 255; }, 100));

    // Far edges saturate.
    seedMask(100);
    vgMask(VG_INVALID_HANDLE, VG_CLEAR_MASK, 32, 40, INT_MAX, INT_MAX);
    EXPECT_TRUE(maskIs([](int x, int y) { return Rect{32, 40, 64, 64}.holds(x, y); }, [](int, int) { return 0; }, 100));
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(ClearAndMaskTest, MaskFillOfAHugeRectangleFromFarLeftCoversTheBuffer)
{
    // (-600000000, -600000000) with the largest size reaches past the buffer on every side, so the
    // whole buffer is filled; clamping the position and size to 2^29 first would have filled nothing.
    seedMask(100);
    vgMask(VG_INVALID_HANDLE, VG_FILL_MASK, -600000000, -600000000, INT_MAX, INT_MAX);
    EXPECT_TRUE(maskIsAll(255));
    vgMask(VG_INVALID_HANDLE, VG_CLEAR_MASK, INT_MIN, INT_MIN, INT_MAX, INT_MAX); // far edges -1: nothing
    EXPECT_TRUE(maskIsAll(255));
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(ClearAndMaskTest, MaskChecksHandleThenOperationAndSize)
{
    const VGImage image = vgCreateImage(VG_A_8, 4, 4, VG_IMAGE_QUALITY_NONANTIALIASED);
    seedMask(100);

    vgMask(VG_INVALID_HANDLE, VG_SET_MASK, 0, 0, 4, 4);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgMask(VG_INVALID_HANDLE, static_cast<VGMaskOperation>(0x1506), 0, 0, 4, 4); // bad handle first
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgMask(VG_INVALID_HANDLE, VG_UNION_MASK, 0, 0, 0, 0);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);

    vgMask(image, static_cast<VGMaskOperation>(0x1506), 0, 0, 4, 4);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgMask(image, static_cast<VGMaskOperation>(0x14FF), 0, 0, 4, 4);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    // As a C caller may pass it: a negative value, outside the enumeration's range (the sanitizer build
    // would stop here if the entry point loaded it through the enum type).
    vgMask(image, static_cast<VGMaskOperation>(-1), 0, 0, 4, 4);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgMask(image, VG_SET_MASK, 0, 0, 0, 4);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    vgMask(VG_INVALID_HANDLE, VG_FILL_MASK, 0, 0, 4, -1);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);

    EXPECT_TRUE(maskIsAll(100)) << "a call that records an error changes nothing";
}

TEST_F(ClearAndMaskTest, MaskOperationsCombineMaskAndImageValue)
{
    struct Case {
        VGMaskOperation operation;
        int mask, value, expected;
    };
    const Case cases[] = {
        {VG_SET_MASK, 77, 128, 128},       {VG_UNION_MASK, 128, 128, 192},     // 255 - 127 x 127 / 255 = 255 - 63
        {VG_UNION_MASK, 255, 0, 255},                                          // 255 - 255 x 0 / 255
        {VG_UNION_MASK, 0, 0, 0},          {VG_INTERSECT_MASK, 255, 128, 128}, // 128 x 255 / 255
        {VG_INTERSECT_MASK, 200, 100, 78},                                     // 20000 / 255 = 78.4
        {VG_SUBTRACT_MASK, 100, 128, 49},                                      // 127 x 100 / 255 = 49.8
        {VG_SUBTRACT_MASK, 255, 255, 0},   {VG_SUBTRACT_MASK, 255, 0, 255},
    };
    const VGImage image = vgCreateImage(VG_A_8, 64, 64, VG_IMAGE_QUALITY_NONANTIALIASED);
    ImageObject &img = record(image);
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "operation " << std::hex << c.operation << std::dec << " mask " << c.mask
                                          << " value " << c.value);
        std::memset(img.pixels, c.value, 64 * 64);
        seedMask(static_cast<uint8_t>(c.mask));
        vgMask(image, c.operation, 0, 0, 64, 64);
        EXPECT_TRUE(maskIsAll(c.expected));
    }
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(ClearAndMaskTest, MaskImageValueIsLuminanceElseAlphaElseRed)
{
    struct Case {
        VGImageFormat format;
        std::vector<uint8_t> bytes; // row 0 of a 4 x 1 image, multi-byte pixels little endian
        std::array<int, 4> values;
    };
    const Case cases[] = {
        // 565: red 16 -> 16 x 8 + 16 / 4 = 132; green full (255) and the implied alpha 255 are not used.
        // Pixels 0x87E0, 0x87E0, 0xF800 (red 31 -> 255), 0x07FF (red 0).
        {VG_sRGB_565, {0xE0, 0x87, 0xE0, 0x87, 0x00, 0xF8, 0xFF, 0x07}, {132, 132, 255, 0}},
        // sRGBA_8888 0x10203040 gives alpha 0x40; 0xFF000000 (red only) gives 0; 0xFFFFFF01 gives 1.
        {VG_sRGBA_8888,
         {0x40, 0x30, 0x20, 0x10, 0x00, 0x00, 0x00, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0x80, 0, 0, 0},
         {0x40, 0x00, 0x01, 0x80}},
        // X formats act through red; the X byte (0x00 here) is not alpha.
        {VG_lRGBX_8888, {0x00, 0x00, 0x00, 0x50, 0, 0, 0, 0, 0xFF, 0, 0, 0x07, 0, 0, 0, 0}, {0x50, 0, 0x07, 0}},
        // sL_8: the raw byte, not linearised (srgbToLinear[100] would be far smaller).
        {VG_sL_8, {100, 0, 255, 17}, {100, 0, 255, 17}},
        // BW_1: the least significant bit is pixel 0; set bits give 255.
        {VG_BW_1, {0x05}, {255, 0, 255, 0}},
        // A_8: the byte is alpha.
        {VG_A_8, {9, 8, 7, 6}, {9, 8, 7, 6}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.format);
        const VGImage image = vgCreateImage(c.format, 4, 1, VG_IMAGE_QUALITY_NONANTIALIASED);
        ImageObject &img = record(image);
        ASSERT_EQ(static_cast<size_t>(img.stride), c.bytes.size());
        std::memcpy(img.pixels, c.bytes.data(), c.bytes.size());
        seedMask(33);
        vgMask(image, VG_SET_MASK, 0, 0, 4, 1);
        EXPECT_TRUE(maskIs([](int x, int y) { return y == 0 && x < 4; }, [&](int x, int) { return c.values[x]; }, 33));
        vgDestroyImage(image);
    }
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(ClearAndMaskTest, MaskChangesOnlyThePartTheImageCovers)
{
    // A 4 x 3 image smaller than the 30 x 30 region: only 4 x 3 mask pixels change.
    const VGImage small = vgCreateImage(VG_A_8, 4, 3, VG_IMAGE_QUALITY_NONANTIALIASED);
    std::memset(record(small).pixels, 200, 12);
    seedMask(50);
    vgMask(small, VG_SET_MASK, 10, 20, 30, 30);
    EXPECT_TRUE(maskIs(
        [](int x, int y) {
            return Rect{10, 20, 14, 23}.holds(x, y);
        },
        [](int, int) { return 200; }, 50));

    // A region narrower than the image limits it too.
    seedMask(50);
    vgMask(small, VG_SET_MASK, 10, 20, 2, 1);
    EXPECT_TRUE(maskIs(
        [](int x, int y) {
            return Rect{10, 20, 12, 21}.holds(x, y);
        },
        [](int, int) { return 200; }, 50));
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

TEST_F(ClearAndMaskTest, MaskAtNegativeOrFarOffsetsUsesTheOverlappingImagePixels)
{
    // Image pixel (ix, iy) holds 10 x iy + ix.
    const VGImage image = vgCreateImage(VG_A_8, 4, 4, VG_IMAGE_QUALITY_NONANTIALIASED);
    ImageObject &img = record(image);
    for (int iy = 0; iy < 4; ++iy)
        for (int ix = 0; ix < 4; ++ix)
            img.pixels[iy * 4 + ix] = static_cast<uint8_t>(10 * iy + ix);

    // Laid at (-2, -1): mask (x, y) takes image (x + 2, y + 1) for x < 2, y < 3.
    seedMask(250);
    vgMask(image, VG_SET_MASK, -2, -1, 4, 4);
    EXPECT_TRUE(
        maskIs([](int x, int y) { return x < 2 && y < 3; }, [](int x, int y) { return 10 * (y + 1) + x + 2; }, 250));

    // Laid at (62, 61): only image columns 0, 1 and rows 0 to 2 fall on the buffer.
    seedMask(250);
    vgMask(image, VG_SET_MASK, 62, 61, 4, 4);
    EXPECT_TRUE(maskIs([](int x, int y) { return x >= 62 && y >= 61; },
                       [](int x, int y) { return 10 * (y - 61) + x - 62; }, 250));

    // Wholly outside, including extreme positions: nothing changes.
    seedMask(250);
    vgMask(image, VG_SET_MASK, INT_MAX, 0, INT_MAX, 4);
    vgMask(image, VG_SET_MASK, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    vgMask(image, VG_SET_MASK, -4, 0, 4, 4);
    EXPECT_TRUE(maskIsAll(250));
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

} // namespace
} // namespace tamarind
