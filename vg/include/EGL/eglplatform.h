/* Platform types and call macros of the EGL interface. */
#ifndef TAMARIND_EGLPLATFORM_H
#define TAMARIND_EGLPLATFORM_H

#include <stdint.h>

#if defined(__GNUC__) || defined(__clang__)
#define EGLAPI extern __attribute__((visibility("default")))
#else
#define EGLAPI extern
#endif
#define EGLAPIENTRY
#define EGLAPIENTRYP EGLAPIENTRY *

/* A native pixmap is the caller's NativePixmap record (declared in <EGL/egl_kl.h>). */
struct NativePixmap;

typedef void *EGLNativeDisplayType;
typedef void *EGLNativeWindowType;
typedef struct NativePixmap *EGLNativePixmapType;

/* The names used before they gained the EGL prefix. */
typedef EGLNativeDisplayType NativeDisplayType;
typedef EGLNativeWindowType NativeWindowType;
typedef EGLNativePixmapType NativePixmapType;

typedef int32_t EGLint;

#endif
