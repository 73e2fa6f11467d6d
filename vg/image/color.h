// Colour arithmetic on 8-bit channel values: premultiplication, clamping, the sRGB tables, luminance and
// conversion between the internal formats a PixelColor can carry. Integer arithmetic only.
#ifndef TAMARIND_VG_IMAGE_COLOR_H
#define TAMARIND_VG_IMAGE_COLOR_H

#include "pixel_format.h"

#include <cstdint>

namespace tamarind {

extern const uint16_t srgbToLinearTable[256];
extern const uint16_t linearToSrgbTable[256];

// c x (alpha + 1) >> 8: alpha 255 leaves the channel unchanged.
inline uint16_t premultiply(uint32_t channel, uint32_t alpha)
{
    return static_cast<uint16_t>((channel * (alpha + 1)) >> 8);
}

// c x 256 / (alpha + 1), the inverse rounding of premultiply.
inline uint16_t unpremultiply(uint32_t channel, uint32_t alpha)
{
    return static_cast<uint16_t>(channel * 256 / (alpha + 1));
}

// Luminance of linear channels; the weights sum to 256.
inline uint16_t luminanceOf(uint32_t c0, uint32_t c1, uint32_t c2)
{
    return static_cast<uint16_t>((54 * c0 + 183 * c1 + 19 * c2) >> 8);
}

// Alpha at most 255, colour channels at most alpha (premultiplied) or 255.
void clampPremultiplied(PixelColor &color);
// Removes premultiplication (alpha 0 gives all zero) and the COLOR_PREMULTIPLIED flag.
void unpremultiplyColor(PixelColor &color);
// Converts the channels to the colour space, luminance and alpha state of `targetFlags`.
void convertColor(PixelColor &color, int32_t targetFlags);

} // namespace tamarind

#endif
