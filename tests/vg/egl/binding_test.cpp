// Binding a context and a surface to the calling thread: the checks of eglMakeCurrent, what binding
// does to the records, rebinding and switching, destroying what is bound, releasing the thread, the
// current-object queries, the API selection and the synchronisation calls.
#include "egl_test_helpers.h"

namespace tamarind::test {
namespace {

EGLBoolean unbind()
{
    return eglMakeCurrent(EGL_NO_DISPLAY, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

// The fixture's binding with a second listed pair of the same configuration, and a pair of another
// configuration, to bind against.
class MakeCurrentTest : public BoundContextTest {
protected:
    void SetUp() override
    {
        BoundContextTest::SetUp();
        otherSurface = makePbuffer(config, 16, 8);
        otherContext = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
        foreignSurface = makePbuffer(configAt(2), 4, 4);
        foreignContext = eglCreateContext(display, configAt(2), EGL_NO_CONTEXT, nullptr);
        ASSERT_NE(otherSurface, EGL_NO_SURFACE);
        ASSERT_NE(otherContext, EGL_NO_CONTEXT);
        ASSERT_NE(foreignSurface, EGL_NO_SURFACE);
        ASSERT_NE(foreignContext, EGL_NO_CONTEXT);
    }

    // The fixture's pair is still bound, attached and counted.
    void expectOriginalBinding()
    {
        EXPECT_EQ(eglGetCurrentContext(), context);
        EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), surface);
        EXPECT_EQ(eglGetCurrentVGContext(), contextRecord(context).vgContext);
        EXPECT_EQ(vgContextOf(context).colorBuffer, surfaceRecord(surface).colorBuffer);
        // The binding's reference, plus the display's while the pair is listed.
        EXPECT_EQ(contextRecord(context).references, listed ? 2 : 1);
        EXPECT_EQ(surfaceRecord(surface).references, listed ? 2 : 1);
    }

    // eglMakeCurrent fails with `code` and the old binding stays.
    void expectRefused(EGLDisplay dpy, EGLSurface draw, EGLSurface read, EGLContext ctx, EGLint code)
    {
        EXPECT_EQ(eglMakeCurrent(dpy, draw, read, ctx), EGL_FALSE);
        EXPECT_EQ(eglGetError(), code);
        expectOriginalBinding();
    }

    EGLSurface otherSurface = EGL_NO_SURFACE;
    EGLContext otherContext = EGL_NO_CONTEXT;
    EGLSurface foreignSurface = EGL_NO_SURFACE;
    EGLContext foreignContext = EGL_NO_CONTEXT;
    bool listed = true; // the fixture's pair is on the display
};

// ---- eglMakeCurrent: checks ----

TEST_F(MakeCurrentTest, NonZeroDisplayIsBadDisplay)
{
    const EGLDisplay one = reinterpret_cast<EGLDisplay>(1);
    expectRefused(one, surface, surface, context, 0x3008);
    expectRefused(one, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT, 0x3008);
    // The display comes first, before every other check.
    expectRefused(one, bogusSurface(), surface, bogusContext(), 0x3008);
}

TEST_F(MakeCurrentTest, UninitialisedDisplayRefusesAnythingToBind)
{
    ASSERT_EQ(eglTerminate(display), EGL_TRUE);
    listed = false;
    EXPECT_EQ(eglGetCurrentContext(), context); // the binding outlives the display
    expectRefused(display, surface, surface, context, 0x3001);
    expectRefused(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context, 0x3001);
    expectRefused(display, surface, EGL_NO_SURFACE, EGL_NO_CONTEXT, 0x3001);
    expectRefused(display, EGL_NO_SURFACE, surface, EGL_NO_CONTEXT, 0x3001);
    expectRefused(reinterpret_cast<EGLDisplay>(1), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT, 0x3008);
    // Releasing needs no initialised display.
    EXPECT_EQ(unbind(), EGL_TRUE);
    EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
}

TEST_F(MakeCurrentTest, ContextIsCheckedBeforeTheSurfaces)
{
    expectRefused(display, bogusSurface(), bogusSurface(), bogusContext(), 0x3006);
    expectRefused(display, surface, surface, bogusContext(), 0x3006);
    expectRefused(display, EGL_NO_SURFACE, EGL_NO_SURFACE, surface, 0x3006); // a surface is not a context
}

TEST_F(MakeCurrentTest, SurfacesMustBeListed)
{
    expectRefused(display, bogusSurface(), surface, context, 0x300D);
    expectRefused(display, surface, bogusSurface(), context, 0x300D);
    expectRefused(display, bogusSurface(), bogusSurface(), EGL_NO_CONTEXT, 0x300D);
    expectRefused(display, context, context, context, 0x300D); // a context is not a surface
    // Surface checks come before the draw/read match.
    expectRefused(display, otherSurface, bogusSurface(), context, 0x300D);
}

TEST_F(MakeCurrentTest, DrawReadAndContextMustGoTogether)
{
    expectRefused(display, surface, otherSurface, context, 0x3009);
    expectRefused(display, surface, EGL_NO_SURFACE, context, 0x3009);
    expectRefused(display, EGL_NO_SURFACE, surface, context, 0x3009);
    expectRefused(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context, 0x3009);
    expectRefused(display, surface, surface, EGL_NO_CONTEXT, 0x3009);
    expectRefused(display, EGL_NO_SURFACE, otherSurface, EGL_NO_CONTEXT, 0x3009);
}

TEST_F(MakeCurrentTest, ConfigurationMismatchKeepsTheOldBinding)
{
    expectRefused(display, foreignSurface, foreignSurface, context, 0x3009);
    expectRefused(display, surface, surface, foreignContext, 0x3009);
    // The pair of the other configuration binds fine together.
    EXPECT_EQ(eglMakeCurrent(display, foreignSurface, foreignSurface, foreignContext), EGL_TRUE);
    EXPECT_EQ(eglGetCurrentContext(), foreignContext);
}

TEST_F(MakeCurrentTest, LockedColourBufferIsBadAccessBeforeTheConfigurationCheck)
{
    surfaceRecord(foreignSurface).colorBuffer->locked = 1;
    expectRefused(display, foreignSurface, foreignSurface, context, 0x3002);
    expectRefused(display, foreignSurface, foreignSurface, foreignContext, 0x3002);
    // The match of draw, read and context comes before it.
    expectRefused(display, foreignSurface, EGL_NO_SURFACE, foreignContext, 0x3009);
    surfaceRecord(foreignSurface).colorBuffer->locked = 0;
    EXPECT_EQ(eglMakeCurrent(display, foreignSurface, foreignSurface, foreignContext), EGL_TRUE);
}

TEST_F(EglTest, FailuresOfAnUnboundThreadLeaveItUnbound)
{
    ASSERT_EQ(eglInitialize(EGL_NO_DISPLAY, nullptr, nullptr), EGL_TRUE);
    ASSERT_EQ(eglBindAPI(EGL_OPENVG_API), EGL_TRUE);
    EGLSurface surface = makePbuffer(configAt(0), 4, 4);
    EGLContext context = eglCreateContext(EGL_NO_DISPLAY, configAt(1), EGL_NO_CONTEXT, nullptr);
    EXPECT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, surface, surface, context), EGL_FALSE); // mismatch
    EXPECT_EQ(eglGetError(), EGL_SUCCESS); // dropped: the thread is not bound
    EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
    EXPECT_EQ(vgGetError(), 0x1007);
    EXPECT_TRUE(existingEglState()->boundThreads.empty());
    EXPECT_EQ(contextRecord(context).references, 1);
    EXPECT_EQ(surfaceRecord(surface).references, 1);
}

