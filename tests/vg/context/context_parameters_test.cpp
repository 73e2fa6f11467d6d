// Context parameters through the public entry points: defaults, accepted and rejected values, the
// float/integer conversions both ways, the vector parameters with their count rules, matrix-mode
// selection, the sticky error, allocation failure while a new array is built, and calls without a
// bound context.
#include "allocation_failure.h"
#include "egl_fixture.h"

#include "context/vg_context.h"

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace tamarind::test {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr VGErrorCode kNone = VG_NO_ERROR;
constexpr VGErrorCode kIllegal = VG_ILLEGAL_ARGUMENT_ERROR;
constexpr VGint kIntSentinel = -12345;
constexpr float kFloatSentinel = -123.0f;

VgContext &current()
{
    return *static_cast<VgContext *>(eglGetCurrentVGContext());
}

VGParamType param(int32_t type)
{
    return static_cast<VGParamType>(type);
}


template <class T>
std::string nameOf(const ::testing::TestParamInfo<T> &info)
{
    return info.param.name;
}

using ContextParameterTest = BoundContextTest;

using Ints = std::vector<VGint>;
using Floats = std::vector<VGfloat>;

// Reads `count` values into a buffer of `room` (at least count) sentinels and returns the buffer.
Ints readInts(VGParamType type, VGint count, size_t room = 0)
{
    Ints values(std::max(room, static_cast<size_t>(count)), kIntSentinel);
    vgGetiv(type, count, values.data());
    return values;
}

Floats readFloats(VGParamType type, VGint count, size_t room = 0)
{
    Floats values(std::max(room, static_cast<size_t>(count)), kFloatSentinel);
    vgGetfv(type, count, values.data());
    return values;
}

// ---- Scalar defaults and read-only constants ----

struct ScalarEntry {
    const char *name;
    VGParamType type;
    VGint asInt;
    VGfloat asFloat;
    bool readOnly;
};

const ScalarEntry kScalars[] = {
    {"MatrixMode", VG_MATRIX_MODE, 0x1400, 5120.0f, false},
    {"FillRule", VG_FILL_RULE, 0x1900, 6400.0f, false},
    {"ImageQuality", VG_IMAGE_QUALITY, 2, 2.0f, false},
    {"RenderingQuality", VG_RENDERING_QUALITY, 0x1202, 4610.0f, false},
    {"BlendMode", VG_BLEND_MODE, 0x2001, 8193.0f, false},
    {"ImageMode", VG_IMAGE_MODE, 0x1F00, 7936.0f, false},
    {"LineWidth", VG_STROKE_LINE_WIDTH, 1, 1.0f, false},
    {"CapStyle", VG_STROKE_CAP_STYLE, 0x1700, 5888.0f, false},
    {"JoinStyle", VG_STROKE_JOIN_STYLE, 0x1800, 6144.0f, false},
    {"MiterLimit", VG_STROKE_MITER_LIMIT, 4, 4.0f, false},
    {"DashPhase", VG_STROKE_DASH_PHASE, 0, 0.0f, false},
    {"DashPhaseReset", VG_STROKE_DASH_PHASE_RESET, 0, 0.0f, false},
    {"Masking", VG_MASKING, 0, 0.0f, false},
    {"Scissoring", VG_SCISSORING, 0, 0.0f, false},
    {"PixelLayout", VG_PIXEL_LAYOUT, 0x1300, 4864.0f, false},
    {"ScreenLayout", VG_SCREEN_LAYOUT, 0x1300, 4864.0f, true},
    {"FilterFormatLinear", VG_FILTER_FORMAT_LINEAR, 0, 0.0f, false},
    {"FilterFormatPremultiplied", VG_FILTER_FORMAT_PREMULTIPLIED, 0, 0.0f, false},
    {"FilterChannelMask", VG_FILTER_CHANNEL_MASK, 15, 15.0f, false}, // red 8 | green 4 | blue 2 | alpha 1
    {"MaxScissorRects", VG_MAX_SCISSOR_RECTS, 256, 256.0f, true},
    {"MaxDashCount", VG_MAX_DASH_COUNT, 256, 256.0f, true},
    {"MaxKernelSize", VG_MAX_KERNEL_SIZE, 256, 256.0f, true},
    {"MaxSeparableKernelSize", VG_MAX_SEPARABLE_KERNEL_SIZE, 256, 256.0f, true},
    {"MaxColorRampStops", VG_MAX_COLOR_RAMP_STOPS, 256, 256.0f, true},
    {"MaxImageWidth", VG_MAX_IMAGE_WIDTH, 16384, 16384.0f, true},
    {"MaxImageHeight", VG_MAX_IMAGE_HEIGHT, 16384, 16384.0f, true},
    {"MaxImagePixels", VG_MAX_IMAGE_PIXELS, 268435456, 268435456.0f, true}, // 16384^2 = 2^28
    {"MaxImageBytes", VG_MAX_IMAGE_BYTES, 1073741824, 1073741824.0f, true}, // 2^30
    // FLT_MAX is far above 2^31: the integer read saturates.
    {"MaxFloat", VG_MAX_FLOAT, 2147483647, 3.4028235e38f, true},
    {"MaxGaussianStdDeviation", VG_MAX_GAUSSIAN_STD_DEVIATION, 128, 128.0f, true},
};

std::vector<ScalarEntry> readOnlyScalars()
{
    std::vector<ScalarEntry> entries;
    for (const ScalarEntry &entry : kScalars)
        if (entry.readOnly)
            entries.push_back(entry);
    return entries;
}

class ScalarDefaultTest : public BoundContextTest, public ::testing::WithParamInterface<ScalarEntry> {};

TEST_P(ScalarDefaultTest, ReadsBackAsIntAndFloatWithVectorSizeOne)
{
    const ScalarEntry &e = GetParam();
    EXPECT_EQ(vgGeti(e.type), e.asInt);
    EXPECT_EQ(vgGetf(e.type), e.asFloat);
    EXPECT_EQ(readInts(e.type, 1, 2), Ints({e.asInt, kIntSentinel})) << "one value is written";
    EXPECT_EQ(readFloats(e.type, 1, 2), Floats({e.asFloat, kFloatSentinel}));
    EXPECT_EQ(vgGetVectorSize(e.type), 1);
    EXPECT_EQ(vgGetError(), kNone);
}

INSTANTIATE_TEST_SUITE_P(Scalars, ScalarDefaultTest, ::testing::ValuesIn(kScalars), nameOf<ScalarEntry>);

class ReadOnlyTest : public BoundContextTest, public ::testing::WithParamInterface<ScalarEntry> {};

TEST_P(ReadOnlyTest, SetsWithOneValueAreIgnoredOtherCountsRejected)
{
    const ScalarEntry &e = GetParam();
    const VGint seven = 7;
    const VGint pair[2] = {7, 7};
    vgSeti(e.type, 7);
    vgSetf(e.type, -1.5f);
    vgSetf(e.type, kNaN);
    vgSetiv(e.type, 1, &seven);
    EXPECT_EQ(vgGetError(), kNone);
    vgSetiv(e.type, 2, pair);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetiv(e.type, 0, nullptr);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGeti(e.type), e.asInt);
    EXPECT_EQ(vgGetf(e.type), e.asFloat);
}

