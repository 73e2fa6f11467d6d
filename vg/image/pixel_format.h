// Pixel formats: the PixelColor record in which every colour moves through the library, and the
// descriptor of each of the 38 image formats with its channel layout and its pack and unpack routines.
#ifndef TAMARIND_VG_IMAGE_PIXEL_FORMAT_H
#define TAMARIND_VG_IMAGE_PIXEL_FORMAT_H

#include <cstdint>

namespace tamarind {

// PixelColor flags: the colour space and alpha state of the channel values.
constexpr int32_t COLOR_SRGB = 1;
constexpr int32_t COLOR_PREMULTIPLIED = 2;
constexpr int32_t COLOR_LUMINANCE = 4;

struct PixelColor {
    int32_t flags;  // COLOR_* bits
    uint16_t c0;    // red, or luminance
    uint16_t c1;    // green (luminance copy for luminance formats)
    uint16_t c2;    // blue (luminance copy for luminance formats)
    uint16_t alpha; // 0..255
};

// Unpacks to a PixelColor whose flags are the format's internal format. The colour comes back by value
// (in registers): going through memory made every caller reload it with a stalled store forwarding.
using UnpackPixelFn = PixelColor (*)(uint32_t packed);
using PackPixelFn = uint32_t (*)(const PixelColor &color);

struct PixelFormatDescriptor {
    int32_t redBits, redShift;
    int32_t greenBits, greenShift;
    int32_t blueBits, blueShift;
    int32_t alphaBits, alphaShift;
    int32_t luminanceBits, luminanceShift; // the shift is always 0
    int32_t format;         // the VGImageFormat value described
    int32_t internalFormat; // COLOR_* flags of the unpacked channels
    int32_t bitsPerPixel;   // 1, 8, 16 or 32
    UnpackPixelFn unpackPixel;
    PackPixelFn packPixel;
};

// True for exactly the 38 VGImageFormat values.
bool isValidImageFormat(int32_t format);
// The descriptor of a valid format; the format must satisfy isValidImageFormat.
PixelFormatDescriptor describeFormat(int32_t format);

} // namespace tamarind

#endif
