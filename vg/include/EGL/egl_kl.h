/* Tamarind's own EGL exports: the configuration order switch, the image-in-use query and the current
 * VG context, plus the NativePixmap record that EGLNativePixmapType points to. */
#ifndef TAMARIND_EGL_KL_H
#define TAMARIND_EGL_KL_H

#include <EGL/egl.h>
#include <VG/openvg.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Caller memory for pixmap surfaces and eglCopyBuffers. format is a VGImageFormat value, stride the bytes
 * from one row to the next, data the first row (the bottom row, y = 0). */
typedef struct NativePixmap {
    EGLint format;
    EGLint width;
    EGLint height;
    EGLint stride;
    void *data;
} NativePixmap;

/* Any non-zero preference makes eglChooseConfig list its matches in reverse order on the calling thread. */
EGLAPI EGLBoolean EGLAPIENTRY eglSetConfigPreferenceKL(EGLint preference);

/* EGL_TRUE when the image is the drawing target of a surface that some thread has bound. */
EGLAPI EGLBoolean EGLAPIENTRY eglIsInUse(VGImage image);

/* The VG context bound to the calling thread, or null. */
EGLAPI void *EGLAPIENTRY eglGetCurrentVGContext(void);

typedef EGLBoolean (*PFNEGLSETCONFIGPREFERENCEKLPROC)(EGLint preference);

#ifdef __cplusplus
}
#endif

#endif
