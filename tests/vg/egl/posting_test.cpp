// Posting: eglSwapBuffers shows a window surface in the canvas back buffer (composed over black), resizes
// the surface with the canvas, and refuses surfaces the thread has not bound; eglCopyBuffers copies into a
// caller's pixmap.
#include "egl_test_helpers.h"
#include "worker_thread.h"

#include "platform.h"

#include <array>
#include <vector>

namespace tamarind::test {
namespace {

constexpr int kCanvasWidth = 32;
constexpr int kCanvasHeight = 16;

// A window surface of configuration 0 on a canvas, bound with a new context. The canvas runs off-screen
// when there is no display.
class WindowSurfaceTest : public EglTest {
protected:
    void bindWindow(EGLint alphaFormat)
    {
        ASSERT_TRUE(goInitCanvas(kCanvasWidth, kCanvasHeight));
        ASSERT_EQ(eglInitialize(EGL_NO_DISPLAY, nullptr, nullptr), EGL_TRUE);
        ASSERT_EQ(eglBindAPI(EGL_OPENVG_API), EGL_TRUE);
        const EGLint attributes[] = {EGL_ALPHA_FORMAT, alphaFormat, EGL_NONE};
        window = eglCreateWindowSurface(EGL_NO_DISPLAY, configAt(0),
                                        reinterpret_cast<EGLNativeWindowType>(goGetDeviceInfo(GO_INFO_WINDOW)),
                                        attributes);
        ASSERT_NE(window, EGL_NO_SURFACE);
        context = eglCreateContext(EGL_NO_DISPLAY, configAt(0), EGL_NO_CONTEXT, nullptr);
        ASSERT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, window, window, context), EGL_TRUE);
    }

    // Back-buffer pixel (x, y), y counted from the bottom row: blue, green, red, alpha.
    static std::array<int, 4> backPixel(int x, int y)
    {
        const auto *pixels = reinterpret_cast<const uint8_t *>(goGetDeviceInfo(GO_INFO_PIXELS));
        const uint8_t *p = pixels + (static_cast<size_t>(y) * kCanvasWidth + x) * 4;
        return {p[0], p[1], p[2], p[3]};
    }

    static void clearTo(float r, float g, float b, float a)
    {
        const VGfloat color[4] = {r, g, b, a};
        vgSetfv(VG_CLEAR_COLOR, 4, color);
        vgClear(0, 0, 1000, 1000);
    }

    EGLSurface window = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;
};

TEST_F(WindowSurfaceTest, WindowSurfaceTakesTheCanvasSize)
{
    bindWindow(EGL_ALPHA_FORMAT_NONPRE);
    EGLint value = 0;
    EXPECT_EQ(eglQuerySurface(EGL_NO_DISPLAY, window, EGL_WIDTH, &value), EGL_TRUE);
    EXPECT_EQ(value, kCanvasWidth);
    EXPECT_EQ(eglQuerySurface(EGL_NO_DISPLAY, window, EGL_HEIGHT, &value), EGL_TRUE);
    EXPECT_EQ(value, kCanvasHeight);
    EXPECT_EQ(eglQuerySurface(EGL_NO_DISPLAY, window, EGL_COLORSPACE, &value), EGL_TRUE);
    EXPECT_EQ(value, EGL_COLORSPACE_sRGB);
}

// Clear colour (1, 0.5, 0, 0.5) is sRGB (255, 127, 0, 127). Read back as non-premultiplied sARGB it is
// bytes (blue 0, green 127, red 255, alpha 127); composed over black: 127 x 128 >> 8 = 63 and
// 255 x 128 >> 8 = 127, alpha 255.
TEST_F(WindowSurfaceTest, NonPremultipliedFrameIsComposedOverBlack)
{
    bindWindow(EGL_ALPHA_FORMAT_NONPRE);
    clearTo(1.0f, 0.5f, 0.0f, 0.5f);
    ASSERT_EQ(eglSwapBuffers(EGL_NO_DISPLAY, window), EGL_TRUE);
    EXPECT_EQ(backPixel(0, 0), (std::array<int, 4>{0, 63, 127, 255}));
    EXPECT_EQ(backPixel(kCanvasWidth - 1, kCanvasHeight - 1), (std::array<int, 4>{0, 63, 127, 255}));
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
}

