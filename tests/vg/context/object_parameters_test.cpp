// Object parameters through the public entry points: the read-only path and image parameters, the order
// of the argument and handle checks, the paint scalars and vectors with their counts, the cached paint
// colour, the processing of colour-ramp stops, vector sizes per kind, and allocation failure while the
// stop lists are rebuilt.
#include "allocation_failure.h"
#include "egl_fixture.h"

#include "context/vg_context.h"
#include "render/paint_object.h"

#include <cfloat>
#include <cstdint>
#include <limits>
#include <vector>

namespace tamarind::test {
namespace {

constexpr VGErrorCode kNone = VG_NO_ERROR;
constexpr VGErrorCode kIllegal = VG_ILLEGAL_ARGUMENT_ERROR;
constexpr VGErrorCode kBadHandle = VG_BAD_HANDLE_ERROR;

VgContext &current()
{
    return *static_cast<VgContext *>(eglGetCurrentVGContext());
}

PaintObject &paintRecord(VGPaint paint)
{
    PaintObject *record = isPaint(current(), paint);
    if (record == nullptr)
        throw std::runtime_error("not a live paint handle");
    return *record;
}

// A ramp stop as expected in the processed list.
struct Expected {
    int position, c0, c1, c2, alpha;
};

void expectRamp(VGPaint paint, const std::vector<Expected> &expected)
{
    const std::vector<RampStop> &stops = paintRecord(paint).stops;
    ASSERT_EQ(stops.size(), expected.size());
    for (size_t i = 0; i < stops.size(); ++i) {
        EXPECT_EQ(stops[i].position, expected[i].position) << "stop " << i;
        EXPECT_EQ(stops[i].c0, expected[i].c0) << "stop " << i;
        EXPECT_EQ(stops[i].c1, expected[i].c1) << "stop " << i;
        EXPECT_EQ(stops[i].c2, expected[i].c2) << "stop " << i;
        EXPECT_EQ(stops[i].alpha, expected[i].alpha) << "stop " << i;
    }
}

const std::vector<Expected> kDefaultRamp = {{0, 0, 0, 0, 255}, {255, 255, 255, 255, 255}};

class ObjectParameterTest : public BoundContextTest {
protected:
    void SetUp() override
    {
        BoundContextTest::SetUp();
        paint = vgCreatePaint();
        // S_16 path with scale 2.9 and bias -1.5: one move (2 coordinates) and one cubic (6 coordinates).
        path = vgCreatePath(VG_PATH_FORMAT_STANDARD, VG_PATH_DATATYPE_S_16, 2.9f, -1.5f, 0, 0,
                            VG_PATH_CAPABILITY_ALL);
        const VGubyte segments[] = {VG_MOVE_TO_ABS, VG_CUBIC_TO_ABS};
        const int16_t coordinates[] = {0, 0, 1, 1, 2, 2, 3, 3};
        vgAppendPathData(path, 2, segments, coordinates);
        image = vgCreateImage(VG_sRGB_565, 7, 3, VG_IMAGE_QUALITY_NONANTIALIASED);
        ASSERT_NE(paint, VG_INVALID_HANDLE);
        ASSERT_NE(path, VG_INVALID_HANDLE);
        ASSERT_NE(image, VG_INVALID_HANDLE);
        ASSERT_EQ(vgGetError(), kNone);
    }

    // A handle that names no object: destroyed, so it is in no list.
    VGHandle deadHandle()
    {
        const VGPaint dead = vgCreatePaint();
        vgDestroyPaint(dead);
        return dead;
    }

    void setStops(const std::vector<float> &values)
    {
        vgSetParameterfv(paint, VG_PAINT_COLOR_RAMP_STOPS, static_cast<VGint>(values.size()), values.data());
    }

