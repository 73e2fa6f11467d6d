// The display record and its configuration table.
#include "display.h"

#include "context_record.h"
#include "surface.h"
#include "thread_state.h"
#include "../context/storage.h"

#include <VG/openvg.h>

#include <memory>

namespace tamarind {
namespace {

// The VGImageFormat of each configuration, in index order; EGL_CONFIG_ID is index + 1.
constexpr int32_t kConfigFormats[kConfigCount] = {VG_sRGBA_8888, VG_sRGBA_5551, VG_sRGB_565, VG_sRGBA_4444,
                                                  VG_A_8,        VG_sL_8,       VG_BW_1};

} // namespace

DisplayRecord *createDisplay()
{
    auto display = std::make_unique<DisplayRecord>();
    for (int32_t i = 0; i < kConfigCount; ++i)
        display->configs[i] = ConfigRecord{describeFormat(kConfigFormats[i]), i + 1};
    return display.release();
}

DisplayRecord *initialisedDisplay(EGLDisplay display)
{
    EglState *egl = existingEglState();
    if (display != nullptr || egl == nullptr || egl->displays.empty())
        return nullptr;
    return egl->displays.front();
}

DisplayRecord *requireDisplay(EGLDisplay display, EGLint &error)
{
    DisplayRecord *record = initialisedDisplay(display);
    if (record == nullptr)
        error = EGL_NOT_INITIALIZED;
    return record;
}

int32_t requireConfig(EGLConfig config, EGLint &error)
{
    const int32_t index = configIndexOf(config);
    if (index < 0)
        error = EGL_BAD_CONFIG;
    return index;
}

int32_t configIndexOf(EGLConfig config)
{
    const auto index = reinterpret_cast<uintptr_t>(config);
    return index < static_cast<uintptr_t>(kConfigCount) ? static_cast<int32_t>(index) : -1;
}

void destroyDisplay(DisplayRecord *display)
{
    for (ContextRecord *context : display->contexts)
        releaseContext(context);
    display->contexts.clear();
    for (SurfaceRecord *surface : display->surfaces)
        releaseSurface(surface);
    display->surfaces.clear();
    delete display;
}

bool hasContext(const DisplayRecord &display, const void *context)
{
    for (const ContextRecord *entry : display.contexts)
        if (entry == context)
            return true;
    return false;
}

bool hasSurface(const DisplayRecord &display, const void *surface)
{
    for (const SurfaceRecord *entry : display.surfaces)
        if (entry == surface)
            return true;
    return false;
}

ContextRecord *requireContext(const DisplayRecord &display, EGLContext context, EGLint &error)
{
    if (hasContext(display, context))
        return static_cast<ContextRecord *>(context);
    error = EGL_BAD_CONTEXT;
    return nullptr;
}

SurfaceRecord *requireSurface(const DisplayRecord &display, EGLSurface surface, EGLint &error)
{
    if (hasSurface(display, surface))
        return static_cast<SurfaceRecord *>(surface);
    error = EGL_BAD_SURFACE;
    return nullptr;
}

SurfaceRecord *listedSurface(EGLDisplay display, EGLSurface surface, EGLint &error)
{
    const DisplayRecord *record = requireDisplay(display, error);
    return record ? requireSurface(*record, surface, error) : nullptr;
}

ContextRecord *listedContext(EGLDisplay display, EGLContext context, EGLint &error)
{
    const DisplayRecord *record = requireDisplay(display, error);
    return record ? requireContext(*record, context, error) : nullptr;
}

} // namespace tamarind
