// Opening the canvas, the device queries with a canvas, the window title and goSwapBuffer.
#include "canvas_fixture.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

namespace canvas_test {
namespace {

constexpr const char *kDefaultTitle = "Quillon Studio - OpenVG TestWindow 1.00c";

using CanvasInit = CanvasTest;

TEST_F(CanvasInit, ReportsItsSizeWindowAndAZeroedBackBuffer)
{
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_WIDTH), 320);
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_HEIGHT), 240);
    SDL_Window *window = canvasWindow();
    ASSERT_NE(window, nullptr);
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    EXPECT_STREQ(SDL_GetWindowTitle(window), kDefaultTitle);
    const uint8_t *pixels = backBuffer();
    ASSERT_NE(pixels, nullptr);
    EXPECT_TRUE(allBytesZero(pixels, 320 * 240 * 4)); // 320 x 240 pixels of 4 bytes
    EXPECT_EQ(goGetLastErrorCode(), 0);
}

TEST_F(CanvasInit, SecondCallKeepsTheWindowAndAppliesTheNewSizeToAFreshBuffer)
{
    SDL_Window *window = canvasWindow();
    std::memset(backBuffer(), 0xAB, 320 * 240 * 4);
    goSetCanvasTitle("Renamed");

    ASSERT_TRUE(goInitCanvas(200, 100));
    EXPECT_EQ(canvasWindow(), window);
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_WIDTH), 200);
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_HEIGHT), 100);
    uint8_t *pixels = backBuffer();
    ASSERT_NE(pixels, nullptr);
    EXPECT_TRUE(allBytesZero(pixels, 200 * 100 * 4));
    pixels[200 * 100 * 4 - 1] = 1; // the last byte belongs to the buffer
    // The window itself keeps its size and title.
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    EXPECT_STREQ(SDL_GetWindowTitle(window), "Renamed");
}

TEST_F(CanvasInit, ResetsEveryCallbackAndTheLastError)
{
    setEntry(GO_ENTRY_IDLE, &recordIdle);
    stopTimer();
    resetTimerProbe();
    setEntry(GO_ENTRY_TIMER, &countTimerTick);
    EXPECT_EQ(goGetDeviceInfo(0x5204), -1);

    ASSERT_TRUE(goInitCanvas(kWidth, kHeight));
    EXPECT_EQ(goGetLastErrorCode(), 0);

    // One event for every event slot, then the quit that ends the loop: nothing registered before the
    // second goInitCanvas may run, the exit function included.
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    pushKey(true, SDLK_ESCAPE);
    pushText("a");
    pushMouseMotion(1, 1, SDL_BUTTON_LMASK);
    pushMouseButton(true, SDL_BUTTON_LEFT, 1, 1);
    pushMouseButton(true, SDL_BUTTON_RIGHT, 1, 1);
    pushWindowEvent(SDL_WINDOWEVENT_EXPOSED);
    pushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 100, 50);
    pushQuit();
    goMainLoop();
    EXPECT_EQ(calls, std::vector<Call>{});

    // The timer slot too: a running timer calls nothing until a function is registered again.
    goSetTimer(1);
    EXPECT_FALSE(ticksExceedWithin(0, std::chrono::milliseconds(100)));
    setEntry(GO_ENTRY_TIMER, &countTimerTick);
    EXPECT_TRUE(ticksExceedWithin(0, std::chrono::seconds(10))) << "the timer never ran";
    stopTimer();
}

TEST_F(CanvasInit, RejectedRegistrationsLeaveTheSlotsUnchanged)
{
    goSetFunctionEntry(GO_ENTRY_PAINT, 0);
    EXPECT_EQ(goGetLastErrorCode(), GO_ERROR_NULL_FUNCTION);
    EXPECT_EQ(goGetLastErrorCode(), 0);
    setEntry(0x510A, &recordSize);
    EXPECT_EQ(goGetLastErrorCode(), GO_ERROR_BAD_ID);
    EXPECT_EQ(goGetDeviceInfo(0x5204), -1);
    EXPECT_EQ(goGetLastErrorCode(), GO_ERROR_BAD_ID);

    pushWindowEvent(SDL_WINDOWEVENT_EXPOSED);
    pushKey(true, SDLK_a);
    runLoopUntilDrained();
    // The paint recorder is still registered; the key slot still holds the key recorder.
    EXPECT_EQ(eventCalls(), (std::vector<Call>{{GO_ENTRY_PAINT}, {GO_ENTRY_KEY, 'A', 1}, {GO_ENTRY_EXIT}}));
}

TEST_F(CanvasInit, TitleCanBeChangedAndANullTitleIsIgnored)
{
    goSetCanvasTitle("Lesson 3");
    EXPECT_STREQ(SDL_GetWindowTitle(canvasWindow()), "Lesson 3");
    goSetCanvasTitle(nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(canvasWindow()), "Lesson 3");
}

// A size whose back buffer cannot exist must be reported as a failure, not thrown at the caller (the
// exported functions are called from C programs too).
TEST_F(CanvasInit, ImpossibleSizeIsReportedAsFailureWithoutThrowing)
{
    bool result = false;
    EXPECT_NO_THROW(result = goInitCanvas(INT_MAX, INT_MAX)); // (2^31 - 1)^2 x 4 bytes
    EXPECT_FALSE(result);
    goGetLastErrorCode();
    ASSERT_TRUE(goInitCanvas(kWidth, kHeight));
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_WIDTH), 320);
    EXPECT_NE(backBuffer(), nullptr);
}

