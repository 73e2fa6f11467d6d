// Pixel format descriptors: the accepted format values, channel layouts and pack/unpack routines.
#include "image/pixel_format.h"

#include <VG/openvg.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tamarind {
namespace {

TEST(PixelFormat, ExactlyThe38EnumeratedFormatsAreValid)
{
    int count = 0;
    for (int32_t value = -1; value < 1024; ++value)
        count += isValidImageFormat(value) ? 1 : 0;
    EXPECT_EQ(count, 38);
    EXPECT_FALSE(isValidImageFormat(13));
    EXPECT_FALSE(isValidImageFormat(0x43)) << "565 has no ARGB order";
    EXPECT_FALSE(isValidImageFormat(202));
    EXPECT_FALSE(isValidImageFormat(VG_sL_8 | 0x40));
    EXPECT_FALSE(isValidImageFormat(VG_sRGBX_8888 | 0x100)) << "bits above the order are not ignored";
    EXPECT_TRUE(isValidImageFormat(VG_sBGR_565));
    EXPECT_TRUE(isValidImageFormat(VG_lABGR_8888_PRE));
}

TEST(PixelFormat, DescriptorsCarryBitSizesShiftsAndFlags)
{
    const PixelFormatDescriptor argb5551 = describeFormat(VG_sARGB_1555);
    EXPECT_EQ(argb5551.alphaBits, 1);
    EXPECT_EQ(argb5551.alphaShift, 15);
    EXPECT_EQ(argb5551.redShift, 10);
    EXPECT_EQ(argb5551.bitsPerPixel, 16);
    EXPECT_EQ(argb5551.format, VG_sARGB_1555);

    const PixelFormatDescriptor xrgb = describeFormat(VG_sXRGB_8888);
    EXPECT_EQ(xrgb.alphaBits, 0);
    EXPECT_EQ(xrgb.alphaShift, 0) << "a channel with no bits has shift 0";
    EXPECT_EQ(xrgb.redShift, 16);

    EXPECT_EQ(describeFormat(VG_sL_8).internalFormat, COLOR_SRGB | COLOR_LUMINANCE);
    EXPECT_EQ(describeFormat(VG_lRGBA_8888_PRE).internalFormat, COLOR_PREMULTIPLIED);
    EXPECT_EQ(describeFormat(VG_BW_1).luminanceBits, 1);
    EXPECT_EQ(describeFormat(VG_BW_1).bitsPerPixel, 1);
    EXPECT_EQ(describeFormat(VG_A_8).alphaBits, 8);
}

PixelColor unpack(int32_t format, uint32_t packed)
{
    return describeFormat(format).unpackPixel(packed);
}

TEST(PixelFormat, UnpackWidensByBitReplication)
{
    PixelColor c = unpack(VG_sRGB_565, 0xFFFF);
    EXPECT_EQ(c.c0, 255);
    EXPECT_EQ(c.c1, 255);
    EXPECT_EQ(c.c2, 255);
    EXPECT_EQ(c.alpha, 255);
    c = unpack(VG_sRGB_565, 0x0821); // r 1 -> 8 + 0, g 1 -> 4 + 0, b 1 -> 8 + 0
    EXPECT_EQ(c.c0, 8);
    EXPECT_EQ(c.c1, 4);
    EXPECT_EQ(c.c2, 8);
    c = unpack(VG_sRGBA_8888_PRE, 0xFF808040); // colour clamped to alpha 0x40
    EXPECT_EQ(c.c0, 64);
    EXPECT_EQ(c.c1, 64);
    EXPECT_EQ(c.c2, 64);
    EXPECT_EQ(c.alpha, 64);
    c = unpack(VG_sXRGB_8888, 0x00112233); // the X byte is ignored
    EXPECT_EQ(c.c0, 0x11);
    EXPECT_EQ(c.c2, 0x33);
    EXPECT_EQ(c.alpha, 255);
    c = unpack(VG_BW_1, 1);
    EXPECT_EQ(c.c1, 255);
    c = unpack(VG_A_8, 0x7F);
    EXPECT_EQ(c.c0, 0);
    EXPECT_EQ(c.alpha, 0x7F);
    c = unpack(VG_sABGR_4444, 0x1234); // A 1, B 2, G 3, R 4, each x 17
    EXPECT_EQ(c.alpha, 17);
    EXPECT_EQ(c.c2, 34);
    EXPECT_EQ(c.c1, 51);
    EXPECT_EQ(c.c0, 68);
}

TEST(PixelFormat, PackTruncatesAndPlacesChannels)
{
    const PixelColor c{0, 0xFF, 0x80, 0x01, 0xC0};
    EXPECT_EQ(describeFormat(VG_sRGBA_8888).packPixel(c), 0xFF8001C0u);
    EXPECT_EQ(describeFormat(VG_sBGRA_8888).packPixel(c), 0x0180FFC0u);
    EXPECT_EQ(describeFormat(VG_sXRGB_8888).packPixel(c), 0xC0FF8001u) << "alpha goes in the X byte";
    EXPECT_EQ(describeFormat(VG_sRGB_565).packPixel(c), (0x1Fu << 11) | (0x20u << 5) | 0u);
    EXPECT_EQ(describeFormat(VG_sARGB_1555).packPixel(c), (1u << 15) | (0x1Fu << 10) | (0x10u << 5));
    EXPECT_EQ(describeFormat(VG_BW_1).packPixel(PixelColor{0, 128, 0, 0, 0}), 1u);
    EXPECT_EQ(describeFormat(VG_BW_1).packPixel(PixelColor{0, 127, 0, 0, 0}), 0u);
    EXPECT_EQ(describeFormat(VG_A_8).packPixel(c), 0xC0u);
    EXPECT_EQ(describeFormat(VG_lL_8).packPixel(c), 0xFFu);
}

} // namespace
} // namespace tamarind