INSTANTIATE_TEST_SUITE_P(Limits, ReadOnlyTest, ::testing::ValuesIn(readOnlyScalars()), nameOf<ScalarEntry>);

TEST_F(ContextParameterTest, ScreenLayoutDoesNotFollowThePixelLayoutHint)
{
    vgSeti(VG_PIXEL_LAYOUT, VG_PIXEL_LAYOUT_BGR_HORIZONTAL);
    EXPECT_EQ(vgGeti(VG_PIXEL_LAYOUT), 0x1304);
    EXPECT_EQ(vgGeti(VG_SCREEN_LAYOUT), 0x1300);
}

TEST_F(ContextParameterTest, VectorDefaultsAreEmptyArraysAndBlackTransparentColours)
{
    EXPECT_EQ(vgGetVectorSize(VG_SCISSOR_RECTS), 0);
    EXPECT_EQ(vgGetVectorSize(VG_STROKE_DASH_PATTERN), 0);
    EXPECT_EQ(vgGetVectorSize(VG_TILE_FILL_COLOR), 4);
    EXPECT_EQ(vgGetVectorSize(VG_CLEAR_COLOR), 4);
    EXPECT_EQ(readFloats(VG_CLEAR_COLOR, 4), Floats(4, 0.0f));
    EXPECT_EQ(readInts(VG_TILE_FILL_COLOR, 4), Ints(4, 0));
    EXPECT_EQ(vgGetError(), kNone);
}

// ---- Enumerated parameters ----

struct EnumRange {
    const char *name;
    VGParamType type;
    VGint first;
    VGint last;
};

const EnumRange kEnums[] = {
    {"MatrixMode", VG_MATRIX_MODE, 0x1400, 0x1403},
    {"FillRule", VG_FILL_RULE, 0x1900, 0x1901},
    {"ImageQuality", VG_IMAGE_QUALITY, 1, 4}, // 3 (two quality bits together) is accepted too
    {"RenderingQuality", VG_RENDERING_QUALITY, 0x1200, 0x1202},
    {"BlendMode", VG_BLEND_MODE, 0x2000, 0x2009},
    {"ImageMode", VG_IMAGE_MODE, 0x1F00, 0x1F02},
    {"CapStyle", VG_STROKE_CAP_STYLE, 0x1700, 0x1702},
    {"JoinStyle", VG_STROKE_JOIN_STYLE, 0x1800, 0x1802},
    {"PixelLayout", VG_PIXEL_LAYOUT, 0x1300, 0x1304},
};

