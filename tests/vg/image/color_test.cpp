// Colour arithmetic: the sRGB tables, premultiplication rounding, clamping and format conversion.
#include "image/color.h"

#include <gtest/gtest.h>

namespace tamarind {
namespace {

TEST(SrgbTables, HoldTheStatedEntries)
{
    for (int i = 0; i <= 12; ++i)
        EXPECT_EQ(srgbToLinearTable[i], 0) << i;
    EXPECT_EQ(srgbToLinearTable[13], 1);
    EXPECT_EQ(srgbToLinearTable[128], 55);
    // The twelve entries fixed one above the plain floor formula (and 255 below 255).
    const int fixed[][2] = {{73, 17},   {81, 21},   {109, 39},  {129, 56},  {142, 69},  {157, 86},
                            {165, 96},  {179, 115}, {193, 136}, {204, 154}, {251, 246}, {255, 254}};
    for (const auto &entry : fixed)
        EXPECT_EQ(srgbToLinearTable[entry[0]], entry[1]) << entry[0];
    EXPECT_EQ(linearToSrgbTable[0], 0);
    EXPECT_EQ(linearToSrgbTable[1], 12);
    EXPECT_EQ(linearToSrgbTable[2], 21);
    EXPECT_EQ(linearToSrgbTable[17], 72);
    EXPECT_EQ(linearToSrgbTable[128], 187);
    EXPECT_EQ(linearToSrgbTable[255], 255);
}

TEST(SrgbTables, AreMonotoneAndInverseOfEachOther)
{
    for (int i = 1; i < 256; ++i) {
        EXPECT_LE(srgbToLinearTable[i - 1], srgbToLinearTable[i]) << i;
        EXPECT_LE(linearToSrgbTable[i - 1], linearToSrgbTable[i]) << i;
    }
    // linearToSrgbTable[j] is the largest i with srgbToLinearTable[i] < j, and the other way round.
    for (int j = 1; j < 256; ++j) {
        int largest = 0;
        for (int i = 0; i < 256; ++i)
            if (srgbToLinearTable[i] < j)
                largest = i;
        EXPECT_EQ(linearToSrgbTable[j], largest) << j;
    }
    for (int i = 0; i < 256; ++i) {
        int largest = 0;
        for (int j = 0; j < 256; ++j)
            if (linearToSrgbTable[j] < i)
                largest = j;
        EXPECT_EQ(srgbToLinearTable[i], largest) << i;
    }
}

TEST(Premultiplication, RoundsWithAlphaPlusOne)
{
    EXPECT_EQ(premultiply(200, 127), 100); // 200 x 128 >> 8
    EXPECT_EQ(unpremultiply(100, 127), 200); // 100 x 256 / 128
    EXPECT_EQ(premultiply(255, 128), 128);   // 255 x 129 >> 8 = 128
    for (uint32_t c = 0; c < 256; ++c)
        EXPECT_EQ(premultiply(c, 255), c) << "alpha 255 leaves channels alone";

    PixelColor transparent{COLOR_PREMULTIPLIED, 10, 20, 30, 0};
    unpremultiplyColor(transparent);
    EXPECT_EQ(transparent.c0, 0);
    EXPECT_EQ(transparent.c2, 0);
    EXPECT_EQ(transparent.flags, 0);

    PixelColor straight{COLOR_SRGB, 10, 20, 30, 40};
    unpremultiplyColor(straight);
    EXPECT_EQ(straight.c0, 10) << "a non-premultiplied colour is left alone";
    EXPECT_EQ(straight.flags, COLOR_SRGB);
}

TEST(ClampPremultiplied, LimitsChannelsToAlphaOnlyWhenPremultiplied)
{
    PixelColor pre{COLOR_PREMULTIPLIED, 300, 90, 50, 400};
    clampPremultiplied(pre);
    EXPECT_EQ(pre.alpha, 255);
    EXPECT_EQ(pre.c0, 255);
    EXPECT_EQ(pre.c1, 90);
    PixelColor pre2{COLOR_PREMULTIPLIED, 200, 90, 50, 80};
    clampPremultiplied(pre2);
    EXPECT_EQ(pre2.c0, 80);
    EXPECT_EQ(pre2.c1, 80);
    EXPECT_EQ(pre2.c2, 50);
    PixelColor straight{0, 200, 300, 50, 80};
    clampPremultiplied(straight);
    EXPECT_EQ(straight.c0, 200);
    EXPECT_EQ(straight.c1, 255);
}

PixelColor converted(PixelColor color, int32_t target)
{
    convertColor(color, target);
    return color;
}

void expectChannels(const PixelColor &c, int r, int g, int b, int a, int32_t flags)
{
    EXPECT_EQ(c.c0, r);
    EXPECT_EQ(c.c1, g);
    EXPECT_EQ(c.c2, b);
    EXPECT_EQ(c.alpha, a);
    EXPECT_EQ(c.flags, flags);
}

TEST(ConvertColor, MapsColourSpaces)
{
    expectChannels(converted({0, 128, 128, 128, 255}, COLOR_SRGB), 187, 187, 187, 255, COLOR_SRGB);
    expectChannels(converted({COLOR_SRGB, 255, 0, 128, 9}, 0), 254, 0, 55, 9, 0);
    // sRGB grey 0x80 -> linear 55 on every channel; luminance (54 + 183 + 19) x 55 >> 8 = 55.
    expectChannels(converted({COLOR_SRGB, 128, 128, 128, 255}, COLOR_LUMINANCE), 55, 55, 55, 255, COLOR_LUMINANCE);
    // Linear luminance 55 -> sRGB luminance through linearToSrgbTable[55].
    const int srgb55 = linearToSrgbTable[55];
    expectChannels(converted({COLOR_LUMINANCE, 55, 55, 55, 7}, COLOR_SRGB | COLOR_LUMINANCE), srgb55, srgb55,
                   srgb55, 7, COLOR_SRGB | COLOR_LUMINANCE);
    // Linear RGB (255, 0, 0) -> linear luminance 54 x 255 >> 8 = 53.
    expectChannels(converted({0, 255, 0, 0, 255}, COLOR_LUMINANCE), 53, 53, 53, 255, COLOR_LUMINANCE);
    // Luminance to RGB of the same coding replicates nothing new: channels unchanged.
    expectChannels(converted({COLOR_LUMINANCE, 40, 40, 40, 255}, 0), 40, 40, 40, 255, 0);
}

TEST(ConvertColor, UnpremultipliesBeforeAndPremultipliesAfter)
{
    // Premultiplied linear (64, 64, 64, 128) -> straight 64 x 256 / 129 = 127 -> sRGB table[127].
    const int s = linearToSrgbTable[127];
    expectChannels(converted({COLOR_PREMULTIPLIED, 64, 64, 64, 128}, COLOR_SRGB), s, s, s, 128, COLOR_SRGB);
    // Straight sRGB 200 at alpha 127 -> premultiplied sRGB 200 x 128 >> 8 = 100.
    expectChannels(converted({COLOR_SRGB, 200, 200, 200, 127}, COLOR_SRGB | COLOR_PREMULTIPLIED), 100, 100, 100,
                   127, COLOR_SRGB | COLOR_PREMULTIPLIED);
    // Alpha 0 clears the colour when leaving a premultiplied format.
    expectChannels(converted({COLOR_PREMULTIPLIED, 9, 9, 9, 0}, 0), 0, 0, 0, 0, 0);
    // Equal flags: nothing changes, even for out-of-range channels.
    expectChannels(converted({COLOR_PREMULTIPLIED, 90, 9, 9, 10}, COLOR_PREMULTIPLIED), 90, 9, 9, 10,
                   COLOR_PREMULTIPLIED);
}

} // namespace
} // namespace tamarind
