// The EGL state, thread lookup, the per-thread error slot and the binding of surfaces to VG contexts.
#include "thread_state.h"

#include "context_record.h"
#include "display.h"
#include "surface.h"
#include "../context/storage.h"
#include "../context/vg_context.h"
#include "../render/scan_records.h"

#include "platform.h"

#include <VG/openvg.h>

#include <new>

namespace tamarind {
namespace {

EglState *state = nullptr;

} // namespace

EglState &eglState()
{
    if (state == nullptr)
        state = new EglState();
    return *state;
}

EglState *existingEglState()
{
    return state;
}

ThreadState *findBoundThread()
{
    if (state == nullptr)
        return nullptr;
    const unsigned long self = goGetCurrentThreadID();
    for (ThreadState *thread : state->boundThreads)
        if (thread->threadId == self)
            return thread;
    return nullptr;
}

ThreadState &getThreadState()
{
    EglState &egl = eglState();
    const unsigned long self = goGetCurrentThreadID();
    for (ThreadState *thread : egl.threads)
        if (thread->threadId == self)
            return *thread;
    auto *thread = new ThreadState();
    thread->threadId = self;
    try {
        appendGrowing(egl.threads, thread);
    } catch (...) {
        delete thread;
        throw;
    }
    return *thread;
}

void recordEglError(EGLint code)
{
    if (ThreadState *thread = findBoundThread())
        thread->lastError = code;
}

VgContext *boundVgContext()
{
    eglState();
    ThreadState *thread = findBoundThread();
    return thread ? thread->context->vgContext : nullptr;
}

void attachSurface(ColorBuffer *colorBuffer, MaskBuffer *maskBuffer, VgContext &context)
{
    // A table of the right size is kept; a new one is taken before anything changes, so a failure
    // leaves the context detached, not half attached.
    const uint64_t buckets = static_cast<uint64_t>(colorBuffer->height) * kMaxSamplesPerAxis;
    if (context.edgeBuckets.size() != buckets)
        context.edgeBuckets = ZeroedArray<EdgeRecord *>(buckets);
    context.colorBuffer = colorBuffer;
    context.maskBuffer = maskBuffer;
}

void detachSurface(VgContext &context)
{
    context.colorBuffer = nullptr;
    context.maskBuffer = nullptr;
}

namespace {

bool isBoundByAnyThread(const SurfaceRecord *surface)
{
    for (const ThreadState *thread : state->boundThreads)
        if (thread->surface == surface)
            return true;
    return false;
}

ThreadState *otherBindingOf(const ContextRecord *context)
{
    for (ThreadState *thread : state->boundThreads)
        if (thread->context == context)
            return thread;
    return nullptr;
}

// Detaches and forgets a binding; an image surface whose last binding this was stores its drawing back.
// A context that another thread still has bound stays attached to that thread's surface, so the other
// thread keeps its drawing target.
void dropBinding(ThreadState &thread)
{
    VgContext &vg = *thread.context->vgContext;
    detachSurface(vg);
    ContextRecord *context = thread.context;
    SurfaceRecord *surface = thread.surface;
    thread.context = nullptr;
    thread.surface = nullptr;
    removeFirst(state->boundThreads, &thread);
    if (const ThreadState *other = otherBindingOf(context)) {
        try {
            attachSurface(other->surface->colorBuffer, other->surface->maskBuffer, vg);
        } catch (const std::bad_alloc &) {
            // Left detached: the other thread's drawing calls then find no target and do nothing.
        }
    }
    if (!isBoundByAnyThread(surface))
        storeSurfaceImage(*surface);
    releaseContext(context);
    releaseSurface(surface);
}

} // namespace

void bindThread(ThreadState &thread, ContextRecord &context, SurfaceRecord &surface)
{
    VgContext &vg = *context.vgContext;
    detachSurface(vg);
    attachSurface(surface.colorBuffer, surface.maskBuffer, vg);
    const bool firstBinding = !isBoundByAnyThread(&surface);
    try {
        appendGrowing(state->boundThreads, &thread);
    } catch (...) {
        detachSurface(vg); // the thread stays unbound
        throw;
    }
    if (firstBinding)
        loadSurfaceImage(surface);
    thread.context = &context;
    thread.surface = &surface;
    context.references += 1;
    surface.references += 1;
}

void releaseBinding(ThreadState &thread)
{
    vgFinish();
    dropBinding(thread);
}

void freeEglState()
{
    if (state == nullptr)
        return;
    // Bindings of other threads go first, so the display's lists hold the last references.
    while (!state->boundThreads.empty())
        dropBinding(*state->boundThreads.back());
    EglState *egl = state;
    state = nullptr;
    for (DisplayRecord *display : egl->displays)
        destroyDisplay(display);
    for (ThreadState *thread : egl->threads)
        delete thread;
    delete egl;
}

} // namespace tamarind
