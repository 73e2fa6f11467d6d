// Pbuffers made from images: the checks of eglCreatePbufferFromClientBuffer in their order, the image kept
// alive by its surface, the working colour buffer loaded at the first binding and stored back at the last,
// the image in use (and refused by every image-taking call) while bound, and the lock while it is shared.
#include "image_record_access.h"
#include "worker_thread.h"

#include "context/api_lock.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace tamarind::test {
namespace {

EGLClientBuffer bufferOf(VGImage image)
{
    return reinterpret_cast<EGLClientBuffer>(static_cast<uintptr_t>(image));
}


class ClientBufferTest : public BoundContextTest {
protected:
    void TearDown() override
    {
        if (eglGetCurrentVGContext() != nullptr) {
            EXPECT_EQ(vgGetError(), VG_NO_ERROR) << "a VG error was left pending";
        }
        BoundContextTest::TearDown();
    }

    static VGImage makeImage(VGImageFormat format, int w, int h)
    {
        const VGImage image = vgCreateImage(format, w, h, VG_IMAGE_QUALITY_NONANTIALIASED);
        EXPECT_NE(image, VG_INVALID_HANDLE);
        return image;
    }

    EGLSurface fromImage(VGImage image, int configIndex = 0, const EGLint *attributes = nullptr)
    {
        return eglCreatePbufferFromClientBuffer(display, EGL_OPENVG_IMAGE, bufferOf(image), configAt(configIndex),
                                                attributes);
    }

    // A context of `configIndex` that shares the fixture context's objects.
    EGLContext sharedContext(int configIndex)
    {
        const EGLContext shared = eglCreateContext(display, configAt(configIndex), context, nullptr);
        EXPECT_NE(shared, EGL_NO_CONTEXT);
        return shared;
    }

    bool bind(EGLSurface target, EGLContext with)
    {
        return eglMakeCurrent(display, target, target, with) == EGL_TRUE;
    }

    void bindFixture() { ASSERT_TRUE(bind(surface, context)); }

    EGLint query(EGLSurface target, EGLint attribute)
    {
        EGLint value = -12345;
        EXPECT_EQ(eglQuerySurface(display, target, attribute, &value), EGL_TRUE);
        return value;
    }