class EnumParameterTest : public BoundContextTest, public ::testing::WithParamInterface<EnumRange> {};

TEST_P(EnumParameterTest, AcceptsExactlyItsRange)
{
    const EnumRange &r = GetParam();
    for (VGint v = r.first; v <= r.last; ++v) {
        vgSeti(r.type, v);
        EXPECT_EQ(vgGeti(r.type), v);
        EXPECT_EQ(vgGetError(), kNone) << v;
    }
    vgSeti(r.type, r.first - 1);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSeti(r.type, r.last + 1);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSeti(r.type, -r.first);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGeti(r.type), r.last) << "rejected values leave the field alone";
}

TEST_P(EnumParameterTest, FloatValuesAreFlooredBeforeTheRangeCheck)
{
    const EnumRange &r = GetParam();
    const VGfloat firstPlus = static_cast<VGfloat>(r.first) + 0.75f; // exact in float, floors to first
    vgSetf(r.type, firstPlus);
    EXPECT_EQ(vgGetError(), kNone);
    EXPECT_EQ(vgGeti(r.type), r.first);
    vgSetf(r.type, static_cast<VGfloat>(r.first) - 0.25f); // floors to first - 1
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetf(r.type, static_cast<VGfloat>(r.last) + 1.0f);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGeti(r.type), r.first);
    const VGfloat lastPlus = static_cast<VGfloat>(r.last) + 0.5f;
    vgSetfv(r.type, 1, &lastPlus);
    EXPECT_EQ(vgGetError(), kNone);
    EXPECT_EQ(vgGetf(r.type), static_cast<VGfloat>(r.last));
}

INSTANTIATE_TEST_SUITE_P(Enums, EnumParameterTest, ::testing::ValuesIn(kEnums), nameOf<EnumRange>);

TEST_F(ContextParameterTest, FillRuleFromFloatsFloorsAndNaNIsNoFillRule)
{
    vgSetf(VG_FILL_RULE, 6401.7f); // floor 6401 = 0x1901
    EXPECT_EQ(vgGetError(), kNone);
    EXPECT_EQ(vgGeti(VG_FILL_RULE), VG_NON_ZERO);
    vgSetf(VG_FILL_RULE, kNaN); // NaN becomes 0, which is no fill rule
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGeti(VG_FILL_RULE), VG_NON_ZERO);
}

TEST_F(ContextParameterTest, ChannelMaskStoresAnyIntegerAndFloorsClampsFloats)
{
    vgSeti(VG_FILTER_CHANNEL_MASK, -16);
    EXPECT_EQ(vgGeti(VG_FILTER_CHANNEL_MASK), -16);
    EXPECT_EQ(vgGetf(VG_FILTER_CHANNEL_MASK), -16.0f);
    vgSeti(VG_FILTER_CHANNEL_MASK, 0x7FFFFFFF);
    EXPECT_EQ(vgGeti(VG_FILTER_CHANNEL_MASK), 0x7FFFFFFF);
    EXPECT_EQ(vgGetf(VG_FILTER_CHANNEL_MASK), 2147483648.0f); // nearest float to 2^31 - 1
    vgSetf(VG_FILTER_CHANNEL_MASK, -0.5f);
    EXPECT_EQ(vgGeti(VG_FILTER_CHANNEL_MASK), -1); // floor, not truncation
    vgSetf(VG_FILTER_CHANNEL_MASK, 7.99f);
    EXPECT_EQ(vgGeti(VG_FILTER_CHANNEL_MASK), 7);
    vgSetf(VG_FILTER_CHANNEL_MASK, kInf);
    EXPECT_EQ(vgGeti(VG_FILTER_CHANNEL_MASK), INT32_MAX);
    vgSetf(VG_FILTER_CHANNEL_MASK, -kInf);
    EXPECT_EQ(vgGeti(VG_FILTER_CHANNEL_MASK), INT32_MIN);
    vgSetf(VG_FILTER_CHANNEL_MASK, kNaN);
    EXPECT_EQ(vgGeti(VG_FILTER_CHANNEL_MASK), 0);
    EXPECT_EQ(vgGetError(), kNone);
}

// ---- Float parameters ----

struct NamedType {
    const char *name;
    VGParamType type;
};

const NamedType kFloatParameters[] = {
    {"LineWidth", VG_STROKE_LINE_WIDTH},
    {"MiterLimit", VG_STROKE_MITER_LIMIT},
    {"DashPhase", VG_STROKE_DASH_PHASE},
};

class FloatParameterTest : public BoundContextTest, public ::testing::WithParamInterface<NamedType> {};