    VGPaint paint = VG_INVALID_HANDLE;
    VGPath path = VG_INVALID_HANDLE;
    VGImage image = VG_INVALID_HANDLE;
};

TEST_F(ObjectParameterTest, PathParametersReadTheRecord)
{
    EXPECT_EQ(vgGetParameteri(path, VG_PATH_FORMAT), VG_PATH_FORMAT_STANDARD);
    EXPECT_EQ(vgGetParameteri(path, VG_PATH_DATATYPE), VG_PATH_DATATYPE_S_16);
    EXPECT_EQ(vgGetParameteri(path, VG_PATH_SCALE), 2) << "2.9 truncated";
    EXPECT_FLOAT_EQ(vgGetParameterf(path, VG_PATH_SCALE), 2.9f);
    EXPECT_EQ(vgGetParameteri(path, VG_PATH_BIAS), -1) << "-1.5 truncated toward zero, not floored";
    EXPECT_EQ(vgGetParameteri(path, VG_PATH_NUM_SEGMENTS), 2);
    EXPECT_EQ(vgGetParameterf(path, VG_PATH_NUM_COORDS), 8.0f) << "2 + 6 coordinates, as a float";
    VGint one = -7;
    vgGetParameteriv(path, VG_PATH_NUM_COORDS, 1, &one);
    EXPECT_EQ(one, 8);
    EXPECT_EQ(vgGetError(), kNone);

    VGint two[2] = {-7, -7};
    vgGetParameteriv(path, VG_PATH_NUM_COORDS, 2, two);
    EXPECT_EQ(vgGetError(), kIllegal) << "a path parameter is a single value";
    EXPECT_EQ(two[0], -7);
}

TEST_F(ObjectParameterTest, ImageParametersReadTheRecord)
{
    EXPECT_EQ(vgGetParameteri(image, VG_IMAGE_FORMAT), VG_sRGB_565);
    EXPECT_EQ(vgGetParameterf(image, VG_IMAGE_WIDTH), 7.0f);
    VGfloat height = 0.0f;
    vgGetParameterfv(image, VG_IMAGE_HEIGHT, 1, &height);
    EXPECT_EQ(height, 3.0f);
    EXPECT_EQ(vgGetError(), kNone);
}

TEST_F(ObjectParameterTest, WritingReadOnlyParametersIsIgnored)
{
    vgSetParameteri(path, VG_PATH_DATATYPE, 0);
    vgSetParameterf(path, VG_PATH_SCALE, 5.0f);
    const VGint many[3] = {1, 2, 3};
    vgSetParameteriv(path, VG_PATH_NUM_SEGMENTS, 3, many);
    vgSetParameteri(image, VG_IMAGE_WIDTH, 99);
    vgSetParameteriv(image, VG_IMAGE_FORMAT, 0, nullptr);
    EXPECT_EQ(vgGetError(), kNone);
    EXPECT_EQ(vgGetParameteri(path, VG_PATH_DATATYPE), VG_PATH_DATATYPE_S_16);
    EXPECT_FLOAT_EQ(vgGetParameterf(path, VG_PATH_SCALE), 2.9f);
    EXPECT_EQ(vgGetParameteri(path, VG_PATH_NUM_SEGMENTS), 2);
    EXPECT_EQ(vgGetParameteri(image, VG_IMAGE_WIDTH), 7);
}

TEST_F(ObjectParameterTest, ParametersOfAnotherKindAreRefused)
{
    vgSetParameteri(path, VG_PAINT_TYPE, VG_PAINT_TYPE_COLOR);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetParameteri(image, VG_PATH_DATATYPE, 0);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetParameteri(paint, VG_IMAGE_WIDTH, 1);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGetParameteri(paint, VG_PATH_FORMAT), 0);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGetParameterf(image, VG_PAINT_TYPE), 0.0f);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGetParameterVectorSize(image, VG_PAINT_COLOR), 0);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGetParameterVectorSize(path, VG_IMAGE_FORMAT), 0);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGetParameterVectorSize(paint, 0x1A08), 0);
    EXPECT_EQ(vgGetError(), kIllegal);
}

