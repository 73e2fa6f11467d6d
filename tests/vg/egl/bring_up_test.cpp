// The whole bring-up of an application on a pbuffer, and its tear-down.
#include "egl_fixture.h"

namespace tamarind::test {
namespace {

TEST_F(BoundContextTest, BoundThreadSeesItsContextAndSurface)
{
    EXPECT_EQ(eglGetCurrentContext(), context);
    EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), surface);
    EXPECT_EQ(eglGetCurrentSurface(EGL_READ), surface);
    EXPECT_NE(eglGetCurrentVGContext(), nullptr);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
}

// The sequence an application runs: bring-up on a window surface, then tear-down in reverse.
TEST_F(EglTest, ApplicationBringUpAndTearDown)
{
    EGLDisplay display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    EGLint major = 0;
    EGLint minor = 0;
    ASSERT_EQ(eglInitialize(display, &major, &minor), EGL_TRUE);
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 2);
    ASSERT_EQ(eglBindAPI(EGL_OPENVG_API), EGL_TRUE);
    const EGLint wanted[] = {EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8, EGL_NONE};
    EGLConfig config = configAt(5);
    EGLint count = 0;
    ASSERT_EQ(eglChooseConfig(display, wanted, &config, 1, &count), EGL_TRUE);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(config, configAt(0));
    EGLSurface surface = eglCreateWindowSurface(display, config, nullptr, nullptr);
    ASSERT_NE(surface, EGL_NO_SURFACE);
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    ASSERT_NE(context, EGL_NO_CONTEXT);
    ASSERT_EQ(eglMakeCurrent(display, surface, surface, context), EGL_TRUE);
    EXPECT_EQ(eglGetCurrentContext(), context);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);

    EXPECT_EQ(eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE);
    EXPECT_EQ(eglDestroyContext(display, context), EGL_TRUE);
    EXPECT_EQ(eglDestroySurface(display, surface), EGL_TRUE);
    EXPECT_EQ(eglTerminate(display), EGL_TRUE);
    EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
    EXPECT_EQ(vgGetError(), 0x1007);
    EXPECT_EQ(eglQueryString(display, EGL_VENDOR), nullptr);
}

} // namespace
} // namespace tamarind::test