TEST_F(EglTest, ReleasingWithNothingBoundSucceedsEvenBeforeInitialisation)
{
    EXPECT_EQ(unbind(), EGL_TRUE);
    ASSERT_EQ(eglInitialize(EGL_NO_DISPLAY, nullptr, nullptr), EGL_TRUE);
    EXPECT_EQ(unbind(), EGL_TRUE);
    EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
}

// ---- eglMakeCurrent: what binding does ----

TEST_F(BoundContextTest, BindingAttachesTheSurfaceAndCountsTheBinding)
{
    const VgContext &vg = vgContextOf(context);
    const SurfaceRecord &record = surfaceRecord(surface);
    EXPECT_EQ(vg.colorBuffer, record.colorBuffer);
    EXPECT_EQ(vg.maskBuffer, record.maskBuffer);
    // One bucket per subsample row: 64 rows x 8.
    EXPECT_EQ(vg.edgeBuckets.size(), 512u);
    EXPECT_EQ(contextRecord(context).references, 2);
    EXPECT_EQ(record.references, 2);
    ASSERT_EQ(existingEglState()->boundThreads.size(), 1u);
    EXPECT_EQ(existingEglState()->boundThreads[0]->context, context);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);

    ASSERT_EQ(eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE);
    EXPECT_EQ(vg.colorBuffer, nullptr);
    EXPECT_EQ(vg.maskBuffer, nullptr);
    EXPECT_EQ(contextRecord(context).references, 1);
    EXPECT_EQ(record.references, 1);
    EXPECT_TRUE(existingEglState()->boundThreads.empty());
    EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
    EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetCurrentVGContext(), nullptr);
    EXPECT_EQ(vgGetError(), 0x1007);
}