TEST_P(FloatParameterTest, StoresAnyValueAndTruncatesIntegerReads)
{
    const VGParamType t = GetParam().type;
    vgSetf(t, 2.9f);
    EXPECT_EQ(vgGetf(t), 2.9f);
    EXPECT_EQ(vgGeti(t), 2);
    vgSetf(t, -2.9f);
    EXPECT_EQ(vgGetf(t), -2.9f) << "negative values are stored unchanged";
    EXPECT_EQ(vgGeti(t), -2) << "toward zero; a floor would give -3";
    EXPECT_EQ(readInts(t, 1), Ints{-2});
    vgSeti(t, 7);
    EXPECT_EQ(vgGetf(t), 7.0f);
    vgSeti(t, 16777217);
    EXPECT_EQ(vgGetf(t), 16777216.0f); // 2^24 + 1 has no float; it rounds to 2^24
    EXPECT_EQ(vgGetError(), kNone);
}

TEST_P(FloatParameterTest, NonFiniteValuesAreSanitisedAndIntegerReadsSaturate)
{
    const VGParamType t = GetParam().type;
    vgSetf(t, kNaN);
    EXPECT_EQ(vgGetf(t), 0.0f);
    vgSetf(t, kInf);
    EXPECT_EQ(vgGetf(t), FLT_MAX);
    EXPECT_EQ(vgGeti(t), INT32_MAX);
    vgSetf(t, -kInf);
    EXPECT_EQ(vgGetf(t), -FLT_MAX);
    EXPECT_EQ(vgGeti(t), INT32_MIN);
    vgSetf(t, 2147483520.0f); // the largest float below 2^31 fits
    EXPECT_EQ(vgGeti(t), 2147483520);
    vgSetf(t, 2147483648.0f); // 2^31 does not
    EXPECT_EQ(vgGeti(t), INT32_MAX);
    vgSetf(t, -2147483648.0f); // -2^31 fits exactly
    EXPECT_EQ(vgGeti(t), INT32_MIN);
    vgSetf(t, -2147483904.0f); // the next float below -2^31 (spacing 256)
    EXPECT_EQ(vgGeti(t), INT32_MIN);
    EXPECT_EQ(vgGetError(), kNone);
}

INSTANTIATE_TEST_SUITE_P(Floats, FloatParameterTest, ::testing::ValuesIn(kFloatParameters), nameOf<NamedType>);

// ---- Boolean parameters ----

const NamedType kBooleans[] = {
    {"DashPhaseReset", VG_STROKE_DASH_PHASE_RESET},
    {"Masking", VG_MASKING},
    {"Scissoring", VG_SCISSORING},
    {"FilterFormatLinear", VG_FILTER_FORMAT_LINEAR},
    {"FilterFormatPremultiplied", VG_FILTER_FORMAT_PREMULTIPLIED},
};

class BooleanParameterTest : public BoundContextTest, public ::testing::WithParamInterface<NamedType> {};

TEST_P(BooleanParameterTest, AnyNonZeroIntegerIsTrue)
{
    const VGParamType t = GetParam().type;
    vgSeti(t, 5);
    EXPECT_EQ(vgGeti(t), 1);
    EXPECT_EQ(vgGetf(t), 1.0f);
    vgSeti(t, 0);
    EXPECT_EQ(vgGeti(t), 0);
    vgSeti(t, INT32_MIN);
    EXPECT_EQ(vgGeti(t), 1);
    vgSetf(t, 0.5f); // floor 0
    EXPECT_EQ(vgGeti(t), 0);
    vgSetf(t, -0.5f); // floor -1
    EXPECT_EQ(vgGeti(t), 1);
    vgSetf(t, kNaN); // 0
    EXPECT_EQ(vgGeti(t), 0);
    vgSetf(t, -kInf); // INT32_MIN
    EXPECT_EQ(vgGeti(t), 1);
    EXPECT_EQ(vgGetError(), kNone);
}

INSTANTIATE_TEST_SUITE_P(Booleans, BooleanParameterTest, ::testing::ValuesIn(kBooleans), nameOf<NamedType>);

// ---- Counts and pointers ----

TEST_F(ContextParameterTest, ScalarsTakeExactlyOneValue)
{
    const VGint twoRules[2] = {VG_NON_ZERO, VG_NON_ZERO};
    const VGfloat twoWidths[2] = {5.0f, 5.0f};
    vgSetiv(VG_FILL_RULE, 0, nullptr);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetiv(VG_FILL_RULE, 2, twoRules);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetfv(VG_STROKE_LINE_WIDTH, 2, twoWidths);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGeti(VG_FILL_RULE), VG_EVEN_ODD);
    EXPECT_EQ(vgGetf(VG_STROKE_LINE_WIDTH), 1.0f);

    EXPECT_EQ(readInts(VG_FILL_RULE, 2), Ints(2, kIntSentinel));
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(readFloats(VG_STROKE_LINE_WIDTH, 2), Floats(2, kFloatSentinel));
    EXPECT_EQ(vgGetError(), kIllegal);
}

