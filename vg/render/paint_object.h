// Paint objects: the record behind a VGPaint handle with its colour, gradient geometry, colour ramp and
// pattern image, plus the rules that turn the application's colour and ramp stops into the forms the
// pixel pipeline reads (a clamped premultiplied colour and a sorted stop list spanning 0..255).
#ifndef TAMARIND_VG_RENDER_PAINT_OBJECT_H
#define TAMARIND_VG_RENDER_PAINT_OBJECT_H

#include <VG/openvg.h>

#include "../image/pixel_format.h"

#include <cstdint>
#include <vector>

namespace tamarind {

struct ImageObject;

// A processed ramp stop: position 0..255 and a non-premultiplied sRGB colour of 0..255 channels.
struct RampStop {
    int32_t position;
    uint16_t c0;
    uint16_t c1;
    uint16_t c2;
    uint16_t alpha;
};

// A ramp stop as the application gave it: offset, R, G, B, A.
struct UserStop {
    float values[5];
};

constexpr int32_t kMaxRampStops = 256;

// Opaque black at 0 to opaque white at 255, the ramp used when no valid stops were given.
std::vector<RampStop> defaultRamp();

struct PaintObject {
    VGHandle handle = VG_INVALID_HANDLE;
    int32_t type = VG_PAINT_TYPE_COLOR;
    PixelColor cachedColor{COLOR_SRGB | COLOR_PREMULTIPLIED, 0, 0, 0, 255}; // color clamped and premultiplied
    float color[4] = {0.0f, 0.0f, 0.0f, 1.0f};                              // R, G, B, A as set
    int32_t spreadMode = VG_COLOR_RAMP_SPREAD_PAD;
    std::vector<RampStop> stops = defaultRamp(); // ramp used for drawing
    std::vector<UserStop> userStops;             // the stops as given, returned by queries
    int32_t rampPremultiplied = 1;
    float linear[4] = {0.0f, 0.0f, 1.0f, 0.0f};       // x0, y0, x1, y1
    float radial[5] = {0.0f, 0.0f, 0.0f, 0.0f, 1.0f}; // cx, cy, fx, fy, r
    int32_t tilingMode = VG_TILE_FILL;
    ImageObject *pattern = nullptr; // holds one reference and one share on the image
    int32_t refCount = 0;           // the handle registration plus each context slot that has it set
};

// Drops one reference; at zero the pattern image's reference and share are dropped and the record freed.
void releaseObject(PaintObject *paint);

// Replaces the pattern image (or clears it with null), moving the reference and share from the old
// image to the new one. The old image is destroyed when that was its last reference.
void setPaintPattern(PaintObject &paint, ImageObject *image);

// A colour component in [0, 1] as a 0..255 channel: times 255, truncated, limited to [0, 255].
uint16_t colorChannel(float component);

// Four sRGB channels as a paint colour for the pipeline: clampPremultiplied, then premultiplied.
PixelColor premultipliedPaintColor(uint16_t c0, uint16_t c1, uint16_t c2, uint16_t alpha);

// Rebuilds cachedColor from color: channels from colorChannel, then premultipliedPaintColor.
void rebuildCachedColor(PaintObject &paint);

// The processed ramp for a list of user stops: in-range stops in order, ends filled at 0 and 255; the
// default ramp when the stops are out of order or none lies in [0, 1].
std::vector<RampStop> processRampStops(const std::vector<UserStop> &userStops);

// Sets the ramp from `count` caller values (a multiple of 5, floats when isFloat): at most 256 stops are
// kept. Both new lists are built before either replaces the old one, so std::bad_alloc leaves the paint
// as it was.
void setRampStops(PaintObject &paint, int32_t count, const void *values, bool isFloat);

} // namespace tamarind

#endif