TEST_F(MakeCurrentTest, RebindingTheSamePairKeepsItAndItsCounts)
{
    recordVgErrorOnThisThread(VG_BAD_HANDLE_ERROR);
    EXPECT_EQ(eglMakeCurrent(display, surface, surface, context), EGL_TRUE);
    expectOriginalBinding();
    EXPECT_EQ(existingEglState()->boundThreads.size(), 1u);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    // The VG context is the same one, with its pending error.
    EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
}

TEST_F(MakeCurrentTest, SwitchingPairsReleasesTheOldOne)
{
    ASSERT_EQ(eglMakeCurrent(display, otherSurface, otherSurface, otherContext), EGL_TRUE);
    EXPECT_EQ(eglGetCurrentContext(), otherContext);
    EXPECT_EQ(eglGetCurrentSurface(EGL_READ), otherSurface);
    EXPECT_EQ(vgContextOf(context).colorBuffer, nullptr);
    EXPECT_EQ(vgContextOf(otherContext).colorBuffer, surfaceRecord(otherSurface).colorBuffer);
    EXPECT_EQ(vgContextOf(otherContext).edgeBuckets.size(), 64u); // 8 rows x 8
    EXPECT_EQ(contextRecord(context).references, 1);
    EXPECT_EQ(surfaceRecord(surface).references, 1);
    EXPECT_EQ(contextRecord(otherContext).references, 2);
    EXPECT_EQ(surfaceRecord(otherSurface).references, 2);
    EXPECT_EQ(existingEglState()->boundThreads.size(), 1u);
}

TEST_F(MakeCurrentTest, SwitchingOnlyTheSurfaceReattachesTheContext)
{
    ASSERT_EQ(eglMakeCurrent(display, otherSurface, otherSurface, context), EGL_TRUE);
    EXPECT_EQ(eglGetCurrentContext(), context);
    EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), otherSurface);
    EXPECT_EQ(vgContextOf(context).colorBuffer, surfaceRecord(otherSurface).colorBuffer);
    EXPECT_EQ(vgContextOf(context).maskBuffer, surfaceRecord(otherSurface).maskBuffer);
    EXPECT_EQ(vgContextOf(context).edgeBuckets.size(), 64u);
    EXPECT_EQ(contextRecord(context).references, 2);
    EXPECT_EQ(surfaceRecord(surface).references, 1);
    EXPECT_EQ(surfaceRecord(otherSurface).references, 2);

    // And only the context: the surface moves to the new context.
    ASSERT_EQ(eglMakeCurrent(display, otherSurface, otherSurface, otherContext), EGL_TRUE);
    EXPECT_EQ(vgContextOf(context).colorBuffer, nullptr);
    EXPECT_EQ(vgContextOf(otherContext).colorBuffer, surfaceRecord(otherSurface).colorBuffer);
    EXPECT_EQ(surfaceRecord(otherSurface).references, 2);
    EXPECT_EQ(contextRecord(context).references, 1);
}

