// Test fixtures for the EGL and VG layers.
#include "egl_fixture.h"

#include "context/api_lock.h"
#include "egl/thread_state.h"

namespace tamarind::test {

void resetEgl()
{
    ApiLock lock;
    freeEglState();
}

EGLSurface makePbuffer(EGLConfig config, EGLint width, EGLint height)
{
    const EGLint attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    return eglCreatePbufferSurface(EGL_NO_DISPLAY, config, attributes);
}

void BoundContextTest::SetUp()
{
    EglTest::SetUp();
    display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    ASSERT_EQ(eglInitialize(display, nullptr, nullptr), EGL_TRUE);
    ASSERT_EQ(eglBindAPI(EGL_OPENVG_API), EGL_TRUE);
    config = configAt(0);
    surface = makePbuffer(config, width, height);
    ASSERT_NE(surface, EGL_NO_SURFACE);
    context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    ASSERT_NE(context, EGL_NO_CONTEXT);
    ASSERT_EQ(eglMakeCurrent(display, surface, surface, context), EGL_TRUE);
}

} // namespace tamarind::test