TEST_F(ObjectParameterTest, ArgumentChecksComeInTheWrittenOrder)
{
    const VGHandle dead = deadHandle();
    ASSERT_EQ(vgGetError(), kNone);

    // Vector setters and getters test count and pointer before the handle.
    vgSetParameterfv(VG_INVALID_HANDLE, VG_PAINT_COLOR, -1, nullptr);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetParameteriv(dead, VG_PAINT_COLOR, 4, nullptr);
    EXPECT_EQ(vgGetError(), kIllegal);
    alignas(4) unsigned char bytes[32] = {};
    vgSetParameterfv(dead, VG_PAINT_COLOR, 4, reinterpret_cast<const VGfloat *>(bytes + 2));
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetParameterfv(dead, VG_PAINT_COLOR_RAMP_STOPS, 0, nullptr);
    EXPECT_EQ(vgGetError(), kBadHandle) << "count 0 with no array passes the argument test";
    VGfloat out[4] = {};
    vgGetParameterfv(dead, VG_PAINT_TYPE, 0, out);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgGetParameteriv(dead, VG_PAINT_TYPE, 1, nullptr);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgGetParameterfv(dead, VG_PAINT_TYPE, 1, reinterpret_cast<VGfloat *>(bytes + 1));
    EXPECT_EQ(vgGetError(), kIllegal);
    vgGetParameterfv(dead, VG_PAINT_TYPE, 1, out);
    EXPECT_EQ(vgGetError(), kBadHandle);

    // Scalar getters refuse the vector paint types before the handle.
    EXPECT_EQ(vgGetParameterf(dead, VG_PAINT_COLOR), 0.0f);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGetParameteri(dead, VG_PAINT_COLOR_RAMP_STOPS), 0);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGetParameterf(dead, VG_PAINT_TYPE), 0.0f);
    EXPECT_EQ(vgGetError(), kBadHandle);

    // Scalar setters look the handle up first, then refuse the vector types for every kind.
    vgSetParameteri(dead, VG_PAINT_COLOR, 0);
    EXPECT_EQ(vgGetError(), kBadHandle);
    vgSetParameterf(path, VG_PAINT_LINEAR_GRADIENT, 0.0f);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetParameterf(paint, VG_PAINT_RADIAL_GRADIENT, 0.0f);
    EXPECT_EQ(vgGetError(), kIllegal);

    EXPECT_EQ(vgGetParameterVectorSize(dead, VG_PAINT_TYPE), 0);
    EXPECT_EQ(vgGetError(), kBadHandle);
}

TEST_F(ObjectParameterTest, PaintScalarsValidateTheirValues)
{
    EXPECT_EQ(vgGetParameteri(paint, VG_PAINT_TYPE), VG_PAINT_TYPE_COLOR);
    EXPECT_EQ(vgGetParameteri(paint, VG_PAINT_COLOR_RAMP_SPREAD_MODE), VG_COLOR_RAMP_SPREAD_PAD);
    EXPECT_EQ(vgGetParameteri(paint, VG_PAINT_PATTERN_TILING_MODE), VG_TILE_FILL);
    EXPECT_EQ(vgGetParameteri(paint, VG_PAINT_COLOR_RAMP_PREMULTIPLIED), 1);

    vgSetParameteri(paint, VG_PAINT_TYPE, VG_PAINT_TYPE_PATTERN);
    vgSetParameteri(paint, VG_PAINT_COLOR_RAMP_SPREAD_MODE, VG_COLOR_RAMP_SPREAD_REFLECT);
    vgSetParameteri(paint, VG_PAINT_PATTERN_TILING_MODE, VG_TILE_REFLECT);
    vgSetParameteri(paint, VG_PAINT_COLOR_RAMP_PREMULTIPLIED, 0);
    EXPECT_EQ(vgGetError(), kNone);
    EXPECT_EQ(vgGetParameteri(paint, VG_PAINT_TYPE), VG_PAINT_TYPE_PATTERN);
    EXPECT_EQ(vgGetParameteri(paint, VG_PAINT_COLOR_RAMP_SPREAD_MODE), VG_COLOR_RAMP_SPREAD_REFLECT);
    EXPECT_EQ(vgGetParameterf(paint, VG_PAINT_PATTERN_TILING_MODE), static_cast<float>(VG_TILE_REFLECT));
    EXPECT_EQ(vgGetParameteri(paint, VG_PAINT_COLOR_RAMP_PREMULTIPLIED), 0);

    // One past each range, and one below, are refused and change nothing.
    for (auto [type, bad] : std::vector<std::pair<VGint, VGint>>{{VG_PAINT_TYPE, 0x1B04},
                                                                  {VG_PAINT_TYPE, 0x1AFF},
                                                                  {VG_PAINT_COLOR_RAMP_SPREAD_MODE, 0x1C03},
                                                                  {VG_PAINT_PATTERN_TILING_MODE, 0x1D04},
                                                                  {VG_PAINT_PATTERN_TILING_MODE, -1}}) {
        const VGint before = vgGetParameteri(paint, type);
        vgSetParameteri(paint, type, bad);
        EXPECT_EQ(vgGetError(), kIllegal) << std::hex << type << " " << bad;
        EXPECT_EQ(vgGetParameteri(paint, type), before);
    }

    // Floats become integers by floor: 6913.7 is 0x1B01.
    vgSetParameterf(paint, VG_PAINT_TYPE, 6913.7f);
    EXPECT_EQ(vgGetParameteri(paint, VG_PAINT_TYPE), VG_PAINT_TYPE_LINEAR_GRADIENT);
    // Any non-zero value sets the boolean to 1.
    vgSetParameteri(paint, VG_PAINT_COLOR_RAMP_PREMULTIPLIED, -5);
    EXPECT_EQ(vgGetParameteri(paint, VG_PAINT_COLOR_RAMP_PREMULTIPLIED), 1);
    EXPECT_EQ(vgGetError(), kNone);

    // A scalar needs exactly one value, to set and (at most one) to read.
    const VGint two[2] = {VG_PAINT_TYPE_COLOR, VG_PAINT_TYPE_COLOR};
    vgSetParameteriv(paint, VG_PAINT_TYPE, 2, two);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetParameteriv(paint, VG_PAINT_TYPE, 0, two);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGetParameteri(paint, VG_PAINT_TYPE), VG_PAINT_TYPE_LINEAR_GRADIENT);
    VGint read[2] = {-7, -7};
    vgGetParameteriv(paint, VG_PAINT_TYPE, 2, read);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(read[0], -7);
}