TEST_F(InitialisedTest, WindowAndPixmapSurfacesCanBeBound)
{
    EGLContext context = eglCreateContext(EGL_NO_DISPLAY, configAt(0), EGL_NO_CONTEXT, nullptr);
    EGLSurface window = eglCreateWindowSurface(EGL_NO_DISPLAY, configAt(0), nullptr, nullptr);
    ASSERT_NE(window, EGL_NO_SURFACE);
    ASSERT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, window, window, context), EGL_TRUE);
    EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), window);
    EXPECT_EQ(vgContextOf(context).colorBuffer, surfaceRecord(window).colorBuffer);

    std::vector<uint32_t> memory(6);
    NativePixmap pixmap{VG_sRGBA_8888, 3, 2, 12, memory.data()};
    EGLSurface pixmapSurface = eglCreatePixmapSurface(EGL_NO_DISPLAY, configAt(0), &pixmap, nullptr);
    ASSERT_NE(pixmapSurface, EGL_NO_SURFACE);
    ASSERT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, pixmapSurface, pixmapSurface, context), EGL_TRUE);
    EXPECT_EQ(eglGetCurrentSurface(EGL_READ), pixmapSurface);
    EXPECT_EQ(vgContextOf(context).edgeBuckets.size(), 16u); // 2 rows x 8
}

TEST_F(MakeCurrentTest, BindingThatRunsOutOfMemoryLeavesTheThreadUnbound)
{
    // A 1 x 2^26 pbuffer fits (2^26 pixels of 8 bytes is 512 MiB), but its scan-converter bucket table,
    // 2^26 rows x 8 subsample rows x 8 bytes = 2^32 bytes, does not fit a 32-bit size.
    EGLSurface tall = makePbuffer(config, 1, 1 << 26);
    ASSERT_NE(tall, EGL_NO_SURFACE);
    EXPECT_EQ(eglMakeCurrent(display, tall, tall, otherContext), EGL_FALSE);
    // The old binding was released before the failure; nothing of the new one was kept.
    EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
    EXPECT_EQ(eglGetCurrentVGContext(), nullptr);
    EXPECT_TRUE(existingEglState()->boundThreads.empty());
    EXPECT_EQ(vgGetError(), 0x1007);
    EXPECT_EQ(contextRecord(context).references, 1);
    EXPECT_EQ(surfaceRecord(surface).references, 1);
    EXPECT_EQ(contextRecord(otherContext).references, 1);
    EXPECT_EQ(surfaceRecord(tall).references, 1);
    EXPECT_EQ(vgContextOf(context).colorBuffer, nullptr);
    EXPECT_EQ(vgContextOf(otherContext).colorBuffer, nullptr);
    // The thread can bind again, and the big surface can go.
    EXPECT_EQ(eglDestroySurface(display, tall), EGL_TRUE);
    EXPECT_EQ(eglMakeCurrent(display, surface, surface, context), EGL_TRUE);
    expectOriginalBinding();
}

// ---- Destroying what is bound ----

TEST_F(MakeCurrentTest, DestroyedContextKeepsWorkingUntilUnbound)
{
    ASSERT_EQ(eglDestroyContext(display, context), EGL_TRUE);
    EXPECT_EQ(contextRecord(context).references, 1);
    EXPECT_EQ(eglGetCurrentContext(), context);
    EXPECT_EQ(eglGetCurrentVGContext(), contextRecord(context).vgContext);
    EXPECT_EQ(vgContextOf(context).colorBuffer, surfaceRecord(surface).colorBuffer);
    recordVgErrorOnThisThread(VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);

    // No longer on the display: it can be neither queried, destroyed again nor bound again.
    EGLint value = 0;
    EXPECT_EQ(eglQueryContext(display, context, EGL_CONFIG_ID, &value), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_CONTEXT);
    EXPECT_EQ(eglDestroyContext(display, context), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_CONTEXT);
    EXPECT_EQ(eglMakeCurrent(display, surface, surface, context), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_CONTEXT);
    EXPECT_EQ(eglGetCurrentContext(), context); // the failed call kept the binding

    // Moving to another pair destroys it (a leak or a use after free shows under the sanitizers).
    ASSERT_EQ(eglMakeCurrent(display, otherSurface, otherSurface, otherContext), EGL_TRUE);
    EXPECT_EQ(displayRecord()->contexts.size(), 2u); // otherContext and foreignContext
    EXPECT_EQ(surfaceRecord(surface).references, 1);
}

