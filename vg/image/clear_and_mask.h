// The single colour a clear writes: the context's clear colour (and the tile fill colour, which uses the
// same conversion) as a non-premultiplied sRGB PixelColor.
#ifndef TAMARIND_VG_IMAGE_CLEAR_AND_MASK_H
#define TAMARIND_VG_IMAGE_CLEAR_AND_MASK_H

#include "pixel_format.h"

#include <cstdint>

namespace tamarind {

// One float component as an 8-bit channel: clamped to [0, 1] first, then times 255 truncated. Clamping
// keeps the mapping monotonic; without it an out-of-range product would wrap in the 16-bit channel.
inline uint16_t channelOfComponent(float component)
{
    if (!(component > 0.0f)) // also catches NaN, though parameters are sanitised on set
        return 0;
    if (component >= 1.0f)
        return 255;
    return static_cast<uint16_t>(component * 255.0f);
}

// R, G, B, A floats as a COLOR_SRGB (non-premultiplied) PixelColor.
inline PixelColor clearColorOf(const float rgba[4])
{
    return PixelColor{COLOR_SRGB, channelOfComponent(rgba[0]), channelOfComponent(rgba[1]), channelOfComponent(rgba[2]),
                      channelOfComponent(rgba[3])};
}

} // namespace tamarind

#endif
