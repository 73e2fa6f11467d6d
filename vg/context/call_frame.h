// The frame every vg* entry point runs in: take the API mutex, find the VG context bound to the calling
// thread, run the body against it, and turn an allocation failure into VG_OUT_OF_MEMORY_ERROR. Without
// a bound context the call does nothing and returns its neutral result. The mutex is released on every
// path by the scoped lock.
#ifndef TAMARIND_VG_CONTEXT_CALL_FRAME_H
#define TAMARIND_VG_CONTEXT_CALL_FRAME_H

#include "api_lock.h"
#include "vg_context.h"
#include "../egl/thread_state.h"

#include <new>

namespace tamarind {

template <class R, class Body>
R vgCall(R neutral, Body &&body)
{
    ApiLock lock;
    VgContext *context = nullptr;
    try {
        context = boundVgContext();
    } catch (const std::bad_alloc &) {
        return neutral;
    }
    if (context == nullptr)
        return neutral;
    try {
        return body(*context);
    } catch (const std::bad_alloc &) {
        recordError(*context, VG_OUT_OF_MEMORY_ERROR);
        return neutral;
    }
}

template <class Body>
void vgCall(Body &&body)
{
    vgCall(0, [&](VgContext &context) {
        body(context);
        return 0;
    });
}

} // namespace tamarind

#endif
