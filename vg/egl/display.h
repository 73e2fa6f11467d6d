// The single EGL display (handle 0) and its seven fixed configurations.
#ifndef TAMARIND_VG_EGL_DISPLAY_H
#define TAMARIND_VG_EGL_DISPLAY_H

#include <EGL/egl.h>

#include "../image/pixel_format.h"

#include <cstdint>
#include <vector>

namespace tamarind {

struct ContextRecord;
struct SurfaceRecord;

constexpr int32_t kConfigCount = 7;

struct ConfigRecord {
    PixelFormatDescriptor descriptor; // of the configuration's VGImageFormat
    int32_t configId;                 // index + 1
};

struct DisplayRecord {
    int32_t id = 0; // also the EGLDisplay handle value
    std::vector<ContextRecord *> contexts; // every live context of the display
    std::vector<SurfaceRecord *> surfaces; // every live surface
    ConfigRecord configs[kConfigCount];
};

// Builds the display with empty lists and the configuration table.
DisplayRecord *createDisplay();

// The display when `display` is the handle of an initialised one, else null (EGL_NOT_INITIALIZED).
DisplayRecord *initialisedDisplay(EGLDisplay display);

// The display check of every entry point that takes a display: the initialised display, or null with
// `error` set to EGL_NOT_INITIALIZED.
DisplayRecord *requireDisplay(EGLDisplay display, EGLint &error);

// The configuration index of a handle, or -1 when it is not 0..6.
int32_t configIndexOf(EGLConfig config);
// The configuration index, or -1 with `error` set to EGL_BAD_CONFIG.
int32_t requireConfig(EGLConfig config, EGLint &error);

// Drops the display's references on its contexts, then its surfaces, and frees the record.
void destroyDisplay(DisplayRecord *display);

bool hasContext(const DisplayRecord &display, const void *context);
bool hasSurface(const DisplayRecord &display, const void *surface);

// The record behind a handle listed on the display, or null with `error` set to EGL_BAD_CONTEXT or
// EGL_BAD_SURFACE.
ContextRecord *requireContext(const DisplayRecord &display, EGLContext context, EGLint &error);
SurfaceRecord *requireSurface(const DisplayRecord &display, EGLSurface surface, EGLint &error);

// Display check, then the surface on that display.
SurfaceRecord *listedSurface(EGLDisplay display, EGLSurface surface, EGLint &error);
// Display check, then the context on that display.
ContextRecord *listedContext(EGLDisplay display, EGLContext context, EGLint &error);

} // namespace tamarind

#endif