    // A VG_sRGBA_8888 image whose pixels carry red x + 1, green y + 1, blue 0x5A, alpha 255.
    static VGImage taggedImage(int w, int h)
    {
        const VGImage image = makeImage(VG_sRGBA_8888, w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                setRawPixel(image, x, y, rgba(static_cast<uint32_t>(x + 1), static_cast<uint32_t>(y + 1), 0x5A, 255));
        return image;
    }

    static uint32_t tagAt(int x, int y)
    {
        return rgba(static_cast<uint32_t>(x + 1), static_cast<uint32_t>(y + 1), 0x5A, 255);
    }

    // One VG_sRGBA_8888 pixel of the bound surface.
    static uint32_t readSurface(int x, int y)
    {
        uint32_t value = 0;
        vgReadPixels(&value, 4, VG_sRGBA_8888, x, y, 1, 1);
        return value;
    }

    static void writeSurface(int x, int y, uint32_t value)
    {
        vgWritePixels(&value, 4, VG_sRGBA_8888, x, y, 1, 1);
    }

    // One VG_sRGBA_8888 pixel of an image through vgGetImageSubData.
    static uint32_t readImage(VGImage image, int x, int y)
    {
        uint32_t value = 0;
        vgGetImageSubData(image, &value, 4, VG_sRGBA_8888, x, y, 1, 1);
        return value;
    }
};

// ---------------------------------------------------------------------------------------------------------
// Creation.

TEST_F(ClientBufferTest, CreationChecksDisplayBufferAccessConfigAttributesAndBitSizesInOrder)
{
    const VGImage image = taggedImage(8, 8);
    const VGImage destroyed = makeImage(VG_sRGBA_8888, 8, 8);
    vgDestroyImage(destroyed);
    const EGLint attributes[] = {EGL_WIDTH, 4, EGL_NONE};
    const EGLint empty[] = {EGL_NONE};

    // The display first, whatever else is wrong.
    EXPECT_EQ(eglCreatePbufferFromClientBuffer(reinterpret_cast<EGLDisplay>(1), 0, nullptr, configAt(9), attributes),
              EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);

    // The buffer: its type, null, or a value that names no live image; before access, config and the rest.
    EXPECT_EQ(eglCreatePbufferFromClientBuffer(display, EGL_OPENVG_API, bufferOf(image), configAt(9), attributes),
              EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(eglCreatePbufferFromClientBuffer(display, EGL_OPENVG_IMAGE, nullptr, configAt(9), attributes),
              EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(fromImage(destroyed, 9, attributes), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(fromImage(image + 1000), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    if constexpr (sizeof(uintptr_t) > 4) {
        const auto wide = reinterpret_cast<EGLClientBuffer>(static_cast<uintptr_t>(image) | (uintptr_t{1} << 32));
        EXPECT_EQ(eglCreatePbufferFromClientBuffer(display, EGL_OPENVG_IMAGE, wide, config, nullptr), EGL_NO_SURFACE);
        EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER) << "the high bits are part of the value";
    }

    // Access: an image with a child, and the child itself; before config and attributes.
    const VGImage child = vgChildImage(image, 0, 0, 4, 4);
    ASSERT_NE(child, VG_INVALID_HANDLE);
    EXPECT_EQ(fromImage(image, 9, attributes), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_BAD_ACCESS);
    EXPECT_EQ(fromImage(child, 9, attributes), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_BAD_ACCESS);
    vgDestroyImage(child);

    // The config before the attributes and the bit sizes.
    EXPECT_EQ(fromImage(image, 7, attributes), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_BAD_CONFIG);
    EXPECT_EQ(fromImage(image, -1, attributes), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_BAD_CONFIG);

    // Any attribute before the bit sizes; an empty list is fine.
    EXPECT_EQ(fromImage(image, 2, attributes), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_BAD_ATTRIBUTE);
    EXPECT_EQ(fromImage(image, 2, empty), EGL_NO_SURFACE); // 565 configuration for an 8888 image
    EXPECT_EQ(eglGetError(), EGL_BAD_MATCH);

    const EGLSurface made = fromImage(image, 0, empty);
    EXPECT_NE(made, EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);

    // An image already behind a surface is shared: a second surface is refused until the first goes.
    EXPECT_EQ(fromImage(image), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_BAD_ACCESS);
    EXPECT_NE(vgChildImage(image, 0, 0, 1, 1), VG_INVALID_HANDLE) << "an unbound surface's image may get children";
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(eglDestroySurface(display, made), EGL_TRUE);
}

TEST_F(ClientBufferTest, ASurfaceCanBeMadeAgainOnceTheFirstIsDestroyed)
{
    const VGImage image = taggedImage(4, 4);
    const EGLSurface first = fromImage(image);
    ASSERT_NE(first, EGL_NO_SURFACE);
    EXPECT_EQ(eglDestroySurface(display, first), EGL_TRUE);
    const EGLSurface second = fromImage(image);
    EXPECT_NE(second, EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    // Nothing shares the image any more than the one surface: it binds.
    EXPECT_TRUE(bind(second, context));
    EXPECT_EQ(readSurface(3, 3), tagAt(3, 3));
}

TEST_F(ClientBufferTest, TheImageMayComeFromAContextOfAnotherShareGroup)
{
    const EGLContext other = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    ASSERT_NE(other, EGL_NO_CONTEXT);
    ASSERT_TRUE(bind(surface, other));
    const VGImage foreign = taggedImage(4, 4);
    bindFixture();
    EXPECT_EQ(readImage(foreign, 0, 0), 0u);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR) << "the fixture's context does not know the handle";

    const EGLSurface made = fromImage(foreign);
    ASSERT_NE(made, EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    ASSERT_TRUE(bind(made, context));
    EXPECT_EQ(readSurface(2, 1), tagAt(2, 1));

    // An image whose creating context is gone died with it.
    bindFixture();
    ASSERT_TRUE(bind(surface, other));
    const VGImage doomed = taggedImage(2, 2);
    bindFixture();
    EXPECT_EQ(eglDestroyContext(display, other), EGL_TRUE);
    EXPECT_EQ(fromImage(doomed), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
}

struct MatchCase {
    VGImageFormat format;
    int config;
    bool matches;
};

// The configurations: 0 sRGBA_8888, 1 sRGBA_5551, 2 sRGB_565, 3 sRGBA_4444, 4 A_8, 5 sL_8, 6 BW_1. Only the
// bit sizes count, not the channel order, colour space or premultiplication.
void PrintTo(const MatchCase &c, std::ostream *os)
{
    *os << "format 0x" << std::hex << c.format << std::dec << " config " << c.config;
}

const MatchCase kMatchCases[] = {
    {VG_sRGBA_8888, 0, true},      {VG_sABGR_8888, 0, true},  {VG_lRGBA_8888, 0, true},
    {VG_sRGBA_8888_PRE, 0, true},  {VG_lARGB_8888_PRE, 0, true}, {VG_sRGBX_8888, 0, false},
    {VG_lXBGR_8888, 0, false},     {VG_sRGB_565, 0, false},   {VG_sRGBA_8888, 2, false},
    {VG_sRGBA_5551, 1, true},      {VG_sABGR_1555, 1, true},  {VG_sRGBA_4444, 1, false},
    {VG_sRGB_565, 2, true},        {VG_sBGR_565, 2, true},    {VG_sRGBA_4444, 3, true},
    {VG_sARGB_4444, 3, true},      {VG_A_8, 4, true},         {VG_A_8, 5, false},
    {VG_sL_8, 5, true},            {VG_lL_8, 5, true},        {VG_sL_8, 4, false},
    {VG_BW_1, 6, true},            {VG_BW_1, 5, false},       {VG_lL_8, 6, false},
};

class ClientBufferBitSizes : public ClientBufferTest, public ::testing::WithParamInterface<MatchCase> {};

TEST_P(ClientBufferBitSizes, MustEqualTheConfiguration)
{
    const MatchCase &c = GetParam();
    const VGImage image = makeImage(c.format, 4, 4);
    const EGLSurface made = fromImage(image, c.config);
    if (c.matches) {
        EXPECT_NE(made, EGL_NO_SURFACE);
        EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    } else {
        EXPECT_EQ(made, EGL_NO_SURFACE);
        EXPECT_EQ(eglGetError(), EGL_BAD_MATCH);
    }
}

INSTANTIATE_TEST_SUITE_P(ClientBuffer, ClientBufferBitSizes, ::testing::ValuesIn(kMatchCases),
                         [](const auto &info) {
                             return "Format" + std::to_string(info.param.format) + "_Config" +
                                    std::to_string(info.param.config);
                         });

TEST_F(ClientBufferTest, TheSurfaceTakesTheImageSizeAndInternalFormat)
{
    const VGImage linearPre = makeImage(VG_lRGBA_8888_PRE, 5, 3);
    const EGLSurface made = fromImage(linearPre);
    ASSERT_NE(made, EGL_NO_SURFACE);
    EXPECT_EQ(query(made, EGL_WIDTH), 5);
    EXPECT_EQ(query(made, EGL_HEIGHT), 3);
    EXPECT_EQ(query(made, EGL_COLORSPACE), EGL_COLORSPACE_LINEAR);
    EXPECT_EQ(query(made, EGL_ALPHA_FORMAT), EGL_ALPHA_FORMAT_PRE);
    EXPECT_EQ(query(made, EGL_CONFIG_ID), 1);
    EXPECT_EQ(query(made, EGL_RENDER_BUFFER), EGL_BACK_BUFFER);
    EXPECT_EQ(query(made, EGL_LARGEST_PBUFFER), 0);

    const VGImage srgb = makeImage(VG_sARGB_8888, 2, 7);
    const EGLSurface second = fromImage(srgb);
    ASSERT_NE(second, EGL_NO_SURFACE);
    EXPECT_EQ(query(second, EGL_WIDTH), 2);
    EXPECT_EQ(query(second, EGL_HEIGHT), 7);
    EXPECT_EQ(query(second, EGL_COLORSPACE), EGL_COLORSPACE_sRGB);
    EXPECT_EQ(query(second, EGL_ALPHA_FORMAT), EGL_ALPHA_FORMAT_NONPRE);

    // The mask has the image's size, all 255.
    ASSERT_TRUE(bind(made, context));
    const MaskBuffer *mask = currentVg().maskBuffer;
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->width, 5);
    EXPECT_EQ(mask->height, 3);
    for (size_t i = 0; i < 15; ++i)
        EXPECT_EQ(mask->pixels.data()[i], 255);
}

// ---------------------------------------------------------------------------------------------------------
// Round trips: the image's pixels appear on the surface when it is bound and the drawing returns to the
// image when it is unbound.

TEST_F(ClientBufferTest, RoundTripThroughTheSurface)
{
    const VGImage image = makeImage(VG_sRGBA_8888, 4, 4);
    uint32_t data[4][4];
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            data[y][x] = rgba(static_cast<uint32_t>(16 * x + 3), static_cast<uint32_t>(16 * y + 5), 0x77,
                              static_cast<uint32_t>(0x40 + 8 * (x + y)));
    vgImageSubData(image, data, 16, VG_sRGBA_8888, 0, 0, 4, 4);

    const EGLSurface made = fromImage(image);
    ASSERT_NE(made, EGL_NO_SURFACE);
    ASSERT_TRUE(bind(made, context));
    uint32_t seen[4][4] = {};
    vgReadPixels(seen, 16, VG_sRGBA_8888, 0, 0, 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(seen[y][x], data[y][x]) << x << ", " << y;

    const uint32_t changed = rgba(9, 8, 7, 6);
    writeSurface(2, 1, changed);
    bindFixture();
    uint32_t after[4][4] = {};
    vgGetImageSubData(image, after, 16, VG_sRGBA_8888, 0, 0, 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(after[y][x], (x == 2 && y == 1) ? changed : data[y][x]) << x << ", " << y;
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

struct FormatTrip {
    const char *name;
    VGImageFormat format;
    uint32_t stored;       // raw pixel (0, 0) of the image
    uint32_t seenAsSrgb;   // that pixel read from the surface as VG_sRGBA_8888
    uint32_t written;      // VG_sRGBA_8888 pixel written at (0, 0) while bound
    uint32_t storedAfter;  // raw pixel (0, 0) of the image after unbinding
};

void PrintTo(const FormatTrip &trip, std::ostream *os)
{
    *os << trip.name;
}

const FormatTrip kFormatTrips[] = {
    // Linear 128 shows as sRGB 187; sRGB (255, 128, 0) is stored as linear (254, 55, 0).
    {"Linear", VG_lRGBA_8888, rgba(128, 128, 128, 255), rgba(187, 187, 187, 255), rgba(255, 128, 0, 255),
     rgba(254, 55, 0, 255)},
    // (100, 50, 25) at alpha 127 shows as 100 x 256 / 128 = 200, 100, 50; (255, 0, 255) at alpha 51 is
    // stored as 255 x 52 >> 8 = 51.
    {"Premultiplied", VG_sRGBA_8888_PRE, rgba(100, 50, 25, 127), rgba(200, 100, 50, 127), rgba(255, 0, 255, 51),
     rgba(51, 0, 51, 51)},
    // (64, 32, 0) at alpha 64: 64 x 256 / 65 = 252 -> sRGB 253, 32 x 256 / 65 = 126 -> sRGB 186; sRGB
    // (255, 128, 0) at alpha 127: linear (254, 55, 0), x 128 >> 8 = (127, 27, 0).
    {"LinearPremultiplied", VG_lRGBA_8888_PRE, rgba(64, 32, 0, 64), rgba(253, 186, 0, 64), rgba(255, 128, 0, 127),
     rgba(127, 27, 0, 127)},
};

class ClientBufferFormatTrip : public ClientBufferTest, public ::testing::WithParamInterface<FormatTrip> {};

TEST_P(ClientBufferFormatTrip, TheWorkingBufferCarriesTheImageFormat)
{
    const FormatTrip &trip = GetParam();
    const VGImage image = makeImage(trip.format, 2, 2);
    setRawPixel(image, 0, 0, trip.stored);
    setRawPixel(image, 1, 1, trip.stored);
    const EGLSurface made = fromImage(image);
    ASSERT_NE(made, EGL_NO_SURFACE);
    ASSERT_TRUE(bind(made, context));
    EXPECT_EQ(readSurface(0, 0), trip.seenAsSrgb);
    uint32_t own = 0;
    vgReadPixels(&own, 4, trip.format, 1, 1, 1, 1);
    EXPECT_EQ(own, trip.stored) << "read in its own format the pixel comes back unchanged";
    writeSurface(0, 0, trip.written);
    bindFixture();
    EXPECT_EQ(rawPixel(image, 0, 0), trip.storedAfter);
    EXPECT_EQ(rawPixel(image, 1, 1), trip.stored);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

INSTANTIATE_TEST_SUITE_P(ClientBuffer, ClientBufferFormatTrip, ::testing::ValuesIn(kFormatTrips),
                         [](const auto &info) { return std::string(info.param.name); });

// Every configuration's own kind of image: loading and storing lose nothing, and a pixel written in the
// image's format arrives in the image.
struct ConfigTrip {
    const char *name;
    VGImageFormat format;
    int config;
    int width, height;
};

void PrintTo(const ConfigTrip &trip, std::ostream *os)
{
    *os << trip.name;
}

const ConfigTrip kConfigTrips[] = {
    {"Rgba8888", VG_sRGBA_8888, 0, 5, 3}, {"Bgra5551", VG_sBGRA_5551, 1, 5, 3}, {"Rgb565", VG_sRGB_565, 2, 5, 3},
    {"Argb4444", VG_sARGB_4444, 3, 5, 3}, {"Alpha8", VG_A_8, 4, 5, 3},          {"Srgb8", VG_sL_8, 5, 5, 3},
    {"Linear8", VG_lL_8, 5, 5, 3},        {"Bw1", VG_BW_1, 6, 10, 3},
};

class ClientBufferConfigTrip : public ClientBufferTest, public ::testing::WithParamInterface<ConfigTrip> {};

uint32_t patternOf(int bits, int x, int y)
{
    switch (bits) {
    case 32:
        return 0x01020304u * static_cast<uint32_t>(x + 1) + 0x10305070u * static_cast<uint32_t>(y + 1);
    case 16:
        return (static_cast<uint32_t>(x) * 0x1357u + static_cast<uint32_t>(y) * 0x2468u + 0x0F0Fu) & 0xFFFFu;
    case 8:
        return (static_cast<uint32_t>(x) * 37u + static_cast<uint32_t>(y) * 91u + 5u) & 0xFFu;
    default:
        return (x + 2 * y) % 3 == 0 ? 1u : 0u;
    }
}

TEST_P(ClientBufferConfigTrip, LoadsAndStoresWithoutLoss)
{
    const ConfigTrip &trip = GetParam();
    const int bits = describeFormat(trip.format).bitsPerPixel;
    const VGImage image = makeImage(trip.format, trip.width, trip.height);
    for (int y = 0; y < trip.height; ++y)
        for (int x = 0; x < trip.width; ++x)
            setRawPixel(image, x, y, patternOf(bits, x, y));
    const EGLSurface made = fromImage(image, trip.config);
    ASSERT_NE(made, EGL_NO_SURFACE);
    const EGLContext own = sharedContext(trip.config);
    ASSERT_TRUE(bind(made, own));

    // Read the whole surface in the image's format into memory laid out like the image.
    const int stride = 8 * 4;
    alignas(8) uint8_t memory[8 * 4 * 3] = {};
    vgReadPixels(memory, stride, trip.format, 0, 0, trip.width, trip.height);
    ImageObject view = wrapClientMemory(trip.format, memory, stride, trip.width, trip.height);
    for (int y = 0; y < trip.height; ++y)
        for (int x = 0; x < trip.width; ++x)
            EXPECT_EQ(rawPixelOf(view, x, y), patternOf(bits, x, y)) << x << ", " << y;

    // Write one pixel in the image's format: the complement of the pattern's value there.
    const uint32_t mask = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
    const uint32_t changed = ~patternOf(bits, 1, 1) & mask;
    alignas(8) uint8_t one[4] = {};
    ImageObject oneView = wrapClientMemory(trip.format, one, 4, 1, 1);
    setRawPixelOf(oneView, 0, 0, changed);
    vgWritePixels(one, 4, trip.format, 1, 1, 1, 1);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);

    bindFixture();
    for (int y = 0; y < trip.height; ++y)
        for (int x = 0; x < trip.width; ++x)
            EXPECT_EQ(rawPixel(image, x, y), (x == 1 && y == 1) ? changed : patternOf(bits, x, y)) << x << ", " << y;
}

INSTANTIATE_TEST_SUITE_P(ClientBuffer, ClientBufferConfigTrip, ::testing::ValuesIn(kConfigTrips),
                         [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------------------
// The image in use.

struct ImageCall {
    const char *name;
    std::function<void(VGImage used, VGImage other)> call;
};

std::vector<ImageCall> imageCalls()
{
    static uint32_t memory[16];
    return {
        {"ChildImage", [](VGImage used, VGImage) { vgChildImage(used, 0, 0, 1, 1); }},
        {"ImageSubData", [](VGImage used, VGImage) { vgImageSubData(used, memory, 16, VG_sRGBA_8888, 0, 0, 2, 2); }},
        {"GetImageSubData",
         [](VGImage used, VGImage) { vgGetImageSubData(used, memory, 16, VG_sRGBA_8888, 0, 0, 2, 2); }},
        {"CopyImageInto", [](VGImage used, VGImage other) { vgCopyImage(used, 0, 0, other, 0, 0, 2, 2, VG_FALSE); }},
        {"CopyImageFrom", [](VGImage used, VGImage other) { vgCopyImage(other, 0, 0, used, 0, 0, 2, 2, VG_TRUE); }},
        {"CopyImageOntoItself",
         [](VGImage used, VGImage) { vgCopyImage(used, 1, 0, used, 0, 0, 2, 2, VG_FALSE); }},
        {"SetPixels", [](VGImage used, VGImage) { vgSetPixels(0, 0, used, 0, 0, 2, 2); }},
        {"GetPixels", [](VGImage used, VGImage) { vgGetPixels(used, 0, 0, 0, 0, 2, 2); }},
        {"ClearImage", [](VGImage used, VGImage) { vgClearImage(used, 0, 0, 2, 2); }},
        {"Mask", [](VGImage used, VGImage) { vgMask(used, VG_SET_MASK, 0, 0, 2, 2); }},
    };
}

// In use also comes before a bad format, pointer or size.
std::vector<ImageCall> imageCallsWithBadArguments()
{
    return {
        {"ChildImage", [](VGImage used, VGImage) { vgChildImage(used, -1, 0, 0, 0); }},
        {"ImageSubData",
         [](VGImage used, VGImage) { vgImageSubData(used, nullptr, 0, static_cast<VGImageFormat>(13), 0, 0, 0, 0); }},
        {"GetImageSubData",
         [](VGImage used, VGImage) {
             vgGetImageSubData(used, nullptr, 0, static_cast<VGImageFormat>(13), 0, 0, 0, 0);
         }},
        {"CopyImageInto", [](VGImage used, VGImage other) { vgCopyImage(used, 0, 0, other, 0, 0, 0, 0, VG_FALSE); }},
        {"CopyImageFrom", [](VGImage used, VGImage other) { vgCopyImage(other, 0, 0, used, 0, 0, 0, -1, VG_FALSE); }},
        {"SetPixels", [](VGImage used, VGImage) { vgSetPixels(0, 0, used, 0, 0, 0, 0); }},
        {"GetPixels", [](VGImage used, VGImage) { vgGetPixels(used, 0, 0, 0, 0, -1, 2); }},
        {"ClearImage", [](VGImage used, VGImage) { vgClearImage(used, 0, 0, 0, 0); }},
        {"Mask", [](VGImage used, VGImage) { vgMask(used, VG_SET_MASK, 0, 0, 0, 0); }},
    };
}

TEST_F(ClientBufferTest, WhileBoundEveryImageCallAnswersInUse)
{
    const VGImage used = taggedImage(4, 4);
    const VGImage other = taggedImage(4, 4);
    const EGLSurface made = fromImage(used);
    ASSERT_NE(made, EGL_NO_SURFACE);
    EXPECT_EQ(eglIsInUse(used), EGL_FALSE) << "a surface that is not bound does not use its image";
    ASSERT_TRUE(bind(made, context));
    EXPECT_EQ(eglIsInUse(used), EGL_TRUE);
    EXPECT_EQ(eglIsInUse(other), EGL_FALSE);
    EXPECT_EQ(eglIsInUse(VG_INVALID_HANDLE), EGL_FALSE);

    for (const ImageCall &c : imageCalls()) {
        c.call(used, other);
        EXPECT_EQ(vgGetError(), VG_IMAGE_IN_USE_ERROR) << c.name;
    }
    for (const ImageCall &c : imageCallsWithBadArguments()) {
        c.call(used, other);
        EXPECT_EQ(vgGetError(), VG_IMAGE_IN_USE_ERROR) << c.name << " with bad arguments";
    }
    EXPECT_EQ(vgChildImage(used, 0, 0, 1, 1), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_IMAGE_IN_USE_ERROR);
    // A bad handle still comes first.
    vgCopyImage(used, 0, 0, VG_INVALID_HANDLE, 0, 0, 2, 2, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    vgCopyImage(VG_INVALID_HANDLE, 0, 0, used, 0, 0, 2, 2, VG_FALSE);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    // The other image is untouched by the refused copies.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(rawPixel(other, x, y), tagAt(x, y)) << x << ", " << y;

    // Unbound, the image is free again and nothing of the refused calls reached it.
    bindFixture();
    EXPECT_EQ(eglIsInUse(used), EGL_FALSE);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(rawPixel(used, x, y), tagAt(x, y)) << x << ", " << y;
    for (const ImageCall &c : imageCalls()) {
        c.call(used, other);
        EXPECT_EQ(vgGetError(), VG_NO_ERROR) << c.name;
    }
}

TEST_F(ClientBufferTest, InUseWhileAnotherThreadHasItBound)
{
    const VGImage image = taggedImage(4, 4);
    const EGLSurface made = fromImage(image);
    ASSERT_NE(made, EGL_NO_SURFACE);
    const EGLContext shared = sharedContext(0);
    WorkerThread worker;
    worker.run([&] {
        ASSERT_EQ(eglBindAPI(EGL_OPENVG_API), EGL_TRUE);
        ASSERT_TRUE(bind(made, shared));
        writeSurface(1, 2, rgba(1, 2, 3, 4));
        EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    });

    EXPECT_EQ(eglIsInUse(image), EGL_TRUE);
    uint32_t value = 0;
    vgGetImageSubData(image, &value, 4, VG_sRGBA_8888, 0, 0, 1, 1);
    EXPECT_EQ(vgGetError(), VG_IMAGE_IN_USE_ERROR);
    vgImageSubData(image, &value, 4, VG_sRGBA_8888, 0, 0, 1, 1);
    EXPECT_EQ(vgGetError(), VG_IMAGE_IN_USE_ERROR);
    EXPECT_EQ(vgChildImage(image, 0, 0, 1, 1), VG_INVALID_HANDLE);
    EXPECT_EQ(vgGetError(), VG_IMAGE_IN_USE_ERROR);

    worker.run([&] { ASSERT_EQ(eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE); });
    EXPECT_EQ(eglIsInUse(image), EGL_FALSE);
    EXPECT_EQ(readImage(image, 1, 2), rgba(1, 2, 3, 4)) << "the worker's drawing was stored when it unbound";
    EXPECT_EQ(readImage(image, 2, 2), tagAt(2, 2));
}

TEST_F(ClientBufferTest, OnlyTheFirstBindingLoadsAndOnlyTheLastStores)
{
    const VGImage image = taggedImage(4, 4);
    const EGLSurface made = fromImage(image);
    ASSERT_NE(made, EGL_NO_SURFACE);
    const EGLContext shared = sharedContext(0);
    WorkerThread worker;
    worker.run([&] {
        ASSERT_EQ(eglBindAPI(EGL_OPENVG_API), EGL_TRUE);
        ASSERT_TRUE(bind(made, shared));
        writeSurface(1, 1, rgba(11, 11, 11, 11));
    });

    // A second binding sees the first one's drawing: the working buffer is not loaded again.
    ASSERT_TRUE(bind(made, context));
    EXPECT_EQ(readSurface(1, 1), rgba(11, 11, 11, 11));
    writeSurface(2, 2, rgba(22, 22, 22, 22));

    // The worker leaves first: the main thread still has the surface, so the image stays in use.
    worker.run([&] { ASSERT_EQ(eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE); });
    EXPECT_EQ(eglIsInUse(image), EGL_TRUE);
    EXPECT_EQ(readSurface(2, 2), rgba(22, 22, 22, 22));

    // The last binding goes: both drawings reach the image.
    bindFixture();
    EXPECT_EQ(readImage(image, 1, 1), rgba(11, 11, 11, 11));
    EXPECT_EQ(readImage(image, 2, 2), rgba(22, 22, 22, 22));
    EXPECT_EQ(readImage(image, 3, 3), tagAt(3, 3));
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

// ---------------------------------------------------------------------------------------------------------
// Storing back, keeping alive, locking.

TEST_F(ClientBufferTest, DrawingIsStoredWhenTheThreadBindsNothing)
{
    const VGImage image = taggedImage(4, 4);
    const EGLSurface made = fromImage(image);
    ASSERT_TRUE(bind(made, context));
    writeSurface(0, 3, rgba(5, 6, 7, 8));
    ASSERT_EQ(eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE);
    EXPECT_EQ(eglIsInUse(image), EGL_FALSE);
    bindFixture();
    EXPECT_EQ(readImage(image, 0, 3), rgba(5, 6, 7, 8));
    EXPECT_EQ(readImage(image, 1, 3), tagAt(1, 3));
}

TEST_F(ClientBufferTest, RebindingTheSamePairKeepsTheDrawing)
{
    const VGImage image = taggedImage(4, 4);
    const EGLSurface made = fromImage(image);
    ASSERT_TRUE(bind(made, context));
    writeSurface(3, 0, rgba(1, 1, 1, 1));
    ASSERT_TRUE(bind(made, context));
    EXPECT_EQ(readSurface(3, 0), rgba(1, 1, 1, 1));
    EXPECT_EQ(readSurface(2, 0), tagAt(2, 0));
    // Unbound and bound again later, the surface shows what the image holds.
    bindFixture();
    ASSERT_TRUE(bind(made, context));
    EXPECT_EQ(readSurface(3, 0), rgba(1, 1, 1, 1));
}

TEST_F(ClientBufferTest, DestroyingTheBoundSurfaceStoresAtUnbindingAndFreesTheImage)
{
    const VGImage image = taggedImage(4, 4);
    const EGLSurface made = fromImage(image);
    ASSERT_TRUE(bind(made, context));
    writeSurface(1, 0, rgba(3, 3, 3, 3));
    EXPECT_EQ(eglDestroySurface(display, made), EGL_TRUE);
    EXPECT_EQ(readSurface(1, 0), rgba(3, 3, 3, 3)) << "a bound surface lives on until it is unbound";
    EXPECT_EQ(eglIsInUse(image), EGL_TRUE);
    bindFixture();
    EXPECT_EQ(eglIsInUse(image), EGL_FALSE);
    EXPECT_EQ(readImage(image, 1, 0), rgba(3, 3, 3, 3));
    // Nothing shares the image any more: it may become a surface again.
    const EGLSurface again = fromImage(image);
    EXPECT_NE(again, EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    EXPECT_TRUE(bind(again, context));
}

TEST_F(ClientBufferTest, DrawingIsStoredWhenTheThreadIsReleased)
{
    const VGImage image = taggedImage(4, 4);
    const EGLSurface made = fromImage(image);
    ASSERT_TRUE(bind(made, context));
    writeSurface(2, 3, rgba(7, 7, 7, 7));
    // Releasing the thread frees the whole EGL state with the image's handle; an extra reference keeps the
    // record so that its pixels can be looked at afterwards.
    ImageObject *record = nullptr;
    {
        ApiLock lock;
        record = &imageRecord(image);
        record->refCount += 1;
    }
    EXPECT_EQ(eglReleaseThread(), EGL_TRUE);
    EXPECT_EQ(rawPixelOf(*record, 2, 3), rgba(7, 7, 7, 7));
    EXPECT_EQ(rawPixelOf(*record, 3, 3), tagAt(3, 3));
    EXPECT_EQ(record->shareCount, 0) << "the surface's share went with it";
    ApiLock lock;
    releaseImage(record);
}

TEST_F(ClientBufferTest, TheSurfaceKeepsADestroyedImageAlive)
{
    const VGImage image = taggedImage(4, 4);
    const EGLSurface made = fromImage(image);
    ASSERT_NE(made, EGL_NO_SURFACE);
    vgDestroyImage(image);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    ASSERT_TRUE(bind(made, context));
    EXPECT_EQ(readSurface(3, 2), tagAt(3, 2));
    writeSurface(0, 0, rgba(4, 4, 4, 4));
    // The drawing is stored into the record and loaded again at the next binding.
    bindFixture();
    ASSERT_TRUE(bind(made, context));
    EXPECT_EQ(readSurface(0, 0), rgba(4, 4, 4, 4));
    EXPECT_EQ(readSurface(1, 0), tagAt(1, 0));
    bindFixture();
    EXPECT_EQ(eglDestroySurface(display, made), EGL_TRUE);
}

TEST_F(ClientBufferTest, TheSurfaceOutlivesTheContextThatMadeTheImage)
{
    const EGLContext maker = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    ASSERT_TRUE(bind(surface, maker));
    const VGImage image = taggedImage(4, 4);
    const EGLSurface made = fromImage(image);
    ASSERT_NE(made, EGL_NO_SURFACE);
    bindFixture();
    EXPECT_EQ(eglDestroyContext(display, maker), EGL_TRUE); // the handle dies with its creator
    ASSERT_TRUE(bind(made, context));
    EXPECT_EQ(readSurface(2, 3), tagAt(2, 3));
    writeSurface(2, 3, rgba(8, 8, 8, 8));
    bindFixture();
    EXPECT_EQ(eglDestroySurface(display, made), EGL_TRUE);
}

TEST_F(ClientBufferTest, DestroyingTheHandleWhileBoundIsAllowed)
{
    const VGImage image = taggedImage(4, 4);
    const EGLSurface made = fromImage(image);
    ASSERT_TRUE(bind(made, context));
    vgDestroyImage(image);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    writeSurface(1, 1, rgba(2, 2, 2, 2));
    EXPECT_EQ(readSurface(1, 1), rgba(2, 2, 2, 2));
    bindFixture();
    ASSERT_TRUE(bind(made, context));
    EXPECT_EQ(readSurface(1, 1), rgba(2, 2, 2, 2));
}

TEST_F(ClientBufferTest, ASurfaceWhoseImageHasAChildCannotBeBound)
{
    const VGImage image = taggedImage(4, 4);
    const EGLSurface made = fromImage(image);
    ASSERT_NE(made, EGL_NO_SURFACE);
    // Unbound, a child may be made; while it exists the surface is locked.
    const VGImage child = vgChildImage(image, 1, 1, 2, 2);
    ASSERT_NE(child, VG_INVALID_HANDLE);
    EXPECT_FALSE(bind(made, context));
    EXPECT_EQ(eglGetError(), EGL_BAD_ACCESS);
    EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), surface) << "the previous binding stays";
    EXPECT_EQ(eglIsInUse(image), EGL_FALSE);

    vgDestroyImage(child);
    EXPECT_TRUE(bind(made, context));
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    EXPECT_EQ(readSurface(1, 1), tagAt(1, 1));
}

TEST_F(ClientBufferTest, ADestroyedChildStillHeldKeepsTheLock)
{
    // A child whose handle is gone but whose record lives on would still share the image; here the child
    // has its own child, so destroying the middle handle keeps the record (and the share) alive.
    const VGImage image = taggedImage(4, 4);
    const EGLSurface made = fromImage(image);
    const VGImage child = vgChildImage(image, 0, 0, 4, 4);
    const VGImage grandchild = vgChildImage(child, 0, 0, 2, 2);
    ASSERT_NE(grandchild, VG_INVALID_HANDLE);
    vgDestroyImage(child);
    EXPECT_FALSE(bind(made, context));
    EXPECT_EQ(eglGetError(), EGL_BAD_ACCESS);
    vgDestroyImage(grandchild); // the last holder of the child: the child goes, and its share on the image
    EXPECT_TRUE(bind(made, context));
}

} // namespace
} // namespace tamarind::test
