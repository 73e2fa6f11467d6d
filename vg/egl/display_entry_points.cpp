// Display entry points: getting, initialising and terminating the display, its strings, the error
// query, the procedure lookup and the configuration-order switch.
#include <EGL/egl.h>
#include <EGL/egl_kl.h>

#include "display.h"
#include "egl_call.h"
#include "thread_state.h"
#include "../context/storage.h"

#include <cstring>
#include <memory>

using namespace tamarind;

EGLDisplay eglGetDisplay(EGLNativeDisplayType)
{
    return eglCall(EGL_NO_DISPLAY, [](EGLint &) {
        eglState();
        return EGL_NO_DISPLAY; // the one display's handle is 0
    });
}

EGLBoolean eglInitialize(EGLDisplay display, EGLint *major, EGLint *minor)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [&](EGLint &error) -> EGLBoolean {
        if (display != nullptr) {
            error = EGL_BAD_DISPLAY;
            return EGL_FALSE;
        }
        EglState &egl = eglState();
        if (egl.displays.empty()) {
            std::unique_ptr<DisplayRecord> record(createDisplay());
            appendGrowing(egl.displays, record.get());
            record.release();
        }
        if (major != nullptr)
            *major = 1;
        if (minor != nullptr)
            *minor = 2;
        return EGL_TRUE;
    });
}

EGLBoolean eglTerminate(EGLDisplay display)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [&](EGLint &) -> EGLBoolean {
        DisplayRecord *record = initialisedDisplay(display);
        if (record == nullptr)
            return EGL_TRUE;
        removeFirst(eglState().displays, record);
        destroyDisplay(record);
        return EGL_TRUE;
    });
}

const char *eglQueryString(EGLDisplay display, EGLint name)
{
    return eglCall<const char *>(nullptr, [&](EGLint &error) -> const char * {
        if (requireDisplay(display, error) == nullptr)
            return nullptr;
        switch (name) {
        case EGL_VENDOR:
            return "Korvel Labs";
        case EGL_VERSION:
            return "0.1";
        case EGL_EXTENSIONS:
            return "eglSetConfigPreferenceKL";
        case EGL_CLIENT_APIS:
            return "OpenVG";
        default:
            error = EGL_BAD_PARAMETER;
            return nullptr;
        }
    });
}

EGLint eglGetError(void)
{
    ApiLock lock;
    ThreadState *thread = findBoundThread();
    return thread ? thread->lastError : EGL_SUCCESS;
}

__eglMustCastToProperFunctionPointerType eglGetProcAddress(const char *name)
{
    if (name != nullptr && std::strncmp(name, "eglSetConfigPreferenceKL", 24) == 0)
        return reinterpret_cast<__eglMustCastToProperFunctionPointerType>(&eglSetConfigPreferenceKL);
    return nullptr;
}

EGLBoolean eglSetConfigPreferenceKL(EGLint preference)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [&](EGLint &) -> EGLBoolean {
        getThreadState().configPreference = preference;
        return EGL_TRUE;
    });
}