TEST_F(ObjectParameterTest, PaintColorStoresFloatsAndCachesAPremultipliedColor)
{
    const VGfloat color[4] = {0.5f, 1.0f, 0.0f, 0.5f};
    vgSetParameterfv(paint, VG_PAINT_COLOR, 4, color);
    EXPECT_EQ(vgGetError(), kNone);
    // Channels 127, 255, 0 with alpha 127 (x 255, truncated), premultiplied by (c x 128) >> 8:
    // 127 -> 63, 255 -> 127, 0 -> 0.
    const PixelColor &cached = paintRecord(paint).cachedColor;
    EXPECT_EQ(cached.flags, COLOR_SRGB | COLOR_PREMULTIPLIED);
    EXPECT_EQ(cached.c0, 63);
    EXPECT_EQ(cached.c1, 127);
    EXPECT_EQ(cached.c2, 0);
    EXPECT_EQ(cached.alpha, 127);

    VGfloat out[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
    vgGetParameterfv(paint, VG_PAINT_COLOR, 2, out);
    EXPECT_EQ(out[0], 0.5f);
    EXPECT_EQ(out[1], 1.0f);
    EXPECT_EQ(out[2], -1.0f) << "only count values are written";
    VGint asInts[4] = {};
    vgGetParameteriv(paint, VG_PAINT_COLOR, 4, asInts);
    EXPECT_EQ(asInts[0], 0) << "0.5 truncated";
    EXPECT_EQ(asInts[1], 1);
    EXPECT_EQ(vgGetError(), kNone);

    vgGetParameterfv(paint, VG_PAINT_COLOR, 5, out);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetParameterfv(paint, VG_PAINT_COLOR, 3, color);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(paintRecord(paint).color[2], 0.0f);
}

TEST_F(ObjectParameterTest, PaintColorOutsideTheUnitRangeIsClampedInTheCache)
{
    // -0.5 gives 0 rather than a negative channel; 257.5 x 255 = 65662 would wrap to 126 in a 16-bit
    // channel, and must give 255; 0.5 gives 127; alpha 1 leaves the channels unpremultiplied.
    const VGfloat color[4] = {-0.5f, 257.5f, 0.5f, 1.0f};
    vgSetParameterfv(paint, VG_PAINT_COLOR, 4, color);
    const PixelColor &cached = paintRecord(paint).cachedColor;
    EXPECT_EQ(cached.c0, 0);
    EXPECT_EQ(cached.c1, 255);
    EXPECT_EQ(cached.c2, 127);
    EXPECT_EQ(cached.alpha, 255);
    VGfloat out[4] = {};
    vgGetParameterfv(paint, VG_PAINT_COLOR, 4, out);
    EXPECT_EQ(out[0], -0.5f) << "the stored colour is kept as given";

    // Integers convert to floats; a large alpha is limited to 255 and then the channels to 255.
    const VGint ints[4] = {1, 0, 3, 2};
    vgSetParameteriv(paint, VG_PAINT_COLOR, 4, ints);
    EXPECT_EQ(cached.c0, 255);
    EXPECT_EQ(cached.c1, 0);
    EXPECT_EQ(cached.c2, 255);
    EXPECT_EQ(cached.alpha, 255);

    // NaN is stored as 0 and infinity as the largest float.
    const VGfloat odd[4] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 0.0f,
                            0.0f};
    vgSetParameterfv(paint, VG_PAINT_COLOR, 4, odd);
    vgGetParameterfv(paint, VG_PAINT_COLOR, 2, out);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], FLT_MAX);
    // 255 with alpha 0 premultiplies to (255 x 1) >> 8 = 0.
    EXPECT_EQ(cached.c1, 0);
    EXPECT_EQ(cached.alpha, 0);
    EXPECT_EQ(vgGetError(), kNone);
}