namespace tamarind {
namespace {

class EveryFormat : public ::testing::TestWithParam<int32_t> {};

std::vector<int32_t> allFormats()
{
    std::vector<int32_t> formats;
    for (int32_t value = 0; value < 256; ++value)
        if (isValidImageFormat(value))
            formats.push_back(value);
    return formats;
}

// Every packed value the format can hold unpacks to channels that pack back to the same value, once the
// bits the format ignores (X bytes) are left out.
TEST_P(EveryFormat, UnpackThenPackRoundTrips)
{
    const PixelFormatDescriptor d = describeFormat(GetParam());
    ASSERT_EQ(d.format, GetParam());
    const bool isX = (GetParam() & 0xF) == 0 || (GetParam() & 0xF) == 7;
    const bool isPremultiplied = (GetParam() & 0xF) == 2 || (GetParam() & 0xF) == 9;
    const uint32_t xMask = isX ? (((GetParam() >> 6) & 1) ? 0xFF000000u : 0xFFu) : 0;
    const uint64_t limit = d.bitsPerPixel == 32 ? 0x1000000u : (uint64_t{1} << d.bitsPerPixel);
    for (uint64_t v = 0; v < limit; v += d.bitsPerPixel == 32 ? 257 : 1) {
        uint32_t packed = static_cast<uint32_t>(v);
        if (d.bitsPerPixel == 32) // spread the low 24 bits over all four bytes
            packed = static_cast<uint32_t>(v * 0x9E3779B1u);
        if (isPremultiplied)
            packed |= (d.alphaShift == 0 ? 0xFFu : 0xFF000000u); // opaque: no clamping to alpha
        const PixelColor c = d.unpackPixel(packed);
        ASSERT_EQ(c.flags, d.internalFormat);
        ASSERT_LE(c.c0, 255);
        ASSERT_LE(c.alpha, 255);
        const uint32_t repacked = d.packPixel(c) & ~xMask;
        if (isX)
            packed &= ~xMask;
        ASSERT_EQ(repacked, packed) << std::hex << "format 0x" << GetParam() << " value 0x" << packed;
    }
}

// Channels at full and zero intensity survive pack then unpack in every format that has them.
TEST_P(EveryFormat, ExtremesSurvivePackThenUnpack)
{
    const PixelFormatDescriptor d = describeFormat(GetParam());
    for (uint16_t level : {uint16_t{0}, uint16_t{255}}) {
        PixelColor in{d.internalFormat, level, level, level, 255};
        const PixelColor out = d.unpackPixel(d.packPixel(in));
        if (d.redBits > 0 || d.luminanceBits > 0) {
            EXPECT_EQ(out.c0, level);
            EXPECT_EQ(out.c1, level);
            EXPECT_EQ(out.c2, level);
        }
        EXPECT_EQ(out.alpha, 255);
    }
}

INSTANTIATE_TEST_SUITE_P(PixelFormat, EveryFormat, ::testing::ValuesIn(allFormats()),
                         [](const ::testing::TestParamInfo<int32_t> &info) {
                             return "format_" + std::to_string(info.param);
                         });

} // namespace
} // namespace tamarind