TEST_F(ContextParameterTest, VectorSettersRejectBadCountsAndPointers)
{
    const VGfloat dashes[2] = {1.0f, 2.0f};
    vgSetfv(VG_STROKE_DASH_PATTERN, 2, dashes);
    ASSERT_EQ(vgGetError(), kNone);

    alignas(4) unsigned char bytes[16] = {};
    const auto *misalignedFloats = reinterpret_cast<const VGfloat *>(bytes + 1);
    const auto *misalignedInts = reinterpret_cast<const VGint *>(bytes + 2);
    vgSetfv(VG_STROKE_DASH_PATTERN, -1, dashes);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetfv(VG_STROKE_DASH_PATTERN, 2, nullptr);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetfv(VG_STROKE_DASH_PATTERN, 3, misalignedFloats);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetfv(VG_STROKE_DASH_PATTERN, 0, misalignedFloats); // alignment is checked whatever the count
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetiv(VG_FILL_RULE, 1, misalignedInts);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(readFloats(VG_STROKE_DASH_PATTERN, 2), Floats({1.0f, 2.0f}));
    EXPECT_EQ(vgGeti(VG_FILL_RULE), VG_EVEN_ODD);

    vgSetfv(VG_STROKE_DASH_PATTERN, 0, nullptr);
    EXPECT_EQ(vgGetError(), kNone);
    EXPECT_EQ(vgGetVectorSize(VG_STROKE_DASH_PATTERN), 0);
}

TEST_F(ContextParameterTest, VectorGettersNeedAPositiveCountAndAnAlignedPointer)
{
    const VGfloat dashes[2] = {1.0f, 2.0f};
    vgSetfv(VG_STROKE_DASH_PATTERN, 2, dashes);

    VGfloat f = kFloatSentinel;
    vgGetfv(VG_STROKE_DASH_PATTERN, 0, &f);
    EXPECT_EQ(vgGetError(), kIllegal) << "unlike the setters, count 0 is an error";
    vgGetfv(VG_STROKE_DASH_PATTERN, -1, &f);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(f, kFloatSentinel);
    vgGetfv(VG_STROKE_DASH_PATTERN, 1, nullptr);
    EXPECT_EQ(vgGetError(), kIllegal);
    alignas(4) unsigned char bytes[16] = {};
    vgGetfv(VG_STROKE_DASH_PATTERN, 1, reinterpret_cast<VGfloat *>(bytes + 3));
    EXPECT_EQ(vgGetError(), kIllegal);
    for (unsigned char b : bytes)
        EXPECT_EQ(b, 0);
    EXPECT_EQ(readFloats(VG_STROKE_DASH_PATTERN, 3), Floats(3, kFloatSentinel));
    EXPECT_EQ(vgGetError(), kIllegal);

    EXPECT_EQ(readFloats(VG_STROKE_DASH_PATTERN, 1, 2), Floats({1.0f, kFloatSentinel})) << "a prefix";
    EXPECT_EQ(vgGetError(), kNone);
}

// ---- Scissor rectangles ----

TEST_F(ContextParameterTest, ScissorRectsAreStoredUnchangedAndReadBackAsPrefixes)
{
    // Negative sizes and positions are kept as given.
    const VGint rects[8] = {1, 2, 3, 4, -5, -6, -7, -8};
    vgSetiv(VG_SCISSOR_RECTS, 8, rects);
    EXPECT_EQ(vgGetError(), kNone);
    EXPECT_EQ(vgGetVectorSize(VG_SCISSOR_RECTS), 8);
    EXPECT_EQ(readInts(VG_SCISSOR_RECTS, 8), Ints(rects, rects + 8));
    EXPECT_EQ(readFloats(VG_SCISSOR_RECTS, 3, 4), Floats({1.0f, 2.0f, 3.0f, kFloatSentinel}));
    EXPECT_EQ(vgGetError(), kNone);

    EXPECT_EQ(readInts(VG_SCISSOR_RECTS, 9), Ints(9, kIntSentinel));
    EXPECT_EQ(vgGetError(), kIllegal);
}

TEST_F(ContextParameterTest, ScissorRectsFromFloatsAreFlooredAndSanitised)
{
    const VGfloat rects[8] = {1.5f, -0.5f, 2.99f, -3.01f, kNaN, kInf, -kInf, 0.0f};
    vgSetfv(VG_SCISSOR_RECTS, 8, rects);
    EXPECT_EQ(vgGetError(), kNone);
    EXPECT_EQ(readInts(VG_SCISSOR_RECTS, 8), Ints({1, -1, 2, -4, 0, INT32_MAX, INT32_MIN, 0}));
}

TEST_F(ContextParameterTest, ScissorCountMustBeAMultipleOfFour)
{
    const VGint rects[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    vgSetiv(VG_SCISSOR_RECTS, 4, rects);
    vgSetiv(VG_SCISSOR_RECTS, 6, rects);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetiv(VG_SCISSOR_RECTS, 7, rects);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGetVectorSize(VG_SCISSOR_RECTS), 4) << "the old rectangles stay";
}

