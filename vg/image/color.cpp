// Conversions between the internal colour formats: un-premultiply, map the colour space through the sRGB
// tables and the luminance weights, premultiply again.
#include "color.h"

namespace tamarind {
namespace {

void replicate(PixelColor &color, uint16_t value)
{
    color.c0 = color.c1 = color.c2 = value;
}

void throughTable(PixelColor &color, const uint16_t *table)
{
    color.c0 = table[color.c0];
    color.c1 = table[color.c1];
    color.c2 = table[color.c2];
}

uint16_t linearLuminanceOfSrgb(const PixelColor &color)
{
    return luminanceOf(srgbToLinearTable[color.c0], srgbToLinearTable[color.c1], srgbToLinearTable[color.c2]);
}

constexpr int32_t kSpaceBits = COLOR_SRGB | COLOR_LUMINANCE;
constexpr int32_t kLinearRgb = 0;
constexpr int32_t kSrgbRgb = COLOR_SRGB;
constexpr int32_t kLinearLum = COLOR_LUMINANCE;
constexpr int32_t kSrgbLum = COLOR_SRGB | COLOR_LUMINANCE;

void mapColorSpace(PixelColor &color, int32_t target, int32_t source)
{
    switch (target * 8 + source) {
    case kLinearRgb * 8 + kSrgbRgb:
        throughTable(color, srgbToLinearTable);
        break;
    case kLinearRgb * 8 + kSrgbLum:
    case kLinearLum * 8 + kSrgbLum:
        replicate(color, srgbToLinearTable[color.c0]);
        break;
    case kSrgbRgb * 8 + kLinearRgb:
        throughTable(color, linearToSrgbTable);
        break;
    case kSrgbRgb * 8 + kLinearLum:
    case kSrgbLum * 8 + kLinearLum:
        replicate(color, linearToSrgbTable[color.c0]);
        break;
    case kLinearLum * 8 + kLinearRgb:
        replicate(color, luminanceOf(color.c0, color.c1, color.c2));
        break;
    case kLinearLum * 8 + kSrgbRgb:
        replicate(color, linearLuminanceOfSrgb(color));
        break;
    case kSrgbLum * 8 + kLinearRgb:
        replicate(color, linearToSrgbTable[luminanceOf(color.c0, color.c1, color.c2)]);
        break;
    case kSrgbLum * 8 + kSrgbRgb:
        replicate(color, linearToSrgbTable[linearLuminanceOfSrgb(color)]);
        break;
    default: // same space, or luminance to RGB of the same coding: channels unchanged
        break;
    }
}

} // namespace

void clampPremultiplied(PixelColor &color)
{
    if (color.alpha > 255)
        color.alpha = 255;
    const uint16_t limit = (color.flags & COLOR_PREMULTIPLIED) ? color.alpha : 255;
    if (color.c0 > limit)
        color.c0 = limit;
    if (color.c1 > limit)
        color.c1 = limit;
    if (color.c2 > limit)
        color.c2 = limit;
}

void unpremultiplyColor(PixelColor &color)
{
    if (!(color.flags & COLOR_PREMULTIPLIED))
        return;
    if (color.alpha == 0) {
        color.c0 = color.c1 = color.c2 = 0;
    } else if (color.alpha != 255) {
        color.c0 = unpremultiply(color.c0, color.alpha);
        color.c1 = unpremultiply(color.c1, color.alpha);
        color.c2 = unpremultiply(color.c2, color.alpha);
    }
    color.flags &= ~COLOR_PREMULTIPLIED;
}

void convertColor(PixelColor &color, int32_t target)
{
    const int32_t source = color.flags;
    if (source == target)
        return;
    if ((source & COLOR_PREMULTIPLIED) && color.alpha != 255) {
        if (color.alpha == 0) {
            color.c0 = color.c1 = color.c2 = color.alpha = 0;
        } else {
            color.c0 = unpremultiply(color.c0, color.alpha);
            color.c1 = unpremultiply(color.c1, color.alpha);
            color.c2 = unpremultiply(color.c2, color.alpha);
        }
    }
    mapColorSpace(color, target & kSpaceBits, source & kSpaceBits);
    if ((target & COLOR_PREMULTIPLIED) && color.alpha != 255) {
        color.c0 = premultiply(color.c0, color.alpha);
        color.c1 = premultiply(color.c1, color.alpha);
        color.c2 = premultiply(color.c2, color.alpha);
    }
    color.flags = target;
}

} // namespace tamarind
