// Window, pbuffer and pixmap surfaces: the checks of each creator, their attributes, their buffers,
// destroying them and querying them.
#include "egl_test_helpers.h"

#include <climits>
#include <cstring>

namespace tamarind::test {
namespace {

// Reads one attribute of a surface; -12345 when the call failed or left the value alone.
EGLint query(EGLSurface surface, EGLint attribute)
{
    EGLint value = -12345;
    eglQuerySurface(EGL_NO_DISPLAY, surface, attribute, &value);
    return value;
}

EGLSurface makeWindow(EGLConfig config, const EGLint *attributes)
{
    return eglCreateWindowSurface(EGL_NO_DISPLAY, config, reinterpret_cast<EGLNativeWindowType>(0x5a5a),
                                  attributes);
}

// Caller memory for pixmap surfaces, filled with a recognisable pattern.
struct PixmapMemory {
    std::vector<uint32_t> words;
    NativePixmap pixmap{};

    PixmapMemory(EGLint format, EGLint width, EGLint height)
        : words(static_cast<size_t>(width > 0 && height > 0 ? width * height : 1), 0xA5C3E10Fu)
    {
        pixmap.format = format;
        pixmap.width = width;
        pixmap.height = height;
        pixmap.stride = width * 4;
        pixmap.data = words.data();
    }
    bool untouched() const
    {
        for (uint32_t word : words)
            if (word != 0xA5C3E10Fu)
                return false;
        return true;
    }
};

// ---- Creation checks shared by the creators ----

TEST_F(BoundContextTest, CreatorsCheckTheDisplayFirst)
{
    const EGLint sized[] = {EGL_WIDTH, 4, EGL_HEIGHT, 4, EGL_NONE};
    PixmapMemory memory(VG_sRGBA_8888, 4, 4);
    EGLDisplay other = reinterpret_cast<EGLDisplay>(1);
    EXPECT_EQ(eglCreatePbufferSurface(other, configAt(0), sized), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);

    ASSERT_EQ(eglTerminate(display), EGL_TRUE); // the binding outlives the display, so errors stay visible
    // Even a bad configuration and bad arguments report the display first.
    EXPECT_EQ(eglCreatePbufferSurface(display, configAt(9), nullptr), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
    EXPECT_EQ(makeWindow(configAt(9), sized), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
    EXPECT_EQ(eglCreatePixmapSurface(display, configAt(9), nullptr, nullptr), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
    EXPECT_EQ(eglCreatePixmapSurface(display, configAt(0), &memory.pixmap, nullptr), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
}

TEST_F(BoundContextTest, CreatorsCheckTheConfigurationBeforeTheirArguments)
{
    const EGLint badList[] = {0x1234, 1, EGL_NONE};
    for (int bad : {7, 8, -1, 1000}) {
        EXPECT_EQ(eglCreatePbufferSurface(display, configAt(bad), badList), EGL_NO_SURFACE);
        EXPECT_EQ(eglGetError(), 0x3005) << bad; // EGL_BAD_CONFIG
        EXPECT_EQ(makeWindow(configAt(bad), badList), EGL_NO_SURFACE);
        EXPECT_EQ(eglGetError(), EGL_BAD_CONFIG) << bad;
        EXPECT_EQ(eglCreatePixmapSurface(display, configAt(bad), nullptr, nullptr), EGL_NO_SURFACE);
        EXPECT_EQ(eglGetError(), EGL_BAD_CONFIG) << bad;
    }
    // Only the fixture's own surface is listed.
    EXPECT_EQ(displayRecord()->surfaces.size(), 1u);
}

// ---- Pbuffer surfaces ----

TEST_F(BoundContextTest, PbufferNeedsBothSizes)
{
    const EGLint widthOnly[] = {EGL_WIDTH, 10, EGL_NONE};
    const EGLint heightOnly[] = {EGL_HEIGHT, 10, EGL_NONE};
    const EGLint empty[] = {EGL_NONE};
    const EGLint zeroWidth[] = {EGL_WIDTH, 0, EGL_HEIGHT, 10, EGL_NONE};
    const EGLint negativeHeight[] = {EGL_WIDTH, 10, EGL_HEIGHT, -1, EGL_NONE};
    const EGLint resetWidth[] = {EGL_WIDTH, 10, EGL_HEIGHT, 10, EGL_WIDTH, 0, EGL_NONE};
    for (const EGLint *list : {widthOnly, heightOnly, empty, zeroWidth, negativeHeight, resetWidth,
                               static_cast<const EGLint *>(nullptr)}) {
        EXPECT_EQ(eglCreatePbufferSurface(display, config, list), EGL_NO_SURFACE);
        EXPECT_EQ(eglGetError(), 0x3004); // EGL_BAD_ATTRIBUTE
    }
    EXPECT_EQ(displayRecord()->surfaces.size(), 1u);
}

TEST_F(BoundContextTest, PbufferRejectsOtherAttributes)
{
    for (EGLint attribute : {EGL_RENDER_BUFFER, EGL_CONFIG_ID, EGL_TEXTURE_FORMAT, EGL_MIPMAP_TEXTURE,
                             EGL_SWAP_BEHAVIOR, EGL_RED_SIZE, 0}) {
        const EGLint list[] = {EGL_WIDTH, 10, EGL_HEIGHT, 10, attribute, EGL_BACK_BUFFER, EGL_NONE};
        EXPECT_EQ(eglCreatePbufferSurface(display, config, list), EGL_NO_SURFACE) << std::hex << attribute;
        EXPECT_EQ(eglGetError(), EGL_BAD_ATTRIBUTE) << std::hex << attribute;
    }
    EXPECT_EQ(displayRecord()->surfaces.size(), 1u);
}

TEST_F(InitialisedTest, PbufferTakesTheLastSizeGiven)
{
    const EGLint list[] = {EGL_WIDTH, 0, EGL_HEIGHT, 9, EGL_WIDTH, 5, EGL_HEIGHT, 3, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(EGL_NO_DISPLAY, configAt(2), list);
    ASSERT_NE(surface, EGL_NO_SURFACE);
    EXPECT_EQ(query(surface, EGL_WIDTH), 5);
    EXPECT_EQ(query(surface, EGL_HEIGHT), 3);
}

TEST_F(InitialisedTest, PbufferReportsItsAttributes)
{
    const EGLint list[] = {EGL_HEIGHT, 7, EGL_WIDTH, 13, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(EGL_NO_DISPLAY, configAt(3), list);
    ASSERT_NE(surface, EGL_NO_SURFACE);
    EXPECT_EQ(query(surface, 0x3028), 4);      // EGL_CONFIG_ID: index 3 + 1
    EXPECT_EQ(query(surface, 0x3057), 13);     // EGL_WIDTH
    EXPECT_EQ(query(surface, 0x3056), 7);      // EGL_HEIGHT
    EXPECT_EQ(query(surface, 0x3058), 0);      // EGL_LARGEST_PBUFFER
    EXPECT_EQ(query(surface, 0x3080), 0x305C); // EGL_TEXTURE_FORMAT: EGL_NO_TEXTURE
    EXPECT_EQ(query(surface, 0x3081), 0x305C); // EGL_TEXTURE_TARGET: EGL_NO_TEXTURE
    EXPECT_EQ(query(surface, 0x3082), 0);      // EGL_MIPMAP_TEXTURE
    EXPECT_EQ(query(surface, 0x3083), 0);      // EGL_MIPMAP_LEVEL
    EXPECT_EQ(query(surface, 0x3086), 0x3084); // EGL_RENDER_BUFFER: EGL_BACK_BUFFER
    EXPECT_EQ(query(surface, 0x3087), 0x3089); // EGL_COLORSPACE: sRGB by default
    EXPECT_EQ(query(surface, 0x3088), 0x308B); // EGL_ALPHA_FORMAT: non-premultiplied by default
    EXPECT_EQ(query(surface, 0x3090), -1);     // EGL_HORIZONTAL_RESOLUTION: EGL_UNKNOWN
    EXPECT_EQ(query(surface, 0x3091), -1);     // EGL_VERTICAL_RESOLUTION
    EXPECT_EQ(query(surface, 0x3092), -1);     // EGL_PIXEL_ASPECT_RATIO
    EXPECT_EQ(query(surface, 0x3093), 0x3095); // EGL_SWAP_BEHAVIOR: EGL_BUFFER_DESTROYED
}

TEST_F(InitialisedTest, PbufferLargestFlagIsStoredAsOneAndNeverShrinksTheSize)
{
    const EGLint largest[] = {EGL_WIDTH, 100, EGL_HEIGHT, 50, EGL_LARGEST_PBUFFER, 5, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(EGL_NO_DISPLAY, configAt(0), largest);
    ASSERT_NE(surface, EGL_NO_SURFACE);
    EXPECT_EQ(query(surface, EGL_LARGEST_PBUFFER), 1);
    EXPECT_EQ(query(surface, EGL_WIDTH), 100);
    EXPECT_EQ(query(surface, EGL_HEIGHT), 50);

    const EGLint notLargest[] = {EGL_LARGEST_PBUFFER, 1, EGL_WIDTH, 2, EGL_HEIGHT, 2, EGL_LARGEST_PBUFFER, 0,
                                 EGL_NONE};
    EGLSurface other = eglCreatePbufferSurface(EGL_NO_DISPLAY, configAt(0), notLargest);
    ASSERT_NE(other, EGL_NO_SURFACE);
    EXPECT_EQ(query(other, EGL_LARGEST_PBUFFER), 0);
}

struct FormatCase {
    EGLint colorSpace;  // value passed, or 0 to leave the attribute out
    EGLint alphaFormat; // value passed, or 0 to leave the attribute out
    EGLint reportedColorSpace;
    EGLint reportedAlphaFormat;
    int32_t flags; // COLOR_SRGB 1, COLOR_PREMULTIPLIED 2
};

class SurfaceFormatTest : public InitialisedTest, public ::testing::WithParamInterface<FormatCase> {
protected:
    std::vector<EGLint> attributes(std::initializer_list<EGLint> head)
    {
        std::vector<EGLint> list(head);
        if (GetParam().colorSpace != 0)
            list.insert(list.end(), {EGL_COLORSPACE, GetParam().colorSpace});
        if (GetParam().alphaFormat != 0)
            list.insert(list.end(), {EGL_ALPHA_FORMAT, GetParam().alphaFormat});
        list.push_back(EGL_NONE);
        return list;
    }
    void expectFormat(EGLSurface surface)
    {
        ASSERT_NE(surface, EGL_NO_SURFACE);
        EXPECT_EQ(query(surface, EGL_COLORSPACE), GetParam().reportedColorSpace);
        EXPECT_EQ(query(surface, EGL_ALPHA_FORMAT), GetParam().reportedAlphaFormat);
        EXPECT_EQ(surfaceRecord(surface).colorBuffer->formatFlags, GetParam().flags);
    }
};

TEST_P(SurfaceFormatTest, Pbuffer)
{
    const std::vector<EGLint> list = attributes({EGL_WIDTH, 3, EGL_HEIGHT, 2});
    expectFormat(eglCreatePbufferSurface(EGL_NO_DISPLAY, configAt(1), list.data()));
}

TEST_P(SurfaceFormatTest, Window)
{
    const std::vector<EGLint> list = attributes({});
    expectFormat(makeWindow(configAt(1), list.data()));
}

// Linear only for exactly EGL_COLORSPACE_LINEAR, premultiplied only for exactly EGL_ALPHA_FORMAT_PRE;
// other values are accepted without a check.
INSTANTIATE_TEST_SUITE_P(
    ColourSpaceAndAlphaFormat, SurfaceFormatTest,
    ::testing::Values(FormatCase{0, 0, 0x3089, 0x308B, 1},
                      FormatCase{EGL_COLORSPACE_LINEAR, 0, 0x308A, 0x308B, 0},
                      FormatCase{EGL_COLORSPACE_sRGB, EGL_ALPHA_FORMAT_PRE, 0x3089, 0x308C, 3},
                      FormatCase{EGL_COLORSPACE_LINEAR, EGL_ALPHA_FORMAT_PRE, 0x308A, 0x308C, 2},
                      FormatCase{EGL_COLORSPACE_LINEAR, EGL_ALPHA_FORMAT_NONPRE, 0x308A, 0x308B, 0},
                      FormatCase{0x1234, 0x1234, 0x3089, 0x308B, 1},
                      FormatCase{EGL_ALPHA_FORMAT_PRE, EGL_COLORSPACE_LINEAR, 0x3089, 0x308B, 1}));

class PbufferConfigTest : public InitialisedTest, public ::testing::WithParamInterface<int> {};

TEST_P(PbufferConfigTest, EveryConfigurationMakesPbuffersWithItsId)
{
    EGLSurface surface = makePbuffer(configAt(GetParam()), 6, 2);
    ASSERT_NE(surface, EGL_NO_SURFACE);
    EXPECT_EQ(query(surface, EGL_CONFIG_ID), GetParam() + 1);
    // Every surface draws into the same kind of buffer whatever its configuration: sRGB, not premultiplied.
    EXPECT_EQ(query(surface, EGL_COLORSPACE), EGL_COLORSPACE_sRGB);
    EXPECT_EQ(query(surface, EGL_ALPHA_FORMAT), EGL_ALPHA_FORMAT_NONPRE);
    EXPECT_EQ(surfaceRecord(surface).configIndex, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Configurations, PbufferConfigTest, ::testing::Range(0, 7));

TEST_F(InitialisedTest, NewBuffersAreClearAndUnmasked)
{
    EGLSurface surface = makePbuffer(configAt(0), 5, 3);
    ASSERT_NE(surface, EGL_NO_SURFACE);
    const SurfaceRecord &record = surfaceRecord(surface);
    EXPECT_EQ(record.references, 1);
    EXPECT_EQ(record.isWindow, 0);
    EXPECT_EQ(record.nativeHandle, nullptr);
    ASSERT_EQ(record.colorBuffer->width, 5);
    ASSERT_EQ(record.colorBuffer->height, 3);
    ASSERT_EQ(record.colorBuffer->pixels.size(), 15u);
    for (size_t i = 0; i < 15; ++i) {
        const BufferPixel &p = record.colorBuffer->pixels[i];
        EXPECT_EQ(p.red | p.green | p.blue | p.alpha, 0) << i;
    }
    EXPECT_EQ(record.colorBuffer->locked, 0);
    ASSERT_EQ(record.maskBuffer->width, 5);
    ASSERT_EQ(record.maskBuffer->height, 3);
    ASSERT_EQ(record.maskBuffer->pixels.size(), 15u);
    for (size_t i = 0; i < 15; ++i)
        EXPECT_EQ(record.maskBuffer->pixels[i], 255) << i;
}

TEST_F(BoundContextTest, PbufferTooLargeToAllocateIsBadAlloc)
{
    // 65536 x 65536 pixels of 8 bytes do not fit a 32-bit byte size, nor does the largest request.
    const EGLint huge[] = {EGL_WIDTH, 65536, EGL_HEIGHT, 65536, EGL_NONE};
    const EGLint largest[] = {EGL_WIDTH, INT_MAX, EGL_HEIGHT, INT_MAX, EGL_NONE};
    for (const EGLint *list : {huge, largest}) {
        EXPECT_EQ(eglCreatePbufferSurface(display, config, list), EGL_NO_SURFACE);
        EXPECT_EQ(eglGetError(), 0x3003); // EGL_BAD_ALLOC
    }
    // Nothing is kept, and the display goes on working.
    EXPECT_EQ(displayRecord()->surfaces.size(), 1u);
    EGLSurface small = makePbuffer(config, 1, 1);
    EXPECT_NE(small, EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
}

// ---- Window surfaces ----

TEST_F(InitialisedTest, WindowReportsItsDefaults)
{
    EGLSurface surface = makeWindow(configAt(2), nullptr);
    ASSERT_NE(surface, EGL_NO_SURFACE);
    EXPECT_EQ(query(surface, EGL_CONFIG_ID), 3);
    EXPECT_EQ(query(surface, EGL_RENDER_BUFFER), 0x3084);  // EGL_BACK_BUFFER
    EXPECT_EQ(query(surface, EGL_COLORSPACE), 0x3089);     // EGL_COLORSPACE_sRGB
    EXPECT_EQ(query(surface, EGL_ALPHA_FORMAT), 0x308B);   // EGL_ALPHA_FORMAT_NONPRE
    EXPECT_EQ(query(surface, EGL_SWAP_BEHAVIOR), 0x3095);  // EGL_BUFFER_DESTROYED
    EXPECT_EQ(query(surface, EGL_HORIZONTAL_RESOLUTION), -1);
    EXPECT_EQ(query(surface, EGL_VERTICAL_RESOLUTION), -1);
    EXPECT_EQ(query(surface, EGL_PIXEL_ASPECT_RATIO), -1);
    const SurfaceRecord &record = surfaceRecord(surface);
    EXPECT_EQ(record.isWindow, 1);
    EXPECT_EQ(record.nativeHandle, reinterpret_cast<void *>(0x5a5a)); // stored, not examined

    const EGLint empty[] = {EGL_NONE};
    EGLSurface other = makeWindow(configAt(2), empty);
    ASSERT_NE(other, EGL_NO_SURFACE);
    EXPECT_EQ(query(other, EGL_RENDER_BUFFER), EGL_BACK_BUFFER);
}

TEST_F(InitialisedTest, WindowKeepsTheRenderBufferAsPassed)
{
    const EGLint single[] = {EGL_RENDER_BUFFER, EGL_SINGLE_BUFFER, EGL_NONE};
    EGLSurface surface = makeWindow(configAt(0), single);
    ASSERT_NE(surface, EGL_NO_SURFACE);
    EXPECT_EQ(query(surface, EGL_RENDER_BUFFER), 0x3085);
    // Values are not validated.
    const EGLint odd[] = {EGL_RENDER_BUFFER, 0x4321, EGL_NONE};
    EGLSurface other = makeWindow(configAt(0), odd);
    ASSERT_NE(other, EGL_NO_SURFACE);
    EXPECT_EQ(query(other, EGL_RENDER_BUFFER), 0x4321);
}

TEST_F(BoundContextTest, WindowLeavesThePbufferOnlyAttributesUntouched)
{
    const EGLint list[] = {EGL_RENDER_BUFFER, EGL_SINGLE_BUFFER, EGL_NONE};
    EGLSurface window = makeWindow(config, list);
    ASSERT_NE(window, EGL_NO_SURFACE);
    for (EGLint attribute : {EGL_LARGEST_PBUFFER, EGL_TEXTURE_FORMAT, EGL_TEXTURE_TARGET, EGL_MIPMAP_TEXTURE,
                             EGL_MIPMAP_LEVEL}) {
        EGLint value = -777;
        EXPECT_EQ(eglQuerySurface(display, window, attribute, &value), EGL_TRUE) << std::hex << attribute;
        EXPECT_EQ(value, -777) << std::hex << attribute;
        EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    }
}

TEST_F(BoundContextTest, WindowRejectsOtherAttributes)
{
    for (EGLint attribute : {EGL_WIDTH, EGL_HEIGHT, EGL_LARGEST_PBUFFER, EGL_TEXTURE_FORMAT, EGL_CONFIG_ID, 0}) {
        const EGLint list[] = {EGL_COLORSPACE, EGL_COLORSPACE_LINEAR, attribute, 1, EGL_NONE};
        EXPECT_EQ(makeWindow(config, list), EGL_NO_SURFACE) << std::hex << attribute;
        EXPECT_EQ(eglGetError(), 0x3004) << std::hex << attribute;
    }
    EXPECT_EQ(displayRecord()->surfaces.size(), 1u);
}

TEST_F(InitialisedTest, WindowAcceptsAnyConfiguration)
{
    for (int index = 0; index < 7; ++index) {
        EGLSurface surface = makeWindow(configAt(index), nullptr);
        ASSERT_NE(surface, EGL_NO_SURFACE) << index;
        EXPECT_EQ(query(surface, EGL_CONFIG_ID), index + 1);
    }
}

// ---- Pixmap surfaces ----

TEST_F(InitialisedTest, PixmapTakesItsSizeAndFormatFlags)
{
    struct Case {
        EGLint format;
        int32_t flags; // the internal-format flags of the pixmap's format
        EGLint colorSpace, alphaFormat;
    };
    const Case cases[] = {
        {VG_sRGBA_8888, 1, 0x3089, 0x308B},     {VG_sRGBA_8888_PRE, 3, 0x3089, 0x308C},
        {VG_lRGBA_8888_PRE, 2, 0x308A, 0x308C}, {VG_lRGBX_8888, 0, 0x308A, 0x308B},
        {VG_sL_8, 5, 0x3089, 0x308B},           {VG_lL_8, 4, 0x308A, 0x308B},
        {VG_A_8, 0, 0x308A, 0x308B},            {VG_BW_1, 4, 0x308A, 0x308B},
        {VG_sARGB_8888, 1, 0x3089, 0x308B},     {VG_lABGR_8888_PRE, 2, 0x308A, 0x308C},
        {VG_sRGB_565, 1, 0x3089, 0x308B},
    };
    for (const Case &c : cases) {
        PixmapMemory memory(c.format, 9, 4);
        EGLSurface surface = eglCreatePixmapSurface(EGL_NO_DISPLAY, configAt(0), &memory.pixmap, nullptr);
        ASSERT_NE(surface, EGL_NO_SURFACE) << std::hex << c.format;
        EXPECT_EQ(query(surface, EGL_WIDTH), 9);
        EXPECT_EQ(query(surface, EGL_HEIGHT), 4);
        EXPECT_EQ(query(surface, EGL_CONFIG_ID), 1);
        EXPECT_EQ(query(surface, EGL_COLORSPACE), c.colorSpace) << std::hex << c.format;
        EXPECT_EQ(query(surface, EGL_ALPHA_FORMAT), c.alphaFormat) << std::hex << c.format;
        EXPECT_EQ(surfaceRecord(surface).colorBuffer->formatFlags, c.flags) << std::hex << c.format;
        EXPECT_EQ(query(surface, EGL_RENDER_BUFFER), EGL_BACK_BUFFER);
        EXPECT_EQ(query(surface, EGL_LARGEST_PBUFFER), 0);
        EXPECT_EQ(query(surface, EGL_TEXTURE_FORMAT), EGL_NO_TEXTURE);
        EXPECT_EQ(query(surface, EGL_SWAP_BEHAVIOR), EGL_BUFFER_DESTROYED);
        EXPECT_EQ(surfaceRecord(surface).isWindow, 0);
        EXPECT_EQ(surfaceRecord(surface).nativeHandle, nullptr);
        // The colour buffer is the library's own storage, never the caller's.
        EXPECT_NE(static_cast<void *>(surfaceRecord(surface).colorBuffer->pixels.data()), memory.pixmap.data);
        EXPECT_TRUE(memory.untouched());
        EXPECT_EQ(eglDestroySurface(EGL_NO_DISPLAY, surface), EGL_TRUE);
    }
}

TEST_F(InitialisedTest, PixmapMemoryIsLeftAloneByBindingAndDestroying)
{
    PixmapMemory memory(VG_sRGBA_8888, 8, 8);
    EGLSurface surface = eglCreatePixmapSurface(EGL_NO_DISPLAY, configAt(0), &memory.pixmap, nullptr);
    EGLContext context = eglCreateContext(EGL_NO_DISPLAY, configAt(0), EGL_NO_CONTEXT, nullptr);
    ASSERT_NE(surface, EGL_NO_SURFACE);
    ASSERT_NE(context, EGL_NO_CONTEXT);
    ASSERT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, surface, surface, context), EGL_TRUE);
    vgFlush();
    ASSERT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE);
    ASSERT_EQ(eglDestroySurface(EGL_NO_DISPLAY, surface), EGL_TRUE);
    EXPECT_TRUE(memory.untouched());
}

TEST_F(BoundContextTest, PixmapMustBeValid)
{
    PixmapMemory good(VG_sRGBA_8888, 4, 4);
    std::vector<NativePixmap> bad;
    for (EGLint format : {13, 0x43, 0x4A, 0xC3, -1, 0x100}) { // not image formats
        NativePixmap p = good.pixmap;
        p.format = format;
        bad.push_back(p);
    }
    NativePixmap noData = good.pixmap;
    noData.data = nullptr;
    bad.push_back(noData);
    for (EGLint size : {0, -1}) {
        NativePixmap p = good.pixmap;
        p.width = size;
        bad.push_back(p);
        p = good.pixmap;
        p.height = size;
        bad.push_back(p);
    }
    for (NativePixmap &p : bad) {
        EXPECT_EQ(eglCreatePixmapSurface(display, config, &p, nullptr), EGL_NO_SURFACE)
            << p.format << " " << p.width << "x" << p.height;
        EXPECT_EQ(eglGetError(), 0x300A); // EGL_BAD_NATIVE_PIXMAP
    }
    EXPECT_EQ(eglCreatePixmapSurface(display, config, nullptr, nullptr), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_BAD_NATIVE_PIXMAP);
    // The pixmap is checked before the configuration match.
    EXPECT_EQ(eglCreatePixmapSurface(display, configAt(2), nullptr, nullptr), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_BAD_NATIVE_PIXMAP);
    EXPECT_EQ(displayRecord()->surfaces.size(), 1u);
}

TEST_F(BoundContextTest, PixmapNeedsAnEightBitColourConfiguration)
{
    PixmapMemory memory(VG_sRGBA_8888, 4, 4);
    // Only index 0 has red, green and blue 8, alpha 8 or 0 and no luminance.
    for (int index = 1; index < 7; ++index) {
        EXPECT_EQ(eglCreatePixmapSurface(display, configAt(index), &memory.pixmap, nullptr), EGL_NO_SURFACE)
            << index;
        EXPECT_EQ(eglGetError(), 0x3009) << index; // EGL_BAD_MATCH
    }
    // The pixmap's own format does not have to agree with the configuration.
    PixmapMemory luminance(VG_sL_8, 4, 4);
    EXPECT_NE(eglCreatePixmapSurface(display, configAt(0), &luminance.pixmap, nullptr), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
}

TEST_F(InitialisedTest, PixmapIgnoresItsAttributeList)
{
    PixmapMemory memory(VG_sRGBA_8888, 2, 2);
    const EGLint list[] = {0x1234, 5, EGL_WIDTH, 99, EGL_COLORSPACE, EGL_COLORSPACE_LINEAR, EGL_NONE};
    EGLSurface surface = eglCreatePixmapSurface(EGL_NO_DISPLAY, configAt(0), &memory.pixmap, list);
    ASSERT_NE(surface, EGL_NO_SURFACE);
    EXPECT_EQ(query(surface, EGL_WIDTH), 2);
    EXPECT_EQ(query(surface, EGL_COLORSPACE), EGL_COLORSPACE_sRGB);
}

// ---- Destroying ----

TEST_F(BoundContextTest, DestroySurfaceNeedsAListedSurface)
{
    EGLSurface other = makePbuffer(config, 2, 2);
    ASSERT_NE(other, EGL_NO_SURFACE);
    EXPECT_EQ(eglDestroySurface(display, bogusSurface()), EGL_FALSE);
    EXPECT_EQ(eglGetError(), 0x300D); // EGL_BAD_SURFACE
    EXPECT_EQ(eglDestroySurface(display, EGL_NO_SURFACE), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_SURFACE);
    // A context handle is not a surface.
    EXPECT_EQ(eglDestroySurface(display, context), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_SURFACE);

    EXPECT_EQ(eglDestroySurface(display, other), EGL_TRUE);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    EXPECT_EQ(eglDestroySurface(display, other), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_SURFACE);

    EXPECT_EQ(eglDestroySurface(reinterpret_cast<EGLDisplay>(1), surface), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
}

TEST_F(InitialisedTest, DestroyingOneSurfaceKeepsTheOthersInOrder)
{
    EGLSurface a = makePbuffer(configAt(0), 1, 1);
    EGLSurface b = makePbuffer(configAt(1), 2, 2);
    EGLSurface c = makePbuffer(configAt(2), 3, 3);
    ASSERT_EQ(eglDestroySurface(EGL_NO_DISPLAY, b), EGL_TRUE);
    const std::vector<SurfaceRecord *> &list = displayRecord()->surfaces;
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], a);
    EXPECT_EQ(list[1], c);
    EXPECT_EQ(query(a, EGL_WIDTH), 1);
    EXPECT_EQ(query(c, EGL_WIDTH), 3);
    EXPECT_EQ(query(b, EGL_WIDTH), -12345);
}

// ---- Querying and setting ----

TEST_F(BoundContextTest, QuerySurfaceRejectsUnknownAttributes)
{
    for (EGLint attribute : {0x3094, 0x3095, 0x3089, 0x3084, EGL_NONE, EGL_BUFFER_SIZE, EGL_RED_SIZE, 0, -1}) {
        EGLint value = -777;
        EXPECT_EQ(eglQuerySurface(display, surface, attribute, &value), EGL_FALSE) << std::hex << attribute;
        EXPECT_EQ(eglGetError(), 0x3004) << std::hex << attribute;
        EXPECT_EQ(value, -777);
    }
}

TEST_F(BoundContextTest, QuerySurfaceChecksSurfaceThenAttributeThenValuePointer)
{
    EXPECT_EQ(eglQuerySurface(display, bogusSurface(), 0x1234, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_SURFACE);
    EXPECT_EQ(eglQuerySurface(display, surface, 0x1234, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_ATTRIBUTE);
    EXPECT_EQ(eglQuerySurface(display, surface, EGL_WIDTH, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(eglQuerySurface(reinterpret_cast<EGLDisplay>(1), surface, EGL_WIDTH, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);

    EGLint value = -777;
    EXPECT_EQ(eglQuerySurface(display, surface, EGL_WIDTH, &value), EGL_TRUE);
    EXPECT_EQ(value, 64);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
}

TEST_F(BoundContextTest, QueryOfAWindowStillNeedsAValuePointer)
{
    EGLSurface window = makeWindow(config, nullptr);
    ASSERT_NE(window, EGL_NO_SURFACE);
    EXPECT_EQ(eglQuerySurface(display, window, EGL_LARGEST_PBUFFER, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(eglQuerySurface(display, window, EGL_MIPMAP_LEVEL, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
}

TEST_F(BoundContextTest, SurfaceAttribAcceptsAndIgnoresEverything)
{
    for (EGLint attribute : {EGL_SWAP_BEHAVIOR, EGL_MIPMAP_LEVEL, EGL_WIDTH, 0x1234, 0}) {
        EXPECT_EQ(eglSurfaceAttrib(display, surface, attribute, 3), EGL_TRUE) << std::hex << attribute;
        EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    }
    EXPECT_EQ(eglSurfaceAttrib(display, surface, EGL_SWAP_BEHAVIOR, EGL_BUFFER_PRESERVED), EGL_TRUE);
    EXPECT_EQ(query(surface, EGL_SWAP_BEHAVIOR), EGL_BUFFER_DESTROYED);
    EXPECT_EQ(eglSurfaceAttrib(display, surface, EGL_WIDTH, 3), EGL_TRUE);
    EXPECT_EQ(query(surface, EGL_WIDTH), 64);
    EXPECT_EQ(eglSurfaceAttrib(display, surface, EGL_MIPMAP_LEVEL, 3), EGL_TRUE);
    EXPECT_EQ(query(surface, EGL_MIPMAP_LEVEL), 0);

    EXPECT_EQ(eglSurfaceAttrib(display, bogusSurface(), EGL_SWAP_BEHAVIOR, 0), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_SURFACE);
    EXPECT_EQ(eglSurfaceAttrib(reinterpret_cast<EGLDisplay>(1), surface, EGL_SWAP_BEHAVIOR, 0), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
}

} // namespace
} // namespace tamarind::test

namespace tamarind::test {
namespace {

TEST_F(BoundContextTest, TextureBindingNeverMatches)
{
    EXPECT_EQ(eglBindTexImage(display, surface, EGL_BACK_BUFFER), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_MATCH);
    EXPECT_EQ(eglReleaseTexImage(display, surface, EGL_BACK_BUFFER), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_MATCH);
    static int notASurface;
    EXPECT_EQ(eglBindTexImage(display, &notASurface, EGL_BACK_BUFFER), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_SURFACE);
    EXPECT_EQ(eglBindTexImage(reinterpret_cast<EGLDisplay>(1), surface, EGL_BACK_BUFFER), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
}

} // namespace
} // namespace tamarind::test