TEST_F(ContextParameterTest, AtMost256ScissorRectsAreKept)
{
    Ints values(1028);
    for (VGint k = 0; k < 1028; ++k)
        values[static_cast<size_t>(k)] = k;
    vgSetiv(VG_SCISSOR_RECTS, 1028, values.data());
    EXPECT_EQ(vgGetError(), kNone) << "values past 1024 are ignored, not an error";
    EXPECT_EQ(vgGetVectorSize(VG_SCISSOR_RECTS), 1024);
    EXPECT_EQ(current().scissorRects.size(), 256u);
    EXPECT_EQ(readInts(VG_SCISSOR_RECTS, 1024), Ints(values.begin(), values.begin() + 1024));
    EXPECT_EQ(vgGetError(), kNone);
    readInts(VG_SCISSOR_RECTS, 1025);
    EXPECT_EQ(vgGetError(), kIllegal);

    vgSetiv(VG_SCISSOR_RECTS, 0, nullptr);
    EXPECT_EQ(vgGetError(), kNone);
    EXPECT_EQ(vgGetVectorSize(VG_SCISSOR_RECTS), 0);
    EXPECT_EQ(current().scissorRects.capacity(), 0u) << "an empty set releases the storage";
}

// ---- Dash pattern ----

TEST_F(ContextParameterTest, DashPatternKeepsOddCountsAndSanitisedValues)
{
    const VGfloat dashes[5] = {2.9f, -2.9f, 3e9f, kNaN, kInf};
    vgSetfv(VG_STROKE_DASH_PATTERN, 5, dashes);
    EXPECT_EQ(vgGetError(), kNone);
    EXPECT_EQ(vgGetVectorSize(VG_STROKE_DASH_PATTERN), 5);
    EXPECT_EQ(readFloats(VG_STROKE_DASH_PATTERN, 5), Floats({2.9f, -2.9f, 3e9f, 0.0f, FLT_MAX}));
    // Integer reads truncate toward zero and saturate.
    EXPECT_EQ(readInts(VG_STROKE_DASH_PATTERN, 5), Ints({2, -2, INT32_MAX, 0, INT32_MAX}));

    const VGint ints[2] = {3, -4};
    vgSetiv(VG_STROKE_DASH_PATTERN, 2, ints);
    EXPECT_EQ(readFloats(VG_STROKE_DASH_PATTERN, 2), Floats({3.0f, -4.0f}));
    EXPECT_EQ(vgGetError(), kNone);
}

TEST_F(ContextParameterTest, AtMost256DashValuesAreKeptAndAnEmptySetSwitchesDashingOff)
{
    Floats values(300);
    for (size_t k = 0; k < values.size(); ++k)
        values[k] = static_cast<VGfloat>(k) + 0.5f;
    vgSetfv(VG_STROKE_DASH_PATTERN, 300, values.data());
    EXPECT_EQ(vgGetError(), kNone);
    EXPECT_EQ(vgGetVectorSize(VG_STROKE_DASH_PATTERN), 256);
    EXPECT_EQ(readFloats(VG_STROKE_DASH_PATTERN, 256), Floats(values.begin(), values.begin() + 256));
    readFloats(VG_STROKE_DASH_PATTERN, 257);
    EXPECT_EQ(vgGetError(), kIllegal);

    vgSetfv(VG_STROKE_DASH_PATTERN, 0, nullptr);
    EXPECT_EQ(vgGetError(), kNone);
    EXPECT_EQ(vgGetVectorSize(VG_STROKE_DASH_PATTERN), 0);
    EXPECT_EQ(current().strokeDashes.capacity(), 0u);
    EXPECT_EQ(readInts(VG_STROKE_DASH_PATTERN, 1), Ints{kIntSentinel});
    EXPECT_EQ(vgGetError(), kIllegal) << "nothing to read from an empty pattern";
}

// ---- Colours ----

class ColorParameterTest : public BoundContextTest, public ::testing::WithParamInterface<NamedType> {
protected:
    VGParamType other() const
    {
        return GetParam().type == VG_TILE_FILL_COLOR ? VG_CLEAR_COLOR : VG_TILE_FILL_COLOR;
    }
};

TEST_P(ColorParameterTest, StoresFourUnclampedComponents)
{
    const VGParamType t = GetParam().type;
    const VGfloat rgba[4] = {0.25f, -2.0f, 3.5f, kNaN};
    vgSetfv(t, 4, rgba);
    EXPECT_EQ(vgGetError(), kNone);
    EXPECT_EQ(readFloats(t, 4), Floats({0.25f, -2.0f, 3.5f, 0.0f}));
    EXPECT_EQ(readInts(t, 4), Ints({0, -2, 3, 0}));

    const VGint ints[4] = {1, 2, -3, 255};
    vgSetiv(t, 4, ints);
    EXPECT_EQ(readFloats(t, 4), Floats({1.0f, 2.0f, -3.0f, 255.0f}));
    EXPECT_EQ(vgGetError(), kNone);
    EXPECT_EQ(readFloats(other(), 4), Floats(4, 0.0f)) << "the other colour is untouched";
}

