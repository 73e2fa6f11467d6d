// Test fixtures: a clean EGL state for every test, and a 64 x 64 pbuffer with a bound VG context.
#ifndef TAMARIND_TESTS_SUPPORT_EGL_FIXTURE_H
#define TAMARIND_TESTS_SUPPORT_EGL_FIXTURE_H

#include <EGL/egl.h>
#include <EGL/egl_kl.h>
#include <VG/openvg.h>

#include <gtest/gtest.h>

namespace tamarind::test {

// Frees every EGL object and the EGL state itself, whatever the threads left behind.
void resetEgl();

// Starts and ends every test with an empty EGL state.
class EglTest : public ::testing::Test {
protected:
    void SetUp() override { resetEgl(); }
    void TearDown() override { resetEgl(); }
};

// An initialised display, the OpenVG API bound, and configuration `config` with a pbuffer and a context
// made current on the calling thread.
class BoundContextTest : public EglTest {
protected:
    void SetUp() override;

    EGLDisplay display = EGL_NO_DISPLAY;
    EGLConfig config = nullptr;
    EGLSurface surface = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;
    EGLint width = 64;
    EGLint height = 64;
};

// An EGLConfig handle from its index.
inline EGLConfig configAt(int index)
{
    return reinterpret_cast<EGLConfig>(static_cast<intptr_t>(index));
}

// Creates a pbuffer surface of the given size on display 0, or EGL_NO_SURFACE.
EGLSurface makePbuffer(EGLConfig config, EGLint width, EGLint height);

} // namespace tamarind::test

#endif