TEST_F(ObjectParameterTest, GradientGeometryIsStoredAsGiven)
{
    const VGfloat linear[4] = {1.0f, 2.0f, -3.0f, 4.5f};
    vgSetParameterfv(paint, VG_PAINT_LINEAR_GRADIENT, 4, linear);
    const VGfloat radial[5] = {5.0f, 6.0f, 7.0f, 8.0f, -1.0f};
    vgSetParameterfv(paint, VG_PAINT_RADIAL_GRADIENT, 5, radial);
    EXPECT_EQ(vgGetError(), kNone);
    VGfloat out[5] = {};
    vgGetParameterfv(paint, VG_PAINT_LINEAR_GRADIENT, 4, out);
    EXPECT_EQ(out[2], -3.0f);
    EXPECT_EQ(out[3], 4.5f);
    VGint ints[5] = {};
    vgGetParameteriv(paint, VG_PAINT_RADIAL_GRADIENT, 5, ints);
    EXPECT_EQ(ints[0], 5);
    EXPECT_EQ(ints[4], -1) << "a negative radius is stored";

    vgSetParameterfv(paint, VG_PAINT_LINEAR_GRADIENT, 5, radial);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgSetParameterfv(paint, VG_PAINT_RADIAL_GRADIENT, 4, linear);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgGetParameterfv(paint, VG_PAINT_LINEAR_GRADIENT, 5, out);
    EXPECT_EQ(vgGetError(), kIllegal);
    vgGetParameterfv(paint, VG_PAINT_LINEAR_GRADIENT, 4, out);
    EXPECT_EQ(out[0], 1.0f) << "the refused writes changed nothing";
    EXPECT_EQ(out[3], 4.5f);
}

TEST_F(ObjectParameterTest, VectorSizesPerKind)
{
    for (VGint type = VG_PATH_FORMAT; type <= VG_PATH_NUM_COORDS; ++type)
        EXPECT_EQ(vgGetParameterVectorSize(path, type), 1) << std::hex << type;
    for (VGint type = VG_IMAGE_FORMAT; type <= VG_IMAGE_HEIGHT; ++type)
        EXPECT_EQ(vgGetParameterVectorSize(image, type), 1) << std::hex << type;
    EXPECT_EQ(vgGetParameterVectorSize(paint, VG_PAINT_TYPE), 1);
    EXPECT_EQ(vgGetParameterVectorSize(paint, VG_PAINT_COLOR), 4);
    EXPECT_EQ(vgGetParameterVectorSize(paint, VG_PAINT_COLOR_RAMP_SPREAD_MODE), 1);
    EXPECT_EQ(vgGetParameterVectorSize(paint, VG_PAINT_COLOR_RAMP_STOPS), 0) << "no stops given yet";
    EXPECT_EQ(vgGetParameterVectorSize(paint, VG_PAINT_LINEAR_GRADIENT), 4);
    EXPECT_EQ(vgGetParameterVectorSize(paint, VG_PAINT_RADIAL_GRADIENT), 5);
    EXPECT_EQ(vgGetParameterVectorSize(paint, VG_PAINT_PATTERN_TILING_MODE), 1);
    EXPECT_EQ(vgGetParameterVectorSize(paint, VG_PAINT_COLOR_RAMP_PREMULTIPLIED), 1);
    EXPECT_EQ(vgGetError(), kNone);
}