TEST_P(ColorParameterTest, TakesExactlyFourAndReadsPrefixes)
{
    const VGParamType t = GetParam().type;
    const VGfloat rgba[5] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f};
    vgSetfv(t, 4, rgba);
    vgSetfv(t, 3, rgba + 1);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetfv(t, 5, rgba + 1);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetiv(t, 0, nullptr);
    EXPECT_EQ(vgGetError(), kIllegal);

    EXPECT_EQ(readFloats(t, 5), Floats(5, kFloatSentinel));
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(readFloats(t, 2, 3), Floats({0.1f, 0.2f, kFloatSentinel}));
    EXPECT_EQ(vgGetError(), kNone);
    EXPECT_EQ(vgGetVectorSize(t), 4);
}

const NamedType kColors[] = {{"TileFillColor", VG_TILE_FILL_COLOR}, {"ClearColor", VG_CLEAR_COLOR}};
INSTANTIATE_TEST_SUITE_P(Colors, ColorParameterTest, ::testing::ValuesIn(kColors), nameOf<NamedType>);

// ---- Vector parameters through the scalar entry points ----

TEST_F(ContextParameterTest, ScalarEntryPointsRejectVectorParameters)
{
    const VGint rect[4] = {5, 6, 7, 8};
    const VGfloat ones[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    vgSetiv(VG_SCISSOR_RECTS, 4, rect);
    vgSetfv(VG_STROKE_DASH_PATTERN, 4, ones);
    vgSetfv(VG_TILE_FILL_COLOR, 4, ones);
    vgSetfv(VG_CLEAR_COLOR, 4, ones);
    ASSERT_EQ(vgGetError(), kNone);

    for (VGParamType t : {VG_SCISSOR_RECTS, VG_STROKE_DASH_PATTERN, VG_TILE_FILL_COLOR, VG_CLEAR_COLOR}) {
        SCOPED_TRACE(t);
        vgSeti(t, 0);
        EXPECT_EQ(vgGetError(), kIllegal);
        vgSetf(t, 0.0f);
        EXPECT_EQ(vgGetError(), kIllegal);
        EXPECT_EQ(vgGeti(t), 0) << "not the stored first value";
        EXPECT_EQ(vgGetError(), kIllegal);
        EXPECT_EQ(vgGetf(t), 0.0f);
        EXPECT_EQ(vgGetError(), kIllegal);
        EXPECT_GT(vgGetVectorSize(t), 0) << "the stored vector survives";
    }
    EXPECT_EQ(readInts(VG_SCISSOR_RECTS, 1), Ints{5});
}

// ---- Types outside the parameter set ----

struct UnknownType {
    const char *name;
    int32_t type;
};

const UnknownType kUnknownTypes[] = {
    {"Zero", 0},
    {"Below", 0x10FF},
    {"AfterScissor", 0x1107},
    {"BeforeStroke", 0x110F},
    {"AfterStroke", 0x1117},
    {"AfterColors", 0x1122},
    {"AfterSwitches", 0x1132},
    {"AfterLayouts", 0x1142},
    {"AfterFilter", 0x1153},
    {"BeforeLimits", 0x115F},
    {"Above", 0x116B},
    {"Largest", 0x7FFFFFFF},
};

class UnknownTypeTest : public BoundContextTest, public ::testing::WithParamInterface<UnknownType> {};

TEST_P(UnknownTypeTest, IsRejectedByEverySetterAndGetter)
{
    const VGParamType t = param(GetParam().type);
    const VGint one = 1;
    vgSeti(t, 1);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetf(t, 1.0f);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetiv(t, 1, &one);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetfv(t, 0, nullptr);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGeti(t), 0);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGetf(t), 0.0f);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(readInts(t, 1), Ints{kIntSentinel});
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGetVectorSize(t), 0);
    EXPECT_EQ(vgGetError(), kIllegal);
}

INSTANTIATE_TEST_SUITE_P(Gaps, UnknownTypeTest, ::testing::ValuesIn(kUnknownTypes), nameOf<UnknownType>);

// ---- Matrix mode ----

TEST_F(ContextParameterTest, MatrixModeSelectsTheCurrentMatrix)
{
    VgContext &c = current();
    const std::pair<VGint, const Matrix3 *> modes[] = {
        {VG_MATRIX_IMAGE_USER_TO_SURFACE, &c.imageUserToSurface},
        {VG_MATRIX_FILL_PAINT_TO_USER, &c.fillPaintToUser},
        {VG_MATRIX_STROKE_PAINT_TO_USER, &c.strokePaintToUser},
        {VG_MATRIX_PATH_USER_TO_SURFACE, &c.pathUserToSurface},
    };
    for (const auto &[mode, matrix] : modes) {
        vgSeti(VG_MATRIX_MODE, mode);
        EXPECT_EQ(c.matrixMode, mode);
        EXPECT_EQ(c.currentMatrix, matrix) << mode;
    }
    vgSetf(VG_MATRIX_MODE, 5123.5f); // floor 5123 = 0x1403
    EXPECT_EQ(c.currentMatrix, &c.strokePaintToUser);
    vgSeti(VG_MATRIX_MODE, 0x1404);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(c.currentMatrix, &c.strokePaintToUser) << "a rejected mode keeps the selection";
    EXPECT_EQ(c.matrixMode, VG_MATRIX_STROKE_PAINT_TO_USER);
}

