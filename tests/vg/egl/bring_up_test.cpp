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

} // namespace
} // namespace tamarind::test
