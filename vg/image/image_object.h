// Image objects: a format descriptor, a size and pixel storage that is either owned (a root image) or
// borrowed (a child image, which shares its root's storage, or caller memory wrapped for one call).
// Rows start at pixels + y x stride with row 0 at the bottom; 1-bit formats address pixel x as bit
// (x + bitOffset) mod 8 of byte (x + bitOffset) / 8, the least significant bit leftmost.
#ifndef TAMARIND_VG_IMAGE_IMAGE_OBJECT_H
#define TAMARIND_VG_IMAGE_IMAGE_OBJECT_H

#include <VG/openvg.h>

#include "pixel_format.h"
#include "../context/storage.h"

#include <cstdint>
#include <vector>

namespace tamarind {

struct ImageObject {
    VGHandle handle = VG_INVALID_HANDLE;
    PixelFormatDescriptor descriptor{};
    int32_t width = 0;
    int32_t height = 0;
    uint32_t allowedQuality = 0; // VGImageQuality bits given at creation; children copy their parent's
    int32_t shareCount = 0;      // parent link + children + pattern paints + client-buffer surfaces
    int32_t stride = 0;          // bytes from one row to the next; negative for some caller memory
    uint8_t *pixels = nullptr;   // first byte of row 0
    int32_t bitOffset = 0;       // 1-bit formats: bit of pixel x = 0 inside its byte
    int32_t refCount = 0;        // handle registration + children + pattern paints + surfaces
    ZeroedArray<uint8_t> storage; // owned pixels of a root image; empty otherwise
    ImageObject *parent = nullptr;
    int32_t parentX = 0;
    int32_t parentY = 0;
    uint8_t mipmapsValid = 0;
    std::vector<ImageObject *> mipmapLevels; // reduced copies owned by this image
};

// Row stride of a root image of this format and width.
int32_t rootStride(const PixelFormatDescriptor &descriptor, int32_t width);

// A root image with zeroed storage and no references.
ImageObject *createRootImage(int32_t format, int32_t width, int32_t height, uint32_t allowedQuality);
// A child sharing the parent's storage; takes a reference and a share on the parent.
ImageObject *createChildImage(ImageObject &parent, int32_t x, int32_t y, int32_t width, int32_t height);

// Drops one reference; at zero the image is destroyed and the reference it held on its parent dropped,
// which may destroy the parent in turn.
void releaseImage(ImageObject *image);
inline void releaseObject(ImageObject *image)
{
    releaseImage(image);
}

// A temporary image over caller memory for the duration of one call (no references, nothing owned).
ImageObject wrapClientMemory(int32_t format, void *data, int32_t stride, int32_t width, int32_t height);

// True when a caller buffer at `data` is aligned for the pixel size of `format`.
bool isAlignedFor(const void *data, int32_t format);

// The pixel at (x, y) unpacked, with the descriptor's internal format as its flags.
PixelColor readImagePixel(const ImageObject &image, int32_t x, int32_t y);
// Packs the channels (already in the image's internal format) and stores them at (x, y).
void writeImagePixel(ImageObject &image, int32_t x, int32_t y, const PixelColor &color);
// Stores an already packed value at (x, y); 1-bit formats change only the addressed bit.
void storePackedPixel(ImageObject &image, int32_t x, int32_t y, uint32_t packed);

} // namespace tamarind

#endif
