// The record behind an EGLContext handle: it owns one VgContext.
#ifndef TAMARIND_VG_EGL_CONTEXT_RECORD_H
#define TAMARIND_VG_EGL_CONTEXT_RECORD_H

#include <cstdint>

namespace tamarind {

struct VgContext;

struct ContextRecord {
    VgContext *vgContext = nullptr; // owned, destroyed with the record
    int32_t configIndex = 0;        // the EGLConfig it was created for
    int32_t references = 1;         // the display's list plus each thread that has it bound
};

// Drops one reference; at zero the VgContext is destroyed and the record freed.
void releaseContext(ContextRecord *context);

} // namespace tamarind

#endif
