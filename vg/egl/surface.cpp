// Creation and release of surfaces and their buffers.
#include "surface.h"

#include "../image/image_object.h"
#include "../image/pixel_transfers.h"

#include <cstring>
#include <memory>

namespace tamarind {
namespace {

void releaseColorBuffer(ColorBuffer *buffer)
{
    buffer->references -= 1;
    if (buffer->references == 0)
        delete buffer;
}

void releaseMaskBuffer(MaskBuffer *buffer)
{
    buffer->references -= 1;
    if (buffer->references == 0)
        delete buffer;
}

} // namespace

ColorBuffer *createColorBuffer(int32_t width, int32_t height, int32_t formatFlags)
{
    auto buffer = std::make_unique<ColorBuffer>();
    buffer->formatFlags = formatFlags;
    buffer->width = width;
    buffer->height = height;
    buffer->pixels.reset(static_cast<uint64_t>(width) * static_cast<uint64_t>(height));
    buffer->cursor = buffer->pixels.data();
    return buffer.release();
}

MaskBuffer *createMaskBuffer(int32_t width, int32_t height)
{
    auto buffer = std::make_unique<MaskBuffer>();
    buffer->width = width;
    buffer->height = height;
    buffer->pixels.reset(static_cast<uint64_t>(width) * static_cast<uint64_t>(height));
    if (buffer->pixels.size() != 0)
        std::memset(buffer->pixels.data(), 255, buffer->pixels.size());
    return buffer.release();
}

SurfaceRecord *createSurface(int32_t configIndex, int32_t width, int32_t height, int32_t formatFlags)
{
    auto surface = std::make_unique<SurfaceRecord>();
    surface->configIndex = configIndex;
    std::unique_ptr<ColorBuffer> color(createColorBuffer(width, height, formatFlags));
    surface->maskBuffer = createMaskBuffer(width, height);
    surface->colorBuffer = color.release();
    return surface.release();
}

void releaseSurface(SurfaceRecord *surface)
{
    surface->references -= 1;
    if (surface->references != 0)
        return;
    releaseColorBuffer(surface->colorBuffer);
    releaseMaskBuffer(surface->maskBuffer);
    if (surface->image != nullptr) {
        surface->image->shareCount -= 1;
        releaseImage(surface->image);
    }
    delete surface;
}

void loadSurfaceImage(SurfaceRecord &surface)
{
    if (surface.image != nullptr)
        writeSurfaceRegion(*surface.colorBuffer, 0, 0, *surface.image, 0, 0, surface.image->width,
                           surface.image->height);
}

void storeSurfaceImage(SurfaceRecord &surface)
{
    if (surface.image != nullptr)
        readSurfaceRegion(*surface.image, 0, 0, *surface.colorBuffer, 0, 0, surface.image->width,
                          surface.image->height);
}

bool isSurfaceLocked(const SurfaceRecord &surface)
{
    return surface.colorBuffer->locked != 0 || (surface.image != nullptr && surface.image->shareCount > 1);
}

} // namespace tamarind
