// Creating, destroying and querying EGL contexts.
#include <EGL/egl.h>

#include "context_record.h"
#include "display.h"
#include "egl_call.h"
#include "thread_state.h"
#include "../context/storage.h"
#include "../context/vg_context.h"

#include <memory>

using namespace tamarind;

EGLContext eglCreateContext(EGLDisplay display, EGLConfig config, EGLContext shareContext, const EGLint *)
{
    return eglCall(EGL_NO_CONTEXT, [&](EGLint &error) -> EGLContext {
        DisplayRecord *record = requireDisplay(display, error);
        if (record == nullptr)
            return EGL_NO_CONTEXT;
        const int32_t configIndex = requireConfig(config, error);
        if (configIndex < 0)
            return EGL_NO_CONTEXT;
        if (getThreadState().boundApi != EGL_OPENVG_API) {
            error = EGL_BAD_PARAMETER;
            return EGL_NO_CONTEXT;
        }
        if (shareContext != EGL_NO_CONTEXT && !hasContext(*record, shareContext)) {
            error = EGL_BAD_CONTEXT;
            return EGL_NO_CONTEXT;
        }
        VgContext *shareWith = shareContext ? static_cast<ContextRecord *>(shareContext)->vgContext : nullptr;
        std::unique_ptr<ContextRecord, void (*)(ContextRecord *)> context(new ContextRecord(), releaseContext);
        context->configIndex = configIndex;
        context->vgContext = createVgContext(shareWith);
        appendGrowing(record->contexts, context.get());
        return context.release();
    });
}

EGLBoolean eglDestroyContext(EGLDisplay display, EGLContext context)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [&](EGLint &error) -> EGLBoolean {
        DisplayRecord *record = requireDisplay(display, error);
        ContextRecord *listed = record ? requireContext(*record, context, error) : nullptr;
        if (listed == nullptr)
            return EGL_FALSE;
        removeFirst(record->contexts, listed);
        releaseContext(listed);
        return EGL_TRUE;
    });
}

EGLBoolean eglQueryContext(EGLDisplay display, EGLContext context, EGLint attribute, EGLint *value)
{
    return eglCall<EGLBoolean>(EGL_FALSE, [&](EGLint &error) -> EGLBoolean {
        const ContextRecord *listed = listedContext(display, context, error);
        if (listed == nullptr)
            return EGL_FALSE;
        EGLint answer = 0;
        switch (attribute) {
        case EGL_CONFIG_ID:
            answer = listed->configIndex + 1;
            break;
        case EGL_CONTEXT_CLIENT_TYPE:
            answer = EGL_OPENVG_API;
            break;
        default:
            error = EGL_BAD_ATTRIBUTE;
            return EGL_FALSE;
        }
        if (value == nullptr) {
            error = EGL_BAD_PARAMETER;
            return EGL_FALSE;
        }
        *value = answer;
        return EGL_TRUE;
    });
}