TEST_F(MakeCurrentTest, DestroyedSurfaceKeepsWorkingUntilUnbound)
{
    ASSERT_EQ(eglDestroySurface(display, surface), EGL_TRUE);
    EXPECT_EQ(surfaceRecord(surface).references, 1);
    EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), surface);
    const ColorBuffer *buffer = surfaceRecord(surface).colorBuffer;
    EXPECT_EQ(vgContextOf(context).colorBuffer, buffer);
    EXPECT_EQ(buffer->width, 64);
    vgFlush();
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);

    EGLint value = 0;
    EXPECT_EQ(eglQuerySurface(display, surface, EGL_WIDTH, &value), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_SURFACE);
    EXPECT_EQ(eglMakeCurrent(display, surface, surface, context), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_SURFACE);
    EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), surface);

    ASSERT_EQ(unbind(), EGL_TRUE);
    EXPECT_EQ(vgContextOf(context).colorBuffer, nullptr);
    EXPECT_EQ(contextRecord(context).references, 1);
    EXPECT_EQ(displayRecord()->surfaces.size(), 2u); // otherSurface and foreignSurface
}

TEST_F(BoundContextTest, TerminatedDisplayKeepsTheBindingUntilUnbound)
{
    ASSERT_EQ(eglTerminate(display), EGL_TRUE);
    EXPECT_EQ(eglGetCurrentContext(), context);
    EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), surface);
    EXPECT_EQ(contextRecord(context).references, 1);
    EXPECT_EQ(surfaceRecord(surface).references, 1);
    EXPECT_EQ(vgContextOf(context).colorBuffer, surfaceRecord(surface).colorBuffer);
    recordVgErrorOnThisThread(VG_OUT_OF_MEMORY_ERROR);
    EXPECT_EQ(vgGetError(), VG_OUT_OF_MEMORY_ERROR);

    // A new display does not list the old pair, but the thread is still bound to it.
    ASSERT_EQ(eglInitialize(display, nullptr, nullptr), EGL_TRUE);
    EXPECT_EQ(eglGetCurrentContext(), context);
    EXPECT_EQ(eglMakeCurrent(display, surface, surface, context), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_CONTEXT);
    ASSERT_EQ(eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE);
    EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
    EXPECT_TRUE(existingEglState()->boundThreads.empty());
}

// ---- eglReleaseThread ----

TEST_F(BoundContextTest, ReleaseThreadUnbindsAndForgetsEverything)
{
    ASSERT_EQ(eglSetConfigPreferenceKL(1), EGL_TRUE);
    EXPECT_EQ(eglReleaseThread(), EGL_TRUE);

    EXPECT_EQ(eglGetCurrentVGContext(), nullptr);
    EXPECT_EQ(vgGetError(), 0x1007);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
    EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), EGL_NO_SURFACE);
    // The display is uninitialised until initialised again.
    EXPECT_EQ(eglQueryString(display, EGL_VENDOR), nullptr);
    EXPECT_EQ(displayRecord(), nullptr);
    // The thread's API and preference were reset with its state.
    EXPECT_EQ(eglQueryAPI(), static_cast<EGLenum>(EGL_NONE));
    ASSERT_EQ(eglInitialize(display, nullptr, nullptr), EGL_TRUE);
    EXPECT_STREQ(eglQueryString(display, EGL_VENDOR), "Korvel Labs");
    EXPECT_EQ(choose({}), (std::vector<intptr_t>{0, 1, 2, 3, 4}));
    // The old pair is gone with the old display.
    EXPECT_EQ(eglMakeCurrent(display, surface, surface, context), EGL_FALSE);
    EXPECT_TRUE(displayRecord()->contexts.empty());
    EXPECT_TRUE(displayRecord()->surfaces.empty());
}

