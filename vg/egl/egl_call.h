// The frame every egl* entry point runs in: take the API mutex, run the body, turn an allocation
// failure into EGL_BAD_ALLOC, and end with exactly one recordEglError. A body reports failure by setting
// `error`; the frame then returns the entry point's failure value.
#ifndef TAMARIND_VG_EGL_EGL_CALL_H
#define TAMARIND_VG_EGL_EGL_CALL_H

#include <EGL/egl.h>

#include "thread_state.h"
#include "../context/api_lock.h"

#include <new>

namespace tamarind {

template <class R, class Body>
R eglCall(R failure, Body &&body)
{
    ApiLock lock;
    EGLint error = EGL_SUCCESS;
    R result = failure;
    try {
        result = body(error);
    } catch (const std::bad_alloc &) {
        error = EGL_BAD_ALLOC;
    }
    recordEglError(error);
    return error == EGL_SUCCESS ? result : failure;
}

} // namespace tamarind

#endif
