// A bound pbuffer surface and context for benchmarks.
#ifndef TAMARIND_BENCH_SURFACE_H
#define TAMARIND_BENCH_SURFACE_H

#include <EGL/egl.h>
#include <VG/openvg.h>

namespace tamarind::bench {

// Brings EGL up on a width x height pbuffer of configuration 0 and makes it current; tears it down when
// destroyed.
class BenchSurface {
public:
    BenchSurface(int width, int height, EGLint alphaFormat = EGL_ALPHA_FORMAT_NONPRE);
    ~BenchSurface();
    BenchSurface(const BenchSurface &) = delete;
    BenchSurface &operator=(const BenchSurface &) = delete;

private:
    EGLSurface surface_ = EGL_NO_SURFACE;
    EGLContext context_ = EGL_NO_CONTEXT;
};

} // namespace tamarind::bench

#endif