TEST_F(BoundContextTest, ReleaseThreadDestroysListedObjectsOfAnUnboundThread)
{
    // Listed but unbound objects are destroyed with the state (the sanitizers report a leak otherwise).
    EGLSurface extra = makePbuffer(configAt(4), 3, 3);
    EGLContext spare = eglCreateContext(display, configAt(4), EGL_NO_CONTEXT, nullptr);
    ASSERT_NE(extra, EGL_NO_SURFACE);
    ASSERT_NE(spare, EGL_NO_CONTEXT);
    ASSERT_EQ(eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE);
    EXPECT_EQ(eglReleaseThread(), EGL_TRUE);
    EXPECT_EQ(displayRecord(), nullptr);
}

TEST_F(EglTest, ReleaseThreadAlwaysSucceeds)
{
    EXPECT_EQ(eglReleaseThread(), EGL_TRUE); // no state at all
    EXPECT_EQ(eglReleaseThread(), EGL_TRUE);
    ASSERT_EQ(eglBindAPI(EGL_OPENVG_API), EGL_TRUE);
    EXPECT_EQ(eglReleaseThread(), EGL_TRUE);
    EXPECT_EQ(eglQueryAPI(), static_cast<EGLenum>(EGL_NONE));
}

TEST_F(EglTest, ReleaseThreadOfAThreadWithoutStateKeepsTheDisplay)
{
    // eglGetDisplay and eglInitialize give the calling thread no state of its own, and only a thread with
    // state frees the EGL state when it releases itself.
    ASSERT_EQ(eglInitialize(eglGetDisplay(EGL_DEFAULT_DISPLAY), nullptr, nullptr), EGL_TRUE);
    ASSERT_TRUE(existingEglState()->threads.empty());
    EXPECT_EQ(eglReleaseThread(), EGL_TRUE);
    EXPECT_STREQ(eglQueryString(EGL_NO_DISPLAY, EGL_VENDOR), "Korvel Labs");
}

// ---- Current objects ----

TEST_F(BoundContextTest, CurrentObjectsFollowTheBoundApi)
{
    EXPECT_EQ(eglGetCurrentContext(), context);
    EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), surface);
    EXPECT_EQ(eglGetCurrentSurface(EGL_READ), surface);
    EXPECT_EQ(eglGetCurrentDisplay(), EGL_NO_DISPLAY);

    // With the other API selected nothing of OpenVG is current, yet the binding remains.
    ASSERT_EQ(eglBindAPI(EGL_OPENGL_ES_API), EGL_TRUE);
    EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
    EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetCurrentSurface(EGL_READ), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetCurrentDisplay(), EGL_NO_DISPLAY);
    EXPECT_NE(eglGetCurrentVGContext(), nullptr);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);

    ASSERT_EQ(eglBindAPI(EGL_OPENVG_API), EGL_TRUE);
    EXPECT_EQ(eglGetCurrentContext(), context);
    EXPECT_EQ(eglGetCurrentSurface(EGL_READ), surface);
}

TEST_F(EglTest, NothingIsCurrentOnAnUnboundThread)
{
    EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
    EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetCurrentSurface(EGL_READ), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetCurrentDisplay(), EGL_NO_DISPLAY);
    EXPECT_EQ(eglGetCurrentVGContext(), nullptr);
    ASSERT_EQ(eglBindAPI(EGL_OPENVG_API), EGL_TRUE);
    EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
    EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), EGL_NO_SURFACE);
}