// In a premultiplied buffer the clear arrives as (255 x 128 >> 8, 127 x 128 >> 8, 0, 127) = (127, 63, 0,
// 127); reading it back un-premultiplies to (127 x 256 / 128, 63 x 256 / 128, 0) = (254, 126, 0) at alpha
// 127; composed: 254 x 128 >> 8 = 127 and 126 x 128 >> 8 = 63.
TEST_F(WindowSurfaceTest, PremultipliedFrameIsComposedOverBlack)
{
    bindWindow(EGL_ALPHA_FORMAT_PRE);
    clearTo(1.0f, 0.5f, 0.0f, 0.5f);
    ASSERT_EQ(eglSwapBuffers(EGL_NO_DISPLAY, window), EGL_TRUE);
    EXPECT_EQ(backPixel(3, 5), (std::array<int, 4>{0, 63, 127, 255}));
}

TEST_F(WindowSurfaceTest, RowsReachTheBackBufferBottomRowFirst)
{
    bindWindow(EGL_ALPHA_FORMAT_NONPRE);
    clearTo(0.0f, 0.0f, 0.0f, 1.0f);
    const VGfloat red[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    vgSetfv(VG_CLEAR_COLOR, 4, red);
    vgClear(0, 0, kCanvasWidth, 1); // the bottom row only
    ASSERT_EQ(eglSwapBuffers(EGL_NO_DISPLAY, window), EGL_TRUE);
    EXPECT_EQ(backPixel(0, 0), (std::array<int, 4>{0, 0, 255, 255}));
    EXPECT_EQ(backPixel(0, 1), (std::array<int, 4>{0, 0, 0, 255}));
}

TEST_F(WindowSurfaceTest, ResizedCanvasShowsOneBlackFrameThenTheNewSize)
{
    bindWindow(EGL_ALPHA_FORMAT_NONPRE);
    clearTo(1.0f, 1.0f, 1.0f, 1.0f);
    ASSERT_TRUE(goInitCanvas(kCanvasWidth, kCanvasHeight + 4)); // the canvas now reports a new height
    ASSERT_EQ(eglSwapBuffers(EGL_NO_DISPLAY, window), EGL_TRUE);
    const auto *pixels = reinterpret_cast<const uint8_t *>(goGetDeviceInfo(GO_INFO_PIXELS));
    for (int i = 0; i < kCanvasWidth * (kCanvasHeight + 4); ++i) {
        ASSERT_EQ(pixels[i * 4 + 2], 0) << "the drawing before the resize is lost: black";
        ASSERT_EQ(pixels[i * 4 + 3], 255);
    }
    EGLint value = 0;
    eglQuerySurface(EGL_NO_DISPLAY, window, EGL_HEIGHT, &value);
    EXPECT_EQ(value, kCanvasHeight + 4);
    // The bound context draws into the resized buffers: a full clear now covers the top row too.
    clearTo(0.0f, 0.0f, 1.0f, 1.0f);
    ASSERT_EQ(eglSwapBuffers(EGL_NO_DISPLAY, window), EGL_TRUE);
    EXPECT_EQ(pixels[((kCanvasHeight + 3) * kCanvasWidth) * 4 + 0], 255);
    EXPECT_EQ(static_cast<VgContext *>(eglGetCurrentVGContext())->edgeBuckets.size(), (kCanvasHeight + 4) * 8u);
}

TEST_F(WindowSurfaceTest, SwapNeedsTheSurfaceBoundOnThisThread)
{
    bindWindow(EGL_ALPHA_FORMAT_NONPRE);
    EGLSurface pbuffer = makePbuffer(configAt(0), 4, 4);
    EXPECT_EQ(eglSwapBuffers(EGL_NO_DISPLAY, pbuffer), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_SURFACE);
    EXPECT_EQ(eglSwapBuffers(EGL_NO_DISPLAY, bogusSurface()), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_SURFACE);
    EXPECT_EQ(eglSwapBuffers(reinterpret_cast<EGLDisplay>(1), window), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);

    // Bound to another thread only: refused on this one.
    ASSERT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, pbuffer, pbuffer, context), EGL_TRUE);
    WorkerThread worker;
    EGLContext other = eglCreateContext(EGL_NO_DISPLAY, configAt(0), EGL_NO_CONTEXT, nullptr);
    worker.run([&] {
        ASSERT_EQ(eglBindAPI(EGL_OPENVG_API), EGL_TRUE);
        ASSERT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, window, window, other), EGL_TRUE);
    });
    EXPECT_EQ(eglSwapBuffers(EGL_NO_DISPLAY, window), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_SURFACE);
    worker.run([&] { EXPECT_EQ(eglSwapBuffers(EGL_NO_DISPLAY, window), EGL_TRUE); });
    worker.run([] { eglMakeCurrent(EGL_NO_DISPLAY, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT); });
}

