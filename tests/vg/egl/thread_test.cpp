// Threads: each thread has its own binding, EGL error slot, API and configuration preference, and its
// vg* calls reach only the context it has bound. Threads are told apart by their system thread id.
// Every wait on another thread has a deadline.
#include "egl_test_helpers.h"
#include "worker_thread.h"

#include <condition_variable>
#include <deque>
#include <latch>
#include <mutex>
#include <string>

namespace tamarind::test {
namespace {

constexpr auto kDeadline = std::chrono::seconds(30);


// ---- Per-thread slots ----

TEST_F(BoundContextTest, EachBoundThreadSeesItsOwnErrors)
{
    // The main thread leaves EGL_BAD_PARAMETER and a VG error pending.
    EXPECT_EQ(eglQueryString(display, 0), nullptr);
    recordVgErrorOnThisThread(VG_ILLEGAL_ARGUMENT_ERROR);

    WorkerThread worker;
    OwnBinding theirs;
    worker.run([&] {
        theirs = bindOwnPbuffer(3, 8, 8);
        EXPECT_NE(theirs.context, context);
        EXPECT_EQ(eglGetError(), EGL_SUCCESS);
        EXPECT_EQ(vgGetError(), VG_NO_ERROR);
        EXPECT_EQ(eglGetConfigAttrib(EGL_NO_DISPLAY, configAt(7), EGL_RED_SIZE, nullptr), EGL_FALSE);
        EXPECT_EQ(eglGetError(), EGL_BAD_CONFIG);
        recordVgErrorOnThisThread(VG_BAD_HANDLE_ERROR);
    });

    // Neither thread's failures reached the other.
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(eglGetCurrentContext(), context);
    worker.run([&] {
        EXPECT_EQ(eglGetError(), EGL_BAD_CONFIG);
        EXPECT_EQ(eglGetCurrentContext(), theirs.context);
        EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), theirs.surface);
        EXPECT_EQ(eglGetCurrentVGContext(), contextRecord(theirs.context).vgContext);
        EXPECT_EQ(vgGetError(), VG_BAD_HANDLE_ERROR);
        EXPECT_EQ(vgGetError(), VG_NO_ERROR);
        // The queries above succeeded and cleared the slot; fail again for the next step.
        EXPECT_EQ(eglGetError(), EGL_SUCCESS);
        EXPECT_EQ(eglGetConfigAttrib(EGL_NO_DISPLAY, configAt(7), EGL_RED_SIZE, nullptr), EGL_FALSE);
    });
    EXPECT_EQ(vgGetError(), VG_ILLEGAL_ARGUMENT_ERROR);
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);

    // A success on one thread clears only that thread's slot.
    worker.run([&] { EXPECT_EQ(eglGetError(), EGL_BAD_CONFIG); });
    EXPECT_NE(eglQueryString(display, EGL_VENDOR), nullptr);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    worker.run([&] {
        EXPECT_EQ(eglGetError(), EGL_BAD_CONFIG);
        dropOwnBinding(theirs);
    });
    EXPECT_EQ(existingEglState()->boundThreads.size(), 1u);
}

TEST_F(BoundContextTest, AThreadThatNeverBoundHasNoSlotsAndNoReach)
{
    EXPECT_EQ(eglQueryString(display, 0), nullptr);
    recordVgErrorOnThisThread(VG_OUT_OF_MEMORY_ERROR);

    runOnThread([&] {
        EXPECT_EQ(eglGetError(), EGL_SUCCESS);
        // Its failures are dropped.
        EXPECT_EQ(eglQueryString(display, 0), nullptr);
        EXPECT_EQ(eglGetError(), EGL_SUCCESS);
        EXPECT_EQ(eglBindAPI(0x30A2), EGL_FALSE);
        EXPECT_EQ(eglGetError(), EGL_SUCCESS);
        // Its vg* calls find no context.
        EXPECT_EQ(vgGetError(), 0x1007); // VG_NO_CONTEXT_ERROR
        vgFlush();
        vgFinish();
        EXPECT_EQ(vgGetError(), 0x1007);
        EXPECT_EQ(eglGetCurrentVGContext(), nullptr);
        // The main thread's binding is not its own.
        EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
        EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), EGL_NO_SURFACE);
        EXPECT_EQ(eglQueryAPI(), static_cast<EGLenum>(EGL_NONE));
        // Releasing its (empty) binding leaves the main thread's alone.
        EXPECT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE);
    });

    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(eglGetCurrentContext(), context);
    EXPECT_EQ(vgContextOf(context).colorBuffer, surfaceRecord(surface).colorBuffer);
    // The worker's vgGetError did not read or clear the main thread's error.
    EXPECT_EQ(vgGetError(), VG_OUT_OF_MEMORY_ERROR);
}

