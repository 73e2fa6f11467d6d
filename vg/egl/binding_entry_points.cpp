// Binding a context and a surface to the calling thread, releasing the thread, and the queries of what
// is current.
#include <EGL/egl.h>
#include <EGL/egl_kl.h>

#include "context_record.h"
#include "display.h"
#include "egl_call.h"
#include "surface.h"
#include "thread_state.h"
#include "../context/storage.h"
#include "../context/vg_context.h"
#include "../image/image_object.h"

using namespace tamarind;

namespace {

bool isOpenVgBound(const ThreadState *thread)
{
    return thread != nullptr && thread->boundApi == EGL_OPENVG_API;
}

} // namespace

EGLBoolean eglMakeCurrent(EGLDisplay display, EGLSurface draw, EGLSurface read, EGLContext context)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [&](EGLint &error) -> EGLBoolean {
        if (display != nullptr) {
            error = EGL_BAD_DISPLAY;
            return EGL_FALSE;
        }
        DisplayRecord *record = initialisedDisplay(display);
        if (record == nullptr && (draw || read || context)) {
            error = EGL_NOT_INITIALIZED;
            return EGL_FALSE;
        }
        if (context && requireContext(*record, context, error) == nullptr)
            return EGL_FALSE;
        if ((draw && requireSurface(*record, draw, error) == nullptr) ||
            (read && requireSurface(*record, read, error) == nullptr))
            return EGL_FALSE;
        if (draw != read || (draw == nullptr) != (context == nullptr)) {
            error = EGL_BAD_MATCH;
            return EGL_FALSE;
        }
        auto *surface = static_cast<SurfaceRecord *>(draw);
        auto *contextRecord = static_cast<ContextRecord *>(context);
        const bool binding = surface != nullptr;
        if (binding) {
            if (isSurfaceLocked(*surface)) {
                error = EGL_BAD_ACCESS;
                return EGL_FALSE;
            }
            if (surface->configIndex != contextRecord->configIndex) {
                error = EGL_BAD_MATCH;
                return EGL_FALSE;
            }
        }
        if (ThreadState *bound = findBoundThread())
            releaseBinding(*bound);
        if (binding) {
            bindThread(getThreadState(), *contextRecord, *surface);
        }
        return EGL_TRUE;
    });
}

EGLBoolean eglReleaseThread(void)
{
    ApiLock lock;
    try {
        eglState();
    } catch (const std::bad_alloc &) {
        return EGL_FALSE;
    }
    if (ThreadState *bound = findBoundThread())
        releaseBinding(*bound);
    EglState &egl = eglState();
    const unsigned long self = goGetCurrentThreadID();
    for (ThreadState *thread : egl.threads) {
        if (thread->threadId != self)
            continue;
        removeFirst(egl.threads, thread);
        delete thread;
        egl.holders -= 1;
        if (egl.holders == 0)
            freeEglState();
        break;
    }
    return EGL_TRUE;
}

EGLContext eglGetCurrentContext(void)
{
    return eglCall(EGL_NO_CONTEXT, [](EGLint &) -> EGLContext {
        ThreadState &thread = getThreadState();
        if (thread.boundApi != EGL_OPENVG_API || findBoundThread() == nullptr)
            return EGL_NO_CONTEXT;
        return thread.context;
    });
}

EGLSurface eglGetCurrentSurface(EGLint readdraw)
{
    return eglCall(EGL_NO_SURFACE, [&](EGLint &error) -> EGLSurface {
        if (readdraw != EGL_DRAW && readdraw != EGL_READ) {
            error = EGL_BAD_PARAMETER;
            return EGL_NO_SURFACE;
        }
        ThreadState *thread = findBoundThread();
        return isOpenVgBound(thread) ? thread->surface : EGL_NO_SURFACE;
    });
}

EGLDisplay eglGetCurrentDisplay(void)
{
    // The only display's handle is 0, which is also the answer when nothing is bound.
    return eglCall(EGL_NO_DISPLAY, [](EGLint &) { return EGL_NO_DISPLAY; });
}

EGLBoolean eglBindAPI(EGLenum api)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [&](EGLint &error) -> EGLBoolean {
        if (api != EGL_OPENVG_API && api != EGL_OPENGL_ES_API) {
            error = EGL_BAD_PARAMETER;
            return EGL_FALSE;
        }
        getThreadState().boundApi = api;
        return EGL_TRUE;
    });
}

EGLenum eglQueryAPI(void)
{
    return eglCall<EGLenum>(EGL_NONE, [](EGLint &) -> EGLenum { return getThreadState().boundApi; });
}

EGLBoolean eglIsInUse(VGImage image)
{
    EglState *egl = existingEglState();
    if (egl == nullptr || image == VG_INVALID_HANDLE)
        return EGL_FALSE;
    for (const ThreadState *thread : egl->boundThreads)
        if (thread->surface->image != nullptr && thread->surface->image->handle == image)
            return EGL_TRUE;
    return EGL_FALSE;
}

void *eglGetCurrentVGContext(void)
{
    ThreadState *thread = findBoundThread();
    return thread ? thread->context->vgContext : nullptr;
}
