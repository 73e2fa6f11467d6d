// A small program of the canvas: a teal window with a band of changing colour that slides across it,
// drawn with vgClear on an EGL window surface. Escape closes it. It prints one line once the first frame
// is on the screen, so scripts can wait for it before they look at the window.
#include <EGL/egl.h>
#include <VG/openvg.h>

#include "platform.h"

#include <atomic>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr VGfloat kBackground[4] = {0.1f, 0.5f, 0.6f, 1.0f};

EGLSurface surface = EGL_NO_SURFACE;
EGLContext context = EGL_NO_CONTEXT;
std::atomic<int> tick{0}; // advanced by the timer thread
int drawnTick = -1;

void drawFrame()
{
    const int t = tick.load();
    const int width = static_cast<int>(goGetDeviceInfo(GO_INFO_WIDTH));
    const int height = static_cast<int>(goGetDeviceInfo(GO_INFO_HEIGHT));
    vgSetfv(VG_CLEAR_COLOR, 4, kBackground);
    vgClear(0, 0, width, height);
    const float phase = static_cast<float>(t) * 0.05f;
    const VGfloat band[4] = {0.5f + 0.5f * std::sin(phase), 0.5f + 0.5f * std::sin(phase + 2.1f),
                             0.5f + 0.5f * std::sin(phase + 4.2f), 1.0f};
    vgSetfv(VG_CLEAR_COLOR, 4, band);
    const int bandWidth = width / 5;
    const int x = (t * 3) % (width + bandWidth) - bandWidth;
    vgClear(x, height / 3, bandWidth, height / 3);
    eglSwapBuffers(EGL_NO_DISPLAY, surface);
    drawnTick = t;
}

void onIdle()
{
    if (tick.load() != drawnTick)
        drawFrame();
}

void onPaint()
{
    drawFrame();
}

void onTimer()
{
    tick.fetch_add(1);
}

void onKey(int key, int pressed)
{
    if (key == 0x1B && pressed) // Escape
        goDestoryCanvas();
}

void onExit()
{
    goKillTimer();
    eglMakeCurrent(EGL_NO_DISPLAY, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(EGL_NO_DISPLAY, context);
    eglDestroySurface(EGL_NO_DISPLAY, surface);
    eglTerminate(EGL_NO_DISPLAY);
    eglReleaseThread();
}

} // namespace

int main()
{
    if (!goInitCanvas(kWidth, kHeight))
        return 1;
    goSetCanvasTitle("Tamarind canvas demo");
    EGLDisplay display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    const EGLint attributes[] = {EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    eglInitialize(display, nullptr, nullptr);
    eglBindAPI(EGL_OPENVG_API);
    eglChooseConfig(display, attributes, &config, 1, &count);
    surface = eglCreateWindowSurface(display, config, reinterpret_cast<EGLNativeWindowType>(goGetDeviceInfo(GO_INFO_WINDOW)),
                                     nullptr);
    context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (count != 1 || eglMakeCurrent(display, surface, surface, context) != EGL_TRUE)
        return 1;

    drawFrame();
    std::printf("canvas-demo: first frame shown\n");
    std::fflush(stdout);

    goSetFunctionEntry(GO_ENTRY_IDLE, reinterpret_cast<intptr_t>(&onIdle));
    goSetFunctionEntry(GO_ENTRY_PAINT, reinterpret_cast<intptr_t>(&onPaint));
    goSetFunctionEntry(GO_ENTRY_TIMER, reinterpret_cast<intptr_t>(&onTimer));
    goSetFunctionEntry(GO_ENTRY_KEY, reinterpret_cast<intptr_t>(&onKey));
    goSetFunctionEntry(GO_ENTRY_EXIT, reinterpret_cast<intptr_t>(&onExit));
    goSetTimer(30);
    goMainLoop();
    return 0;
}