TEST_F(InitialisedTest, ApiAndPreferenceArePerThread)
{
    ASSERT_EQ(eglSetConfigPreferenceKL(1), EGL_TRUE);
    runOnThread([] {
        EXPECT_EQ(eglQueryAPI(), static_cast<EGLenum>(EGL_NONE));
        // Without the OpenVG API on this thread no context can be made here.
        EXPECT_EQ(eglCreateContext(EGL_NO_DISPLAY, configAt(0), EGL_NO_CONTEXT, nullptr), EGL_NO_CONTEXT);
        EXPECT_EQ(choose({}), (std::vector<intptr_t>{0, 1, 2, 3, 4}));
        ASSERT_EQ(eglBindAPI(EGL_OPENGL_ES_API), EGL_TRUE);
        ASSERT_EQ(eglSetConfigPreferenceKL(0), EGL_TRUE);
    });
    EXPECT_EQ(eglQueryAPI(), static_cast<EGLenum>(EGL_OPENVG_API));
    EXPECT_EQ(choose({}), (std::vector<intptr_t>{4, 3, 2, 1, 0}));
    EXPECT_TRUE(displayRecord()->contexts.empty());
}

// ---- Shared objects ----

TEST_F(BoundContextTest, TwoThreadsMayBindTheSamePair)
{
    WorkerThread worker;
    worker.run([&] {
        ASSERT_EQ(eglBindAPI(EGL_OPENVG_API), EGL_TRUE);
        ASSERT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, surface, surface, context), EGL_TRUE);
        EXPECT_EQ(eglGetCurrentContext(), context);
        EXPECT_EQ(eglGetCurrentVGContext(), contextRecord(context).vgContext);
    });
    // The display's list plus two bindings.
    EXPECT_EQ(contextRecord(context).references, 3);
    EXPECT_EQ(surfaceRecord(surface).references, 3);
    EXPECT_EQ(existingEglState()->boundThreads.size(), 2u);

    // One VG context serves both threads in turn: an error recorded on one is read on the other.
    recordVgErrorOnThisThread(VG_UNSUPPORTED_PATH_FORMAT_ERROR);
    worker.run([] { EXPECT_EQ(vgGetError(), VG_UNSUPPORTED_PATH_FORMAT_ERROR); });
    EXPECT_EQ(vgGetError(), VG_NO_ERROR);

    // The main thread gives the pair up entirely; the worker's binding keeps both alive.
    ASSERT_EQ(eglDestroyContext(display, context), EGL_TRUE);
    ASSERT_EQ(eglDestroySurface(display, surface), EGL_TRUE);
    ASSERT_EQ(eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE);
    EXPECT_EQ(contextRecord(context).references, 1);
    EXPECT_EQ(surfaceRecord(surface).references, 1);
    worker.run([&] {
        EXPECT_EQ(eglGetCurrentContext(), context);
        EXPECT_EQ(eglGetCurrentSurface(EGL_READ), surface);
        EXPECT_EQ(vgGetError(), VG_NO_ERROR);
        // The last binding goes: the pair is destroyed (the sanitizers report a leak or a late use).
        EXPECT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE);
        EXPECT_EQ(vgGetError(), 0x1007);
    });
    EXPECT_TRUE(existingEglState()->boundThreads.empty());
}