TEST_F(ObjectParameterTest, StopsInOrderFillBothEnds)
{
    // 0.25 x 255 = 63.75 -> 63, 0.75 x 255 = 191.25 -> 191; the ends copy the first and last stop.
    setStops({0.25f, 1, 0, 0, 1, 0.75f, 0, 0, 1, 1});
    EXPECT_EQ(vgGetError(), kNone);
    expectRamp(paint, {{0, 255, 0, 0, 255}, {63, 255, 0, 0, 255}, {191, 0, 0, 255, 255}, {255, 0, 0, 255, 255}});
    EXPECT_EQ(vgGetParameterVectorSize(paint, VG_PAINT_COLOR_RAMP_STOPS), 10);

    // Equal offsets make a hard change; stops at 0 and 1 need no copies. 0.5 x 255 = 127.5 -> 127.
    setStops({0, 1, 0, 0, 1, 0.5f, 1, 0, 0, 1, 0.5f, 0, 1, 0, 0.5f, 1, 0, 1, 0, 0.5f});
    expectRamp(paint, {{0, 255, 0, 0, 255}, {127, 255, 0, 0, 255}, {127, 0, 255, 0, 127}, {255, 0, 255, 0, 127}});

    // Channels are truncated and limited to [0, 255]: 2 -> 255, -1 -> 0, 0.2 x 255 = 51.
    // Integer stops convert to floats.
    const VGint ints[10] = {0, 2, -1, 0, 1, 1, 0, 1, 0, 1};
    vgSetParameteriv(paint, VG_PAINT_COLOR_RAMP_STOPS, 10, ints);
    expectRamp(paint, {{0, 255, 0, 0, 255}, {255, 0, 255, 0, 255}});
    setStops({0.5f, 0.2f, 0, 0, 1});
    expectRamp(paint, {{0, 51, 0, 0, 255}, {127, 51, 0, 0, 255}, {255, 51, 0, 0, 255}});
    EXPECT_EQ(vgGetError(), kNone);
}

TEST_F(ObjectParameterTest, OutOfOrderStopsGiveTheDefaultRampButAreKept)
{
    setStops({0.5f, 1, 0, 0, 1, 0.3f, 0, 0, 1, 1});
    EXPECT_EQ(vgGetError(), kNone);
    expectRamp(paint, kDefaultRamp);
    EXPECT_EQ(vgGetParameterVectorSize(paint, VG_PAINT_COLOR_RAMP_STOPS), 10);
    VGfloat out[10] = {};
    vgGetParameterfv(paint, VG_PAINT_COLOR_RAMP_STOPS, 10, out);
    EXPECT_EQ(out[0], 0.5f);
    EXPECT_EQ(out[1], 1.0f);
    EXPECT_EQ(out[5], 0.3f);
    EXPECT_EQ(out[8], 1.0f);

    // An out-of-range offset still counts for the order test: 1.5 then 0.5 is out of order.
    setStops({1.5f, 1, 0, 0, 1, 0.5f, 0, 0, 1, 1});
    expectRamp(paint, kDefaultRamp);
}

TEST_F(ObjectParameterTest, OutOfRangeStopsAreSkipped)
{
    // -0.5 green is skipped; 0.5 red (0.5 x 255 -> 127) is copied to both ends.
    setStops({-0.5f, 0, 1, 0, 1, 0.5f, 1, 0, 0, 1});
    expectRamp(paint, {{0, 255, 0, 0, 255}, {127, 255, 0, 0, 255}, {255, 255, 0, 0, 255}});
    // Nothing in range leaves the default ramp; the stops are still returned.
    setStops({-1, 1, 0, 0, 1, 2, 1, 0, 0, 1});
    expectRamp(paint, kDefaultRamp);
    EXPECT_EQ(vgGetParameterVectorSize(paint, VG_PAINT_COLOR_RAMP_STOPS), 10);
    EXPECT_EQ(vgGetError(), kNone);
}

