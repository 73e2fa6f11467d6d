// The process-wide EGL state and the per-thread state through which every vg* call finds its context.
// Threads are told apart only by goGetCurrentThreadID; there is no thread-local storage. Everything
// here is used under the API mutex.
#ifndef TAMARIND_VG_EGL_THREAD_STATE_H
#define TAMARIND_VG_EGL_THREAD_STATE_H

#include <EGL/egl.h>

#include <cstdint>
#include <vector>

namespace tamarind {

struct ColorBuffer;
struct ContextRecord;
struct DisplayRecord;
struct MaskBuffer;
struct SurfaceRecord;
struct VgContext;

struct ThreadState {
    ContextRecord *context = nullptr; // bound context, while the thread is in boundThreads
    SurfaceRecord *surface = nullptr; // bound draw (and read) surface
    EGLint lastError = EGL_SUCCESS;
    unsigned long threadId = 0;
    EGLenum boundApi = EGL_NONE;
    EGLint configPreference = 0; // non-zero reverses eglChooseConfig's order
};

struct EglState {
    std::vector<DisplayRecord *> displays;   // at most one
    std::vector<ThreadState *> threads;      // every thread that has a ThreadState
    std::vector<ThreadState *> boundThreads; // threads with a context and surface bound, in binding order
    int32_t holders = 1;
};

// The EGL state, created on first use.
EglState &eglState();
// The EGL state if it exists.
EglState *existingEglState();

// The calling thread's state if it is bound, else null.
ThreadState *findBoundThread();
// The calling thread's state, appended on first use.
ThreadState &getThreadState();
// Stores `code` as the calling thread's last error when the thread is bound; otherwise drops it.
void recordEglError(EGLint code);
// The VgContext bound to the calling thread, or null. Creates the EGL state on first use.
VgContext *boundVgContext();

// Attaches a surface's buffers to a VG context and gives it a fresh edge bucket table.
void attachSurface(ColorBuffer *colorBuffer, MaskBuffer *maskBuffer, VgContext &context);
// Detaches the VG context from its buffers.
void detachSurface(VgContext &context);

// Binds a context and a surface to a thread that is not bound; the thread stays unbound on failure.
void bindThread(ThreadState &thread, ContextRecord &context, SurfaceRecord &surface);

// Releases the calling thread's binding: finishes drawing, detaches, drops the context and surface.
void releaseBinding(ThreadState &thread);

// Frees the whole EGL state. Contexts and surfaces that are still listed or bound are destroyed with it.
void freeEglState();

} // namespace tamarind

#endif