TEST_F(BoundContextTest, GetCurrentSurfaceNeedsDrawOrRead)
{
    for (EGLint which : {0, EGL_NONE, 0x3058, 0x305B, -1}) {
        EXPECT_EQ(eglGetCurrentSurface(which), EGL_NO_SURFACE) << std::hex << which;
        EXPECT_EQ(eglGetError(), 0x300C) << std::hex << which;
    }
    EXPECT_EQ(eglGetCurrentSurface(0x3059), surface); // EGL_DRAW
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    EXPECT_EQ(eglGetCurrentSurface(0x305A), surface); // EGL_READ
}

// ---- API selection ----

TEST_F(EglTest, ApiStartsUnsetAndTakesOnlyTheTwoKnownValues)
{
    EXPECT_EQ(eglQueryAPI(), static_cast<EGLenum>(0x3038)); // EGL_NONE
    EXPECT_EQ(eglBindAPI(0x30A1), EGL_TRUE);                 // EGL_OPENVG_API
    EXPECT_EQ(eglQueryAPI(), static_cast<EGLenum>(0x30A1));
    EXPECT_EQ(eglBindAPI(0x30A0), EGL_TRUE); // EGL_OPENGL_ES_API
    EXPECT_EQ(eglQueryAPI(), static_cast<EGLenum>(0x30A0));
    for (EGLenum api : {0x30A2u, 0x3038u, 0u, 0x30A3u, 0x309Fu}) {
        EXPECT_EQ(eglBindAPI(api), EGL_FALSE) << std::hex << api;
        EXPECT_EQ(eglQueryAPI(), static_cast<EGLenum>(0x30A0)) << std::hex << api;
    }
}

TEST_F(BoundContextTest, BindApiRejectionIsBadParameter)
{
    EXPECT_EQ(eglBindAPI(0x30A2), EGL_FALSE);
    EXPECT_EQ(eglGetError(), 0x300C);
    EXPECT_EQ(eglQueryAPI(), static_cast<EGLenum>(EGL_OPENVG_API));
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
}

// ---- Synchronisation ----

TEST_F(EglTest, WaitCallsSucceedBeforeInitialisation)
{
    EXPECT_EQ(eglWaitGL(), EGL_TRUE);
    EXPECT_EQ(eglWaitNative(EGL_CORE_NATIVE_ENGINE), EGL_TRUE);
    EXPECT_EQ(eglWaitNative(0x1234), EGL_TRUE);
    EXPECT_EQ(eglWaitClient(), EGL_TRUE);
    ASSERT_EQ(eglBindAPI(EGL_OPENGL_ES_API), EGL_TRUE);
    EXPECT_EQ(eglWaitClient(), EGL_TRUE);
}

TEST_F(BoundContextTest, WaitClientFinishesAndRecordsSuccess)
{
    recordVgErrorOnThisThread(VG_PATH_CAPABILITY_ERROR);
    EXPECT_EQ(eglQueryString(display, 0), nullptr);
    ASSERT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(eglWaitClient(), EGL_TRUE);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    // Finishing leaves the binding and the VG error alone.
    EXPECT_EQ(eglGetCurrentContext(), context);
    EXPECT_EQ(vgContextOf(context).colorBuffer, surfaceRecord(surface).colorBuffer);
    EXPECT_EQ(vgGetError(), VG_PATH_CAPABILITY_ERROR);
    ASSERT_EQ(eglBindAPI(EGL_OPENGL_ES_API), EGL_TRUE);
    EXPECT_EQ(eglWaitClient(), EGL_TRUE);
}

TEST_F(BoundContextTest, SwapIntervalNeedsOnlyAnInitialisedDisplay)
{
    for (EGLint interval : {1, 0, -5, 100}) {
        EXPECT_EQ(eglSwapInterval(display, interval), EGL_TRUE) << interval;
        EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    }
    EXPECT_EQ(eglSwapInterval(reinterpret_cast<EGLDisplay>(1), 1), EGL_FALSE);
    EXPECT_EQ(eglGetError(), 0x3001);
    ASSERT_EQ(eglTerminate(display), EGL_TRUE);
    EXPECT_EQ(eglSwapInterval(display, 1), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
}

} // namespace
} // namespace tamarind::test