// ---- Errors, allocation failure, contexts ----

TEST_F(ContextParameterTest, ErrorsDoNotBlockLaterCallsAndTheFirstStaysPending)
{
    vgSeti(VG_BLEND_MODE, 0x1FFF);
    vgSeti(VG_BLEND_MODE, VG_BLEND_MULTIPLY);
    EXPECT_EQ(vgGeti(VG_BLEND_MODE), VG_BLEND_MULTIPLY);
    // An out-of-memory failure after the first error does not replace it.
    const VGfloat dashes[2] = {1.0f, 2.0f};
    {
        FailAllocations failing;
        vgSetfv(VG_STROKE_DASH_PATTERN, 2, dashes);
    }
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGetError(), kNone);
}

TEST_F(ContextParameterTest, AllocationFailureKeepsTheOldArrays)
{
    const VGint rects[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const VGfloat dashes[3] = {1.0f, 2.0f, 3.0f};
    vgSetiv(VG_SCISSOR_RECTS, 8, rects);
    vgSetfv(VG_STROKE_DASH_PATTERN, 3, dashes);
    ASSERT_EQ(vgGetError(), kNone);

    const VGint otherRect[4] = {9, 9, 9, 9};
    const VGfloat otherDash = 9.0f;
    {
        FailAllocations failing;
        vgSetiv(VG_SCISSOR_RECTS, 4, otherRect);
    }
    EXPECT_EQ(vgGetError(), VG_OUT_OF_MEMORY_ERROR);
    {
        FailAllocations failing;
        vgSetfv(VG_STROKE_DASH_PATTERN, 1, &otherDash);
    }
    EXPECT_EQ(vgGetError(), VG_OUT_OF_MEMORY_ERROR);
    EXPECT_EQ(readInts(VG_SCISSOR_RECTS, 8), Ints(rects, rects + 8));
    EXPECT_EQ(readFloats(VG_STROKE_DASH_PATTERN, 3), Floats(dashes, dashes + 3));
    EXPECT_EQ(vgGetError(), kNone);
}

TEST_F(ContextParameterTest, ParametersBelongToOneContext)
{
    vgSeti(VG_FILL_RULE, VG_NON_ZERO);
    EGLContext second = eglCreateContext(display, config, context, nullptr); // shares objects, not parameters
    ASSERT_NE(second, EGL_NO_CONTEXT);
    ASSERT_EQ(eglMakeCurrent(display, surface, surface, second), EGL_TRUE);
    EXPECT_EQ(vgGeti(VG_FILL_RULE), VG_EVEN_ODD);
    ASSERT_EQ(eglMakeCurrent(display, surface, surface, context), EGL_TRUE);
    EXPECT_EQ(vgGeti(VG_FILL_RULE), VG_NON_ZERO);
}

TEST_F(ContextParameterTest, WithoutABoundContextNothingChangesAndGettersReturnZero)
{
    VgContext &c = current();
    ASSERT_EQ(eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE);

    const VGfloat dashes[2] = {1.0f, 2.0f};
    vgSeti(VG_FILL_RULE, VG_NON_ZERO);
    vgSetf(VG_STROKE_LINE_WIDTH, 5.0f);
    vgSetfv(VG_STROKE_DASH_PATTERN, 2, dashes);
    vgSeti(VG_BLEND_MODE, 0); // would be an error with a context
    EXPECT_EQ(vgGeti(VG_MAX_SCISSOR_RECTS), 0);
    EXPECT_EQ(vgGetf(VG_MAX_FLOAT), 0.0f);
    EXPECT_EQ(vgGetVectorSize(VG_CLEAR_COLOR), 0);
    EXPECT_EQ(readFloats(VG_STROKE_LINE_WIDTH, 1), Floats{kFloatSentinel});
    EXPECT_EQ(vgGetError(), VG_NO_CONTEXT_ERROR);

    EXPECT_EQ(c.fillRule, VG_EVEN_ODD);
    EXPECT_EQ(c.strokeLineWidth, 1.0f);
    EXPECT_TRUE(c.strokeDashes.empty());
    EXPECT_EQ(c.error, VG_NO_ERROR);
    ASSERT_EQ(eglMakeCurrent(display, surface, surface, context), EGL_TRUE);
    EXPECT_EQ(vgGetError(), kNone);
}

} // namespace
} // namespace tamarind::test
