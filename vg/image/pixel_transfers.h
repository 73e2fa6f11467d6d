// The four routines that move pixels between images (or wrapped caller memory) and the surface colour
// buffer. Each clips first; none blends or applies the mask; surface writes may honour scissoring.
// Allocation failure is reported by std::bad_alloc before anything is written, except for scissored
// surface writes, which may have written some rows.
#ifndef TAMARIND_VG_IMAGE_PIXEL_TRANSFERS_H
#define TAMARIND_VG_IMAGE_PIXEL_TRANSFERS_H

#include "image_object.h"
#include "../context/vg_context.h"

#include <cstdint>
#include <vector>

namespace tamarind {

struct ColorBuffer;

// A transfer rectangle: destination and source positions kept in step, and a size.
struct TransferRect {
    int32_t dx, dy;
    int32_t sx, sy;
    int32_t width, height;
};

// Clips to the largest rectangle whose source part lies in a source of srcWidth x srcHeight and whose
// destination part lies in a destination of dstWidth x dstHeight; false when nothing is left.
bool clipTransfer(TransferRect &rect, int32_t srcWidth, int32_t srcHeight, int32_t dstWidth, int32_t dstHeight);

// Image to image through a snapshot of the source region, converting and optionally dithering.
void copyImageRegion(ImageObject &dst, int32_t dx, int32_t dy, const ImageObject &src, int32_t sx, int32_t sy,
                     int32_t width, int32_t height, bool dither);

// Image to colour buffer; with `scissorRects` only pixels inside their union are written.
void writeSurfaceRegion(ColorBuffer &surface, int32_t dx, int32_t dy, const ImageObject &src, int32_t sx,
                        int32_t sy, int32_t width, int32_t height);
void writeSurfaceRegionScissored(ColorBuffer &surface, int32_t dx, int32_t dy, const ImageObject &src, int32_t sx,
                                 int32_t sy, int32_t width, int32_t height,
                                 const std::vector<ScissorRect> &scissorRects);

// Colour buffer to image.
void readSurfaceRegion(ImageObject &dst, int32_t dx, int32_t dy, const ColorBuffer &surface, int32_t sx,
                       int32_t sy, int32_t width, int32_t height);

// Colour buffer to itself, as a copy from a snapshot of the source whatever the overlap.
void copySurfaceRegion(ColorBuffer &surface, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t width,
                       int32_t height);
void copySurfaceRegionScissored(ColorBuffer &surface, int32_t dx, int32_t dy, int32_t sx, int32_t sy,
                                int32_t width, int32_t height, const std::vector<ScissorRect> &scissorRects);

} // namespace tamarind

#endif
