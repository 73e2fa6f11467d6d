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

// The configuration index of a handle, or -1 when it is not 0..6.
int32_t configIndexOf(EGLConfig config);

// Drops the display's references on its contexts, then its surfaces, and frees the record.
void destroyDisplay(DisplayRecord *display);

bool hasContext(const DisplayRecord &display, const void *context);
bool hasSurface(const DisplayRecord &display, const void *surface);

} // namespace tamarind

#endif
