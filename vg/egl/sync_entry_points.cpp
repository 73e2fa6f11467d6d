// Synchronisation calls. Every drawing call completes before it returns, so there is never pending
// work to wait for.
#include <EGL/egl.h>
#include <VG/openvg.h>

#include "display.h"
#include "egl_call.h"
#include "thread_state.h"

using namespace tamarind;

EGLBoolean eglSwapInterval(EGLDisplay display, EGLint)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [&](EGLint &error) -> EGLBoolean {
        if (requireDisplay(display, error) == nullptr)
            return EGL_FALSE;
        return EGL_TRUE;
    });
}

EGLBoolean eglWaitClient(void)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [](EGLint &) -> EGLBoolean {
        if (getThreadState().boundApi == EGL_OPENVG_API)
            vgFinish();
        return EGL_TRUE;
    });
}

EGLBoolean eglWaitNative(EGLint)
{
    return EGL_TRUE;
}

EGLBoolean eglWaitGL(void)
{
    return EGL_TRUE;
}
