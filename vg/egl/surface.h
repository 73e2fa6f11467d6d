// Drawing surfaces: the working colour buffer every surface draws into, whatever its configuration,
// the alpha mask beside it, and the surface record behind an EGLSurface handle.
#ifndef TAMARIND_VG_EGL_SURFACE_H
#define TAMARIND_VG_EGL_SURFACE_H

#include <EGL/egl.h>
#include <VG/openvg.h>

#include "../context/storage.h"

#include <cstdint>

namespace tamarind {

// One colour buffer pixel: red, green, blue and alpha, each holding 0..255.
struct BufferPixel {
    uint16_t red;
    uint16_t green;
    uint16_t blue;
    uint16_t alpha;
};

struct ColorBuffer {
    int32_t formatFlags = 0; // COLOR_SRGB, COLOR_PREMULTIPLIED, COLOR_LUMINANCE for the whole buffer
    int32_t width = 0;
    int32_t height = 0;
    ZeroedArray<BufferPixel> pixels; // rows from y = 0 (the bottom row) upward, all zero when created
    int32_t references = 1;          // from its surface
    int32_t locked = 0;
    BufferPixel *cursor = nullptr;     // position used by the pixel pipeline
};

struct MaskBuffer {
    int32_t width = 0;
    int32_t height = 0;
    ZeroedArray<uint8_t> pixels; // one byte per pixel, same row order, 255 when created
    int32_t references = 1;      // from its surface
};

struct ImageObject;

struct SurfaceRecord {
    void *nativeHandle = nullptr; // window handle of a window surface; stored only
    int32_t configIndex = 0;
    ColorBuffer *colorBuffer = nullptr;
    MaskBuffer *maskBuffer = nullptr;
    uint8_t isWindow = 0;       // posted by eglSwapBuffers and resized with the canvas
    uint8_t largestPbuffer = 0; // EGL_LARGEST_PBUFFER as passed, non-zero made 1
    EGLint renderBuffer = EGL_BACK_BUFFER;
    int32_t references = 1; // the display's list plus each thread that has it bound
    ImageObject *image = nullptr; // counted: the image a client-buffer pbuffer draws into
};

// New buffers of width x height: colour all zero, mask all 255.
ColorBuffer *createColorBuffer(int32_t width, int32_t height, int32_t formatFlags);
MaskBuffer *createMaskBuffer(int32_t width, int32_t height);

// Builds a surface with fresh buffers; nothing is kept on failure.
SurfaceRecord *createSurface(int32_t configIndex, int32_t width, int32_t height, int32_t formatFlags);

// Drops one reference; at zero the surface drops its buffers (and its image) and is freed.
void releaseSurface(SurfaceRecord *surface);

// A client-buffer pbuffer draws into a working colour buffer: it is loaded from the image when the
// surface gets its first binding and stored back when its last binding goes. While bound, the image is
// in use, so no API call can observe its pixels in between.
void loadSurfaceImage(SurfaceRecord &surface);
void storeSurfaceImage(SurfaceRecord &surface);

// An image surface is locked while anything else shares its image (children or pattern paints), since
// those could observe or change the pixels behind the working buffer.
bool isSurfaceLocked(const SurfaceRecord &surface);

} // namespace tamarind

#endif
