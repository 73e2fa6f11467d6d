// The descriptor table. The low four bits of a format value select the base format and bits 7..6 the
// channel order; every descriptor and every pack/unpack routine is derived at compile time from that
// pair, so each format gets its own straight-line routines and the table is chosen once per image.
#include "pixel_format.h"

#include <array>
#include <cstddef>
#include <utility>

namespace tamarind {
namespace {

struct BaseFormat {
    int32_t red, green, blue, alpha, luminance; // bits
    int32_t internalFormat;
    int32_t bitsPerPixel;
};

constexpr BaseFormat kBases[13] = {
    {8, 8, 8, 0, 0, COLOR_SRGB, 32},                            // sRGBX_8888
    {8, 8, 8, 8, 0, COLOR_SRGB, 32},                            // sRGBA_8888
    {8, 8, 8, 8, 0, COLOR_SRGB | COLOR_PREMULTIPLIED, 32},      // sRGBA_8888_PRE
    {5, 6, 5, 0, 0, COLOR_SRGB, 16},                            // sRGB_565
    {5, 5, 5, 1, 0, COLOR_SRGB, 16},                            // sRGBA_5551
    {4, 4, 4, 4, 0, COLOR_SRGB, 16},                            // sRGBA_4444
    {0, 0, 0, 0, 8, COLOR_SRGB | COLOR_LUMINANCE, 8},           // sL_8
    {8, 8, 8, 0, 0, 0, 32},                                     // lRGBX_8888
    {8, 8, 8, 8, 0, 0, 32},                                     // lRGBA_8888
    {8, 8, 8, 8, 0, COLOR_PREMULTIPLIED, 32},                   // lRGBA_8888_PRE
    {0, 0, 0, 0, 8, COLOR_LUMINANCE, 8},                        // lL_8
    {0, 0, 0, 8, 0, 0, 8},                                      // A_8
    {0, 0, 0, 0, 1, COLOR_LUMINANCE, 1},                        // BW_1
};

constexpr bool isXFormat(int32_t base) { return base == 0 || base == 7; }
constexpr bool isPremultipliedBase(int32_t base) { return base == 2 || base == 9; }

constexpr bool validFormat(int32_t format)
{
    if (format < 0 || (format & ~0xCF) != 0)
        return false;
    const int32_t base = format & 0xF;
    const int32_t order = (format >> 6) & 3;
    if (base > 12)
        return false;
    switch (order) {
    case 0:
        return true;
    case 2:
        return base <= 5 || (base >= 7 && base <= 9);
    default: // 1 and 3
        return base <= 2 || base == 4 || base == 5 || (base >= 7 && base <= 9);
    }
}

// Shifts of R, G, B, A (the A slot is the X byte for X formats) for a base and order.
struct Shifts {
    int32_t r, g, b, a;
};

constexpr Shifts shiftsFor(int32_t base, int32_t order)
{
    const BaseFormat &f = kBases[base];
    if (f.bitsPerPixel == 32) {
        constexpr Shifts table[4] = {{24, 16, 8, 0}, {16, 8, 0, 24}, {8, 16, 24, 0}, {0, 8, 16, 24}};
        return table[order];
    }
    if (base == 3) {
        constexpr Shifts table[4] = {{11, 5, 0, 0}, {0, 0, 0, 0}, {0, 5, 11, 0}, {0, 0, 0, 0}};
        return table[order];
    }
    if (base == 4) {
        constexpr Shifts table[4] = {{11, 6, 1, 0}, {10, 5, 0, 15}, {1, 6, 11, 0}, {0, 5, 10, 15}};
        return table[order];
    }
    if (base == 5) {
        constexpr Shifts table[4] = {{12, 8, 4, 0}, {8, 4, 0, 12}, {4, 8, 12, 0}, {0, 4, 8, 12}};
        return table[order];
    }
    return {0, 0, 0, 0};
}

constexpr PixelFormatDescriptor layoutOf(int32_t format)
{
    const int32_t base = format & 0xF;
    const BaseFormat &f = kBases[base];
    const Shifts s = shiftsFor(base, (format >> 6) & 3);
    PixelFormatDescriptor d{};
    d.redBits = f.red;
    d.redShift = f.red ? s.r : 0;
    d.greenBits = f.green;
    d.greenShift = f.green ? s.g : 0;
    d.blueBits = f.blue;
    d.blueShift = f.blue ? s.b : 0;
    d.alphaBits = f.alpha;
    d.alphaShift = f.alpha ? s.a : 0;
    d.luminanceBits = f.luminance;
    d.luminanceShift = 0;
    d.format = format;
    d.internalFormat = f.internalFormat;
    d.bitsPerPixel = f.bitsPerPixel;
    return d;
}

// Widens an n-bit channel value to 8 bits by bit replication.
constexpr uint16_t widen(uint32_t v, int32_t bits)
{
    switch (bits) {
    case 8:
        return static_cast<uint16_t>(v);
    case 6:
        return static_cast<uint16_t>(v * 4 + v / 16);
    case 5:
        return static_cast<uint16_t>(v * 8 + v / 4);
    case 4:
        return static_cast<uint16_t>(v * 17);
    case 1:
        return v ? 255 : 0;
    default:
        return 0;
    }
}

constexpr uint16_t field(uint32_t packed, int32_t bits, int32_t shift)
{
    return widen((packed >> shift) & ((1u << bits) - 1u), bits);
}

template <int32_t Format>
PixelColor unpackFormat(uint32_t packed)
{
    constexpr int32_t base = Format & 0xF;
    constexpr PixelFormatDescriptor d = layoutOf(Format);
    if constexpr (d.luminanceBits > 0) {
        const uint16_t l = field(packed, d.luminanceBits, 0);
        return PixelColor{d.internalFormat, l, l, l, 255};
    } else if constexpr (d.redBits == 0) { // A_8
        return PixelColor{d.internalFormat, 0, 0, 0, field(packed, d.alphaBits, d.alphaShift)};
    } else {
        uint16_t c0 = field(packed, d.redBits, d.redShift);
        uint16_t c1 = field(packed, d.greenBits, d.greenShift);
        uint16_t c2 = field(packed, d.blueBits, d.blueShift);
        const uint16_t alpha = d.alphaBits > 0 ? field(packed, d.alphaBits, d.alphaShift) : 255;
        if constexpr (isPremultipliedBase(base)) {
            if (alpha != 255) {
                c0 = c0 < alpha ? c0 : alpha;
                c1 = c1 < alpha ? c1 : alpha;
                c2 = c2 < alpha ? c2 : alpha;
            }
        }
        return PixelColor{d.internalFormat, c0, c1, c2, alpha};
    }
}

constexpr uint32_t place(uint32_t channel, int32_t bits, int32_t shift)
{
    return (channel >> (8 - bits)) << shift;
}

template <int32_t Format>
uint32_t packFormat(const PixelColor &color)
{
    constexpr int32_t base = Format & 0xF;
    constexpr PixelFormatDescriptor d = layoutOf(Format);
    if constexpr (d.luminanceBits > 0) {
        return place(color.c0, d.luminanceBits, 0);
    } else if constexpr (d.redBits == 0) { // A_8
        return place(color.alpha, d.alphaBits, 0);
    } else {
        uint32_t packed = place(color.c0, d.redBits, d.redShift) | place(color.c1, d.greenBits, d.greenShift) |
                          place(color.c2, d.blueBits, d.blueShift);
        if constexpr (isXFormat(base))
            packed |= place(color.alpha, 8, shiftsFor(base, (Format >> 6) & 3).a); // alpha goes in the X byte
        else if constexpr (d.alphaBits > 0)
            packed |= place(color.alpha, d.alphaBits, d.alphaShift);
        return packed;
    }
}

template <int32_t Format>
constexpr PixelFormatDescriptor descriptorOf()
{
    PixelFormatDescriptor d = layoutOf(Format);
    d.unpackPixel = &unpackFormat<Format>;
    d.packPixel = &packFormat<Format>;
    return d;
}

template <int32_t Format>
constexpr PixelFormatDescriptor entryOf()
{
    if constexpr (validFormat(Format))
        return descriptorOf<Format>();
    else
        return PixelFormatDescriptor{};
}

// Every value 0..255 gets a slot; invalid values hold an empty descriptor.
template <std::size_t... I>
constexpr std::array<PixelFormatDescriptor, sizeof...(I)> buildTable(std::index_sequence<I...>)
{
    return {entryOf<static_cast<int32_t>(I)>()...};
}

constexpr std::array<PixelFormatDescriptor, 256> kDescriptors = buildTable(std::make_index_sequence<256>{});

} // namespace

bool isValidImageFormat(int32_t format)
{
    return validFormat(format);
}

PixelFormatDescriptor describeFormat(int32_t format)
{
    return kDescriptors[static_cast<uint32_t>(format) & 0xFF];
}

} // namespace tamarind