// Without a usable video driver no window can be created: false, GO_ERROR_NO_WINDOW, no back buffer.
// Runs in a fresh process (the video driver is chosen once per process); any message box is kept from
// appearing by removing the display.
TEST(CanvasInitDeathTest, WindowFailureReportsNoWindow)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
            goGetLastErrorCode();
            const bool result = goInitCanvas(320, 240);
            const int error = goGetLastErrorCode();
            const intptr_t window = goGetDeviceInfo(GO_INFO_WINDOW);
            const intptr_t pixels = goGetDeviceInfo(GO_INFO_PIXELS);
            std::fprintf(stderr, "result %d error 0x%x window %ld pixels %ld\n", result ? 1 : 0, error,
                         static_cast<long>(window), static_cast<long>(pixels));
            _exit(!result && error == GO_ERROR_NO_WINDOW && window == 0 && pixels == 0 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// Pixel (x, row) of the bottom-up back buffer; row 0 is the bottom row.
uint8_t *pixelAt(int x, int row, int width = kWidth)
{
    return backBuffer() + (static_cast<size_t>(row) * width + x) * 4;
}

void setPixel(int x, int row, uint8_t blue, uint8_t green, uint8_t red, uint8_t alpha)
{
    uint8_t *p = pixelAt(x, row);
    p[0] = blue;
    p[1] = green;
    p[2] = red;
    p[3] = alpha;
}

std::vector<int> pixelValue(int x, int row)
{
    const uint8_t *p = pixelAt(x, row);
    return {p[0], p[1], p[2], p[3]};
}

using SwapBuffer = CanvasTest;

TEST_F(SwapBuffer, ComposesEveryNonOpaquePixelOverBlack)
{
    setPixel(0, 0, 255, 0, 0, 0);       // (c x (0 + 1)) >> 8 = 0 for c <= 255
    setPixel(1, 0, 200, 0, 0, 128);     // (200 x 129) >> 8 = 25800 >> 8 = 100
    setPixel(2, 0, 10, 20, 30, 255);    // opaque: unchanged
    setPixel(3, 0, 0, 200, 100, 128);   // green 100 as above; red (100 x 129) >> 8 = 12900 >> 8 = 50
    setPixel(4, 0, 255, 255, 255, 254); // (255 x 255) >> 8 = 65025 >> 8 = 254
    setPixel(319, 239, 255, 128, 1, 64); // (255 x 65) >> 8 = 64; (128 x 65) >> 8 = 32; (1 x 65) >> 8 = 0
    goSwapBuffer();
    EXPECT_EQ(pixelValue(0, 0), (std::vector<int>{0, 0, 0, 255}));
    EXPECT_EQ(pixelValue(1, 0), (std::vector<int>{100, 0, 0, 255}));
    EXPECT_EQ(pixelValue(2, 0), (std::vector<int>{10, 20, 30, 255}));
    EXPECT_EQ(pixelValue(3, 0), (std::vector<int>{0, 100, 50, 255}));
    EXPECT_EQ(pixelValue(4, 0), (std::vector<int>{254, 254, 254, 255}));
    EXPECT_EQ(pixelValue(319, 239), (std::vector<int>{64, 32, 0, 255}));
    // A pixel left at zero (alpha 0) becomes opaque black.
    EXPECT_EQ(pixelValue(160, 120), (std::vector<int>{0, 0, 0, 255}));

    // Everything is opaque now: a second swap changes nothing.
    goSwapBuffer();
    EXPECT_EQ(pixelValue(1, 0), (std::vector<int>{100, 0, 0, 255}));
    EXPECT_EQ(pixelValue(319, 239), (std::vector<int>{64, 32, 0, 255}));
}

// Red, green, blue of the window surface at (x, y), y counted down from the top.
std::vector<int> windowPixel(int x, int y)
{
    SDL_Surface *surface = SDL_GetWindowSurface(canvasWindow());
    if (surface == nullptr || surface->format->BytesPerPixel != 4 || x >= surface->w || y >= surface->h)
        return {};
    if (SDL_MUSTLOCK(surface))
        SDL_LockSurface(surface);
    uint32_t value = 0;
    std::memcpy(&value, static_cast<const uint8_t *>(surface->pixels) + y * surface->pitch + x * 4, 4);
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    SDL_GetRGB(value, surface->format, &r, &g, &b);
    return {r, g, b};
}

TEST_F(SwapBuffer, ShowsTheBackBufferInTheWindowBottomRowLast)
{
    setPixel(5, 0, 10, 20, 30, 255);   // bottom row of the back buffer: last row of the window
    setPixel(7, 239, 200, 0, 0, 128);  // top row; blue (200 x 129) >> 8 = 100
    setPixel(319, 120, 0, 0, 255, 255); // right edge, row 120 from the bottom = window row 239 - 120 = 119
    goSwapBuffer();
    EXPECT_EQ(windowPixel(5, 239), (std::vector<int>{30, 20, 10}));
    EXPECT_EQ(windowPixel(7, 0), (std::vector<int>{0, 0, 100}));
    EXPECT_EQ(windowPixel(319, 119), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(windowPixel(5, 0), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(windowPixel(100, 100), (std::vector<int>{0, 0, 0}));
}

TEST_F(SwapBuffer, ShowsASmallerCanvasAfterASecondInit)
{
    ASSERT_TRUE(goInitCanvas(200, 100));
    uint8_t *p = backBuffer() + (static_cast<size_t>(99) * 200 + 199) * 4; // top-right pixel of 200 x 100
    p[0] = 0;
    p[1] = 255;
    p[2] = 0;
    p[3] = 255;
    goSwapBuffer();
    EXPECT_EQ(windowPixel(199, 0), (std::vector<int>{0, 255, 0}));
}

} // namespace
} // namespace canvas_test