TEST_F(WindowSurfaceTest, SwapOfABoundPbufferPostsNothing)
{
    bindWindow(EGL_ALPHA_FORMAT_NONPRE);
    EGLSurface pbuffer = makePbuffer(configAt(0), 4, 4);
    ASSERT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, pbuffer, pbuffer, context), EGL_TRUE);
    clearTo(1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(eglSwapBuffers(EGL_NO_DISPLAY, pbuffer), EGL_TRUE);
    EXPECT_EQ(backPixel(0, 0), (std::array<int, 4>{0, 0, 0, 0})) << "the back buffer is untouched";
}

TEST_F(BoundContextTest, CopyBuffersFillsThePixmapFromTheBottomLeft)
{
    // Surface pixel (x, y) gets red = x and green = y, alpha 255.
    auto *buffer = static_cast<VgContext *>(eglGetCurrentVGContext())->colorBuffer;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            buffer->pixels[static_cast<size_t>(y) * width + x] =
                BufferPixel{static_cast<uint16_t>(x), static_cast<uint16_t>(y), 7, 255};
    std::vector<uint32_t> memory(12 * 12, 0xDEADBEEFu);
    NativePixmap pixmap{VG_sRGBA_8888, 10, 10, 12 * 4, memory.data()};
    ASSERT_EQ(eglCopyBuffers(display, surface, &pixmap), EGL_TRUE);
    EXPECT_EQ(memory[0], 0x000007FFu);                  // (0, 0): red 0, green 0, blue 7, alpha 255
    EXPECT_EQ(memory[9 * 12 + 9], 0x090907FFu);         // (9, 9)
    EXPECT_EQ(memory[10], 0xDEADBEEFu) << "past the pixmap width: untouched";
    EXPECT_EQ(memory[10 * 12], 0xDEADBEEFu) << "past the pixmap height: untouched";
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
}

TEST_F(BoundContextTest, CopyBuffersChecksThePixmap)
{
    std::vector<uint32_t> memory(4, 0);
    const NativePixmap bad[] = {{13, 2, 2, 8, memory.data()},
                                {VG_sRGBA_8888, 2, 2, 8, nullptr},
                                {VG_sRGBA_8888, 0, 2, 8, memory.data()},
                                {VG_sRGBA_8888, 2, -1, 8, memory.data()}};
    for (const NativePixmap &pixmap : bad) {
        NativePixmap copy = pixmap;
        EXPECT_EQ(eglCopyBuffers(display, surface, &copy), EGL_FALSE);
        EXPECT_EQ(eglGetError(), EGL_BAD_NATIVE_PIXMAP);
    }
    EXPECT_EQ(eglCopyBuffers(display, surface, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_NATIVE_PIXMAP);
    NativePixmap good{VG_sRGBA_8888, 2, 2, 8, memory.data()};
    EXPECT_EQ(eglCopyBuffers(display, bogusSurface(), &good), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_SURFACE);
}

} // namespace
} // namespace tamarind::test