TEST_F(ObjectParameterTest, StopCountRules)
{
    // 300 stops at offset i / 300 in order: only the first 256 are kept.
    std::vector<float> many;
    for (int i = 0; i < 300; ++i)
        for (float v : {static_cast<float>(i) / 300.0f, 0.0f, 1.0f, 0.0f, 1.0f})
            many.push_back(v);
    setStops(many);
    EXPECT_EQ(vgGetError(), kNone);
    EXPECT_EQ(vgGetParameterVectorSize(paint, VG_PAINT_COLOR_RAMP_STOPS), 1280);
    std::vector<VGfloat> back(1280);
    vgGetParameterfv(paint, VG_PAINT_COLOR_RAMP_STOPS, 1280, back.data());
    EXPECT_EQ(back[1275], 255.0f / 300.0f) << "the last kept stop is number 255";
    vgGetParameterfv(paint, VG_PAINT_COLOR_RAMP_STOPS, 1281, back.data());
    EXPECT_EQ(vgGetError(), kIllegal);
    // Stop 255 lies at 255 / 300 = 0.85, position 216; the end is filled at 255.
    EXPECT_EQ(paintRecord(paint).stops.back().position, 255);
    EXPECT_EQ(paintRecord(paint).stops[paintRecord(paint).stops.size() - 2].position, 216);

    // A count that is not a multiple of 5 is refused and keeps both lists.
    setStops({0.25f, 1, 0, 0, 1, 0.75f, 0, 0, 1, 1});
    const std::vector<float> seven = {0, 0, 0, 0, 1, 1, 1};
    setStops(seven);
    EXPECT_EQ(vgGetError(), kIllegal);
    EXPECT_EQ(vgGetParameterVectorSize(paint, VG_PAINT_COLOR_RAMP_STOPS), 10);
    expectRamp(paint, {{0, 255, 0, 0, 255}, {63, 255, 0, 0, 255}, {191, 0, 0, 255, 255}, {255, 0, 0, 255, 255}});

    // Count 0 clears the stops and restores the default ramp.
    vgSetParameterfv(paint, VG_PAINT_COLOR_RAMP_STOPS, 0, nullptr);
    EXPECT_EQ(vgGetError(), kNone);
    EXPECT_EQ(vgGetParameterVectorSize(paint, VG_PAINT_COLOR_RAMP_STOPS), 0);
    expectRamp(paint, kDefaultRamp);
    VGfloat one = 0.0f;
    vgGetParameterfv(paint, VG_PAINT_COLOR_RAMP_STOPS, 1, &one);
    EXPECT_EQ(vgGetError(), kIllegal) << "no values to read";
}

TEST_F(ObjectParameterTest, StopsAreReadBackSanitisedAndTruncated)
{
    setStops({0.0f, std::numeric_limits<float>::quiet_NaN(), 1.9f, -2.5f, 1.0f});
    VGfloat floats[5] = {};
    vgGetParameterfv(paint, VG_PAINT_COLOR_RAMP_STOPS, 5, floats);
    EXPECT_EQ(floats[1], 0.0f) << "NaN stored as 0";
    VGint ints[5] = {};
    vgGetParameteriv(paint, VG_PAINT_COLOR_RAMP_STOPS, 5, ints);
    EXPECT_EQ(ints[2], 1) << "1.9 truncated";
    EXPECT_EQ(ints[3], -2) << "-2.5 truncated toward zero";
    EXPECT_EQ(vgGetError(), kNone);
}

TEST_F(ObjectParameterTest, OutOfMemoryKeepsTheOldStops)
{
    setStops({0.25f, 1, 0, 0, 1, 0.75f, 0, 0, 1, 1});
    const std::vector<float> other = {0, 0, 1, 0, 1, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1};
    {
        FailAllocations failing;
        setStops(other);
        vgSetParameterfv(paint, VG_PAINT_COLOR_RAMP_STOPS, 0, nullptr); // even the default ramp allocates
    }
    EXPECT_EQ(vgGetError(), VG_OUT_OF_MEMORY_ERROR);
    EXPECT_EQ(vgGetParameterVectorSize(paint, VG_PAINT_COLOR_RAMP_STOPS), 10);
    expectRamp(paint, {{0, 255, 0, 0, 255}, {63, 255, 0, 0, 255}, {191, 0, 0, 255, 255}, {255, 0, 0, 255, 255}});
}

TEST_F(ObjectParameterTest, WithoutABoundContextNothingHappens)
{
    ASSERT_EQ(eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT), EGL_TRUE);
    vgSetParameteri(paint, VG_PAINT_TYPE, VG_PAINT_TYPE_PATTERN);
    EXPECT_EQ(vgGetParameterVectorSize(paint, VG_PAINT_COLOR), 0);
    EXPECT_EQ(vgGetError(), VG_NO_CONTEXT_ERROR);
    ASSERT_EQ(eglMakeCurrent(display, surface, surface, context), EGL_TRUE);
    EXPECT_EQ(vgGetParameteri(paint, VG_PAINT_TYPE), VG_PAINT_TYPE_COLOR);
    EXPECT_EQ(vgGetError(), kNone);
}

} // namespace
} // namespace tamarind::test