TEST_F(BoundContextTest, ASharedContextKeepsTheTargetOfTheThreadStillBound)
{
    EGLSurface other = makePbuffer(config, 16, 8);
    ASSERT_NE(other, EGL_NO_SURFACE);
    WorkerThread worker;
    worker.run([&] {
        ASSERT_EQ(eglBindAPI(EGL_OPENVG_API), EGL_TRUE);
        ASSERT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, other, other, context), EGL_TRUE);
    });
    // The main thread lets go of the shared context: the worker's surface stays its target.
    ASSERT_EQ(eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE);
    EXPECT_EQ(vgContextOf(context).colorBuffer, surfaceRecord(other).colorBuffer);
    EXPECT_EQ(vgContextOf(context).maskBuffer, surfaceRecord(other).maskBuffer);
    EXPECT_EQ(vgContextOf(context).edgeBuckets.size(), 8u * 8u) << "a bucket per subsample row of the target";
    worker.run([] { EXPECT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE); });
    EXPECT_EQ(vgContextOf(context).colorBuffer, nullptr);
}

TEST_F(BoundContextTest, ReleaseThreadOnAnyThreadFreesEveryonesState)
{
    WorkerThread worker;
    worker.run([] {
        bindOwnPbuffer(5, 4, 4);
        EXPECT_EQ(eglReleaseThread(), EGL_TRUE);
        EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
    });
    // The whole state went with it, the main thread's binding and the display included.
    EXPECT_EQ(eglGetCurrentVGContext(), nullptr);
    EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
    EXPECT_EQ(vgGetError(), 0x1007);
    EXPECT_EQ(eglQueryString(display, EGL_VENDOR), nullptr);
    EXPECT_EQ(eglQueryAPI(), static_cast<EGLenum>(EGL_NONE));
}

// ---- Calls that take no lock ----

TEST_F(EglTest, WaitGlWaitNativeAndProcLookupRunWhileAnotherThreadHoldsTheLock)
{
    std::promise<void> finished;
    std::future<void> done = finished.get_future();
    goAcquireMutex();
    std::thread other([&] {
        EXPECT_EQ(eglWaitGL(), EGL_TRUE);
        EXPECT_EQ(eglWaitNative(EGL_CORE_NATIVE_ENGINE), EGL_TRUE);
        EXPECT_NE(eglGetProcAddress("eglSetConfigPreferenceKL"), nullptr);
        finished.set_value();
    });
    const bool ranWithoutTheLock = done.wait_for(kDeadline) == std::future_status::ready;
    goReleaseMutex(); // a call that wrongly waits for the lock can now finish, so the join is bounded
    other.join();
    EXPECT_TRUE(ranWithoutTheLock);
}

// ---- Concurrency ----

struct ThreadReport {
    int failures = 0;
    std::string first;
    void check(bool ok, const std::string &what)
    {
        if (!ok && failures++ == 0)
            first = what;
    }
};

