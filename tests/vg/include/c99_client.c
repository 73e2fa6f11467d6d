/* A plain C99 application: brings EGL up on a 64 x 64 pbuffer, checks vgGetError, and tears down.
 * Exits 0 on success and names the first failing step otherwise. */
#include <EGL/egl.h>
#include <EGL/egl_kl.h>
#include <VG/openvg.h>

#include <stdio.h>

#define CHECK(condition)                                                                                    \
    do {                                                                                                    \
        if (!(condition)) {                                                                                 \
            fprintf(stderr, "failed: %s\n", #condition);                                                   \
            return 1;                                                                                       \
        }                                                                                                   \
    } while (0)

int main(void)
{
    static const EGLint configAttributes[] = {EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                                              EGL_ALPHA_SIZE, 8, EGL_NONE};
    static const EGLint pbufferAttributes[] = {EGL_WIDTH, 64, EGL_HEIGHT, 64, EGL_NONE};
    EGLint major = 0, minor = 0, count = 0, width = 0;
    EGLConfig config;
    EGLSurface surface;
    EGLContext context;
    EGLDisplay display = eglGetDisplay(EGL_DEFAULT_DISPLAY);

    CHECK(vgGetError() == VG_NO_CONTEXT_ERROR);
    CHECK(eglInitialize(display, &major, &minor) == EGL_TRUE);
    CHECK(major == 1 && minor == 2);
    CHECK(eglBindAPI(EGL_OPENVG_API) == EGL_TRUE);
    CHECK(eglChooseConfig(display, configAttributes, &config, 1, &count) == EGL_TRUE);
    CHECK(count == 1);
    surface = eglCreatePbufferSurface(display, config, pbufferAttributes);
    CHECK(surface != EGL_NO_SURFACE);
    context = eglCreateContext(display, config, EGL_NO_CONTEXT, NULL);
    CHECK(context != EGL_NO_CONTEXT);
    CHECK(eglMakeCurrent(display, surface, surface, context) == EGL_TRUE);
    CHECK(eglGetCurrentContext() == context);
    CHECK(eglGetCurrentVGContext() != NULL);
    CHECK(eglQuerySurface(display, surface, EGL_WIDTH, &width) == EGL_TRUE && width == 64);
    /* Enumeration arguments from C may hold any value; the library rejects the bad ones. */
    vgSeti((VGParamType)-1, 0);
    CHECK(vgGetError() == VG_ILLEGAL_ARGUMENT_ERROR);
    vgMask(VG_INVALID_HANDLE, (VGMaskOperation)-1, 0, 0, 1, 1); /* not a fill: the handle is checked first */
    CHECK(vgGetError() == VG_BAD_HANDLE_ERROR);
    CHECK(vgCreateImage((VGImageFormat)-1, 1, 1, 0) == VG_INVALID_HANDLE);
    CHECK(vgGetError() == VG_UNSUPPORTED_IMAGE_FORMAT_ERROR);
    vgFlush();
    vgFinish();
    CHECK(vgGetError() == VG_NO_ERROR);
    CHECK(eglGetError() == EGL_SUCCESS);

    CHECK(eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT) == EGL_TRUE);
    CHECK(eglDestroyContext(display, context) == EGL_TRUE);
    CHECK(eglDestroySurface(display, surface) == EGL_TRUE);
    CHECK(eglTerminate(display) == EGL_TRUE);
    CHECK(eglReleaseThread() == EGL_TRUE);
    printf("bring-up and tear-down passed\n");
    return 0;
}
