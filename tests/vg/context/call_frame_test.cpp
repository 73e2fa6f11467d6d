// The entry-point frame: no bound context, the pending error, out-of-memory handling.
#include "egl_fixture.h"

#include "context/call_frame.h"
#include "context/vg_context.h"

#include <thread>

namespace tamarind::test {
namespace {

VgContext &boundContext()
{
    return *static_cast<VgContext *>(eglGetCurrentVGContext());
}

TEST_F(EglTest, WithoutABoundContextCallsDoNothingAndReportNoContext)
{
    vgFlush();
    vgFinish();
    EXPECT_EQ(vgGetError(), VG_NO_CONTEXT_ERROR);
    EXPECT_EQ(vgGetError(), VG_NO_CONTEXT_ERROR) << "the no-context code is never stored";
    EXPECT_EQ(eglGetCurrentVGContext(), nullptr);
}

TEST_F(EglTest, FrameReturnsTheNeutralResultWithoutRunningTheBody)
{
    bool ran = false;
    const int result = vgCall(17, [&](VgContext &) {
        ran = true;
        return 5;
    });
    EXPECT_EQ(result, 17);
    EXPECT_FALSE(ran);
}

TEST_F(BoundContextTest, FirstErrorSticksUntilRead)
{
    recordError(boundContext(), VG_BAD_HANDLE_ERROR);
    recordError(boundContext(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    recordError(boundContext(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
}

TEST_F(BoundContextTest, AllocationFailureBecomesOutOfMemoryAndKeepsAPendingError)
{
    const int result = vgCall(-1, [](VgContext &) -> int { throw std::bad_alloc(); });
    EXPECT_EQ(result, -1);
    EXPECT_EQ(vgGetError(), VG_OUT_OF_MEMORY_ERROR);

    recordError(boundContext(), VG_PATH_CAPABILITY_ERROR);
    vgCall([](VgContext &) { throw std::bad_alloc(); });
    EXPECT_EQ(vgGetError(), VG_PATH_CAPABILITY_ERROR);
}

TEST_F(BoundContextTest, FrameReleasesTheMutexOnEveryPath)
{
    vgCall([](VgContext &) { throw std::bad_alloc(); });
    vgCall([](VgContext &) {});
    // Another thread must be able to enter the library now.
    bool entered = false;
    std::thread([&] {
        vgFinish();
        entered = true;
    }).join();
    EXPECT_TRUE(entered);
}

TEST_F(BoundContextTest, ErrorsAreKeptPerContext)
{
    EGLContext second = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    EGLSurface other = makePbuffer(config, 8, 8);
    recordError(boundContext(), VG_BAD_HANDLE_ERROR);
    ASSERT_EQ(eglMakeCurrent(display, other, other, second), EGL_TRUE);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);
    ASSERT_EQ(eglMakeCurrent(display, surface, surface, context), EGL_TRUE);
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
}

} // namespace
} // namespace tamarind::test
