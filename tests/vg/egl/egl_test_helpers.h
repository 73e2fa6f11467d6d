// Helpers shared by the EGL tests: readable handles, a look inside the records behind EGL handles, and
// threads that are waited for with a deadline.
#ifndef TAMARIND_TESTS_VG_EGL_EGL_TEST_HELPERS_H
#define TAMARIND_TESTS_VG_EGL_EGL_TEST_HELPERS_H

#include "egl_fixture.h"

#include "egl/context_record.h"
#include "egl/display.h"
#include "egl/surface.h"
#include "egl/thread_state.h"
#include "context/api_lock.h"
#include "context/vg_context.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <initializer_list>
#include <thread>
#include <vector>

namespace tamarind::test {

// The index behind an EGLConfig handle.
inline intptr_t indexOf(EGLConfig config)
{
    return reinterpret_cast<intptr_t>(config);
}

// A surface or context handle that was never handed out.
inline EGLSurface bogusSurface()
{
    static int dummy;
    return &dummy;
}
inline EGLContext bogusContext()
{
    static int dummy;
    return &dummy;
}

inline SurfaceRecord &surfaceRecord(EGLSurface surface)
{
    return *static_cast<SurfaceRecord *>(surface);
}
inline ContextRecord &contextRecord(EGLContext context)
{
    return *static_cast<ContextRecord *>(context);
}
inline VgContext &vgContextOf(EGLContext context)
{
    return *contextRecord(context).vgContext;
}

// The display record of handle 0, or null when it is not initialised.
inline DisplayRecord *displayRecord()
{
    ApiLock lock;
    return initialisedDisplay(EGL_NO_DISPLAY);
}

// Records a VG error in the context bound to the calling thread, as a failing vg* call would.
inline void recordVgErrorOnThisThread(VGErrorCode code)
{
    ApiLock lock;
    auto *context = static_cast<VgContext *>(eglGetCurrentVGContext());
    ASSERT_NE(context, nullptr);
    recordError(*context, code);
}

// eglChooseConfig with the given attribute pairs (EGL_NONE is appended) into room for `room` handles;
// the indices it returned, or {-99} when the call failed.
inline std::vector<intptr_t> choose(std::initializer_list<EGLint> attributes, EGLint room = 7)
{
    std::vector<EGLint> list(attributes);
    list.push_back(EGL_NONE);
    std::vector<EGLConfig> configs(static_cast<size_t>(room) + 1, configAt(77)); // 77 marks "not written"
    EGLint count = -1;
    if (eglChooseConfig(EGL_NO_DISPLAY, list.data(), configs.data(), room, &count) != EGL_TRUE)
        return {-99};
    std::vector<intptr_t> indices;
    for (EGLint i = 0; i < count; ++i)
        indices.push_back(indexOf(configs[static_cast<size_t>(i)]));
    // Nothing is written past the count.
    for (size_t i = static_cast<size_t>(count); i < configs.size(); ++i)
        EXPECT_EQ(indexOf(configs[i]), 77) << "slot " << i << " written past the count";
    return indices;
}

// Runs `body` on a new thread and waits for it at most `seconds`. A thread that does not finish in time
// is reported and the process ends, so that a deadlock cannot hang the whole run.
inline void runOnThread(const std::function<void()> &body, int seconds = 30)
{
    std::packaged_task<void()> task(body);
    std::future<void> done = task.get_future();
    std::thread thread(std::move(task));
    if (done.wait_for(std::chrono::seconds(seconds)) != std::future_status::ready) {
        std::fprintf(stderr, "a test thread did not finish within %d s\n", seconds);
        std::abort();
    }
    thread.join();
    done.get();
}

// The calling thread binds the OpenVG API and a new context and pbuffer of `config`; the pair is returned.
struct OwnBinding {
    EGLSurface surface = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;
};
inline OwnBinding bindOwnPbuffer(int config, EGLint width, EGLint height)
{
    OwnBinding binding;
    EXPECT_EQ(eglBindAPI(EGL_OPENVG_API), EGL_TRUE);
    binding.surface = makePbuffer(configAt(config), width, height);
    binding.context = eglCreateContext(EGL_NO_DISPLAY, configAt(config), EGL_NO_CONTEXT, nullptr);
    EXPECT_NE(binding.surface, EGL_NO_SURFACE);
    EXPECT_NE(binding.context, EGL_NO_CONTEXT);
    EXPECT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, binding.surface, binding.surface, binding.context), EGL_TRUE);
    return binding;
}

// Unbinds the calling thread and destroys the pair.
inline void dropOwnBinding(const OwnBinding &binding)
{
    EXPECT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE);
    EXPECT_EQ(eglDestroyContext(EGL_NO_DISPLAY, binding.context), EGL_TRUE);
    EXPECT_EQ(eglDestroySurface(EGL_NO_DISPLAY, binding.surface), EGL_TRUE);
}

// An initialised display and the OpenVG API bound on the calling thread, nothing current.
class InitialisedTest : public EglTest {
protected:
    void SetUp() override
    {
        EglTest::SetUp();
        ASSERT_EQ(eglInitialize(EGL_NO_DISPLAY, nullptr, nullptr), EGL_TRUE);
        ASSERT_EQ(eglBindAPI(EGL_OPENVG_API), EGL_TRUE);
    }
};

} // namespace tamarind::test

#endif
