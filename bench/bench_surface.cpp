// Benchmark surface set-up.
#include "bench_surface.h"

#include <cstdint>
#include <cstdlib>

namespace tamarind::bench {

BenchSurface::BenchSurface(int width, int height, EGLint alphaFormat)
{
    EGLDisplay display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    eglInitialize(display, nullptr, nullptr);
    eglBindAPI(EGL_OPENVG_API);
    const EGLConfig config = reinterpret_cast<EGLConfig>(static_cast<intptr_t>(0));
    const EGLint attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_ALPHA_FORMAT, alphaFormat, EGL_NONE};
    surface_ = eglCreatePbufferSurface(display, config, attributes);
    context_ = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (eglMakeCurrent(display, surface_, surface_, context_) != EGL_TRUE)
        std::abort();
}

BenchSurface::~BenchSurface()
{
    EGLDisplay display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display, context_);
    eglDestroySurface(display, surface_);
    eglTerminate(display);
    eglReleaseThread();
}

} // namespace tamarind::bench