// Binds, checks and releases its own pairs over and over.
void bindingLoop(int config, EGLint width, EGLint failureCode, VGErrorCode vgCode, int rounds, std::latch &start,
                 ThreadReport &report)
{
    report.check(eglBindAPI(EGL_OPENVG_API) == EGL_TRUE, "bind API");
    start.arrive_and_wait();
    for (int round = 0; round < rounds; ++round) {
        const EGLint height = 1 + round % 5;
        EGLSurface surface = makePbuffer(configAt(config), width, height);
        EGLContext context = eglCreateContext(EGL_NO_DISPLAY, configAt(config), EGL_NO_CONTEXT, nullptr);
        report.check(surface != EGL_NO_SURFACE && context != EGL_NO_CONTEXT, "create");
        report.check(eglMakeCurrent(EGL_NO_DISPLAY, surface, surface, context) == EGL_TRUE, "make current");
        report.check(eglGetCurrentContext() == context, "current context");
        report.check(eglGetCurrentSurface(EGL_DRAW) == surface, "current surface");
        EGLint value = -1;
        report.check(eglQuerySurface(EGL_NO_DISPLAY, surface, EGL_WIDTH, &value) == EGL_TRUE && value == width,
                     "surface width");
        report.check(eglQuerySurface(EGL_NO_DISPLAY, surface, EGL_HEIGHT, &value) == EGL_TRUE && value == height,
                     "surface height");
        report.check(eglQueryContext(EGL_NO_DISPLAY, context, EGL_CONFIG_ID, &value) == EGL_TRUE &&
                         value == config + 1,
                     "context config");
        // A failure of this thread's own kind, then its own VG error.
        if (failureCode == EGL_BAD_CONFIG)
            eglGetConfigAttrib(EGL_NO_DISPLAY, configAt(9), EGL_RED_SIZE, &value);
        else
            eglQueryString(EGL_NO_DISPLAY, 0);
        report.check(eglGetError() == failureCode, "egl error " + std::to_string(round));
        {
            ApiLock lock;
            if (auto *vg = static_cast<VgContext *>(eglGetCurrentVGContext()))
                recordError(*vg, vgCode);
        }
        report.check(eglGetError() == failureCode, "egl error kept");
        report.check(vgGetError() == vgCode, "vg error " + std::to_string(round));
        report.check(vgGetError() == VG_NO_ERROR, "vg error cleared");
        report.check(eglMakeCurrent(EGL_NO_DISPLAY, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT) == EGL_TRUE,
                     "release");
        report.check(vgGetError() == 0x1007, "unbound vg");
        report.check(eglDestroyContext(EGL_NO_DISPLAY, context) == EGL_TRUE, "destroy context");
        report.check(eglDestroySurface(EGL_NO_DISPLAY, surface) == EGL_TRUE, "destroy surface");
    }
}

// Never binds: queries the configurations and fails calls, and always reads success and no context.
void queryLoop(int rounds, std::latch &start, ThreadReport &report)
{
    start.arrive_and_wait();
    for (int round = 0; round < rounds; ++round) {
        report.check(choose({EGL_ALPHA_SIZE, 1}) == std::vector<intptr_t>{0, 4, 3, 1}, "choose");
        EGLint value = 0;
        report.check(eglGetConfigAttrib(EGL_NO_DISPLAY, configAt(round % 7), EGL_CONFIG_ID, &value) == EGL_TRUE &&
                         value == round % 7 + 1,
                     "config id");
        report.check(eglQueryString(EGL_NO_DISPLAY, 0) == nullptr, "bad query");
        report.check(eglGetError() == EGL_SUCCESS, "unbound error");
        report.check(eglGetCurrentContext() == EGL_NO_CONTEXT, "no context");
        report.check(vgGetError() == 0x1007, "no vg context");
    }
}

TEST_F(InitialisedTest, ThreadsHammeringEglStayConsistent)
{
    constexpr int kRounds = 300;
    std::latch start(3);
    ThreadReport first;
    ThreadReport second;
    ThreadReport third;
    std::promise<void> firstDone;
    std::promise<void> secondDone;
    std::promise<void> thirdDone;
    std::future<void> waits[3] = {firstDone.get_future(), secondDone.get_future(), thirdDone.get_future()};
    std::thread a([&] {
        bindingLoop(1, 17, EGL_BAD_CONFIG, VG_BAD_HANDLE_ERROR, kRounds, start, first);
        firstDone.set_value();
    });
    std::thread b([&] {
        bindingLoop(4, 23, EGL_BAD_PARAMETER, VG_ILLEGAL_ARGUMENT_ERROR, kRounds, start, second);
        secondDone.set_value();
    });
    std::thread c([&] {
        queryLoop(kRounds, start, third);
        thirdDone.set_value();
    });
    for (std::future<void> &wait : waits) {
        if (wait.wait_for(kDeadline * 2) != std::future_status::ready) {
            std::fprintf(stderr, "a hammering thread did not finish in time\n");
            std::abort();
        }
    }
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(first.failures, 0) << first.first;
    EXPECT_EQ(second.failures, 0) << second.first;
    EXPECT_EQ(third.failures, 0) << third.first;
    // Every pair was destroyed and every binding released.
    EXPECT_TRUE(displayRecord()->contexts.empty());
    EXPECT_TRUE(displayRecord()->surfaces.empty());
    EXPECT_TRUE(existingEglState()->boundThreads.empty());
}

} // namespace
} // namespace tamarind::test
