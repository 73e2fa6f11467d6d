// The seven configurations: listing them, choosing among them and querying their attributes.
//
// Bit sizes used in the derivations below (red/green/blue/alpha/luminance):
//   index 0  8/8/8/8/0   total 32  rgbSize 32  lumSize 0
//   index 1  5/5/5/1/0   total 16  rgbSize 16  lumSize 0
//   index 2  5/6/5/0/0   total 16  rgbSize 16  lumSize 0
//   index 3  4/4/4/4/0   total 16  rgbSize 16  lumSize 0
//   index 4  0/0/0/8/0   total 8   rgbSize 8   lumSize 8   (alpha only: counts for both buffer types)
//   index 5  0/0/0/0/8   total 8   rgbSize 0   lumSize 8
//   index 6  0/0/0/0/1   total 1   rgbSize 0   lumSize 1
// A match's key is (32 - sum of the bits of the requested components) x 16 + configuration id (index + 1);
// matches are listed by ascending key.
#include "egl_test_helpers.h"

#include <climits>

namespace tamarind::test {
namespace {

using Indices = std::vector<intptr_t>;

// ---- eglGetConfigs ----

TEST_F(InitialisedTest, GetConfigsCountsAndListsInIndexOrder)
{
    EGLint count = -1;
    ASSERT_EQ(eglGetConfigs(EGL_NO_DISPLAY, nullptr, 0, &count), EGL_TRUE);
    EXPECT_EQ(count, 7);

    EGLConfig configs[8];
    for (EGLConfig &c : configs)
        c = configAt(77);
    ASSERT_EQ(eglGetConfigs(EGL_NO_DISPLAY, configs, 3, &count), EGL_TRUE);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(indexOf(configs[0]), 0);
    EXPECT_EQ(indexOf(configs[1]), 1);
    EXPECT_EQ(indexOf(configs[2]), 2);
    EXPECT_EQ(indexOf(configs[3]), 77);

    ASSERT_EQ(eglGetConfigs(EGL_NO_DISPLAY, configs, 8, &count), EGL_TRUE);
    EXPECT_EQ(count, 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(indexOf(configs[i]), i);
    EXPECT_EQ(indexOf(configs[7]), 77);

    ASSERT_EQ(eglGetConfigs(EGL_NO_DISPLAY, configs, 0, &count), EGL_TRUE);
    EXPECT_EQ(count, 0);
}

TEST_F(BoundContextTest, GetConfigsChecksDisplayThenCountPointerThenSize)
{
    EGLConfig configs[7];
    EGLint count = -1;
    EXPECT_EQ(eglGetConfigs(display, configs, 7, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(eglGetConfigs(display, nullptr, 0, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    // A negative size is refused even when only the count is asked for.
    EXPECT_EQ(eglGetConfigs(display, configs, -1, &count), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(eglGetConfigs(display, nullptr, -5, &count), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(count, -1);

    EXPECT_EQ(eglGetConfigs(reinterpret_cast<EGLDisplay>(1), configs, 7, &count), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
    ASSERT_EQ(eglTerminate(display), EGL_TRUE);
    EXPECT_EQ(eglGetConfigs(display, nullptr, -1, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
    EXPECT_EQ(count, -1);
}

// ---- eglChooseConfig: the documented requests ----

TEST_F(InitialisedTest, ChooseWithNoRequestListsTheColourConfigurations)
{
    // Every configuration with rgbSize > 0 matches with sum 0: keys 513..517.
    EXPECT_EQ(choose({}), (Indices{0, 1, 2, 3, 4}));
    EGLConfig configs[7];
    EGLint count = -1;
    ASSERT_EQ(eglChooseConfig(EGL_NO_DISPLAY, nullptr, configs, 7, &count), EGL_TRUE);
    ASSERT_EQ(count, 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(indexOf(configs[i]), i);
}

TEST_F(InitialisedTest, ChooseFullColourWithAlphaFindsOnlyTheFirstConfiguration)
{
    EXPECT_EQ(choose({EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8}), (Indices{0}));
}

TEST_F(InitialisedTest, ChooseLuminanceOrdersByRequestedBits)
{
    // Index 4 has no luminance bits. Index 5: (32 - 8) x 16 + 6 = 390; index 6: (32 - 1) x 16 + 7 = 503.
    EXPECT_EQ(choose({EGL_LUMINANCE_SIZE, 1, EGL_COLOR_BUFFER_TYPE, EGL_LUMINANCE_BUFFER}), (Indices{5, 6}));
}

TEST_F(InitialisedTest, ChooseByConfigIdDecidesAlone)
{
    EXPECT_EQ(choose({EGL_CONFIG_ID, 3}), (Indices{2}));
    EXPECT_EQ(choose({EGL_CONFIG_ID, 1}), (Indices{0}));
    EXPECT_EQ(choose({EGL_CONFIG_ID, 7}), (Indices{6}));
    EXPECT_EQ(choose({EGL_CONFIG_ID, 9}), (Indices{}));
    EXPECT_EQ(choose({EGL_CONFIG_ID, 8}), (Indices{}));
    EXPECT_EQ(choose({EGL_CONFIG_ID, -5}), (Indices{}));
    // Index 2 has neither 8 red bits nor luminance, yet the id alone decides.
    EXPECT_EQ(choose({EGL_RED_SIZE, 8, EGL_CONFIG_ID, 3, EGL_COLOR_BUFFER_TYPE, EGL_LUMINANCE_BUFFER}),
              (Indices{2}));
    // Index 6 is a luminance configuration; the default buffer type does not exclude it here.
    EXPECT_EQ(choose({EGL_CONFIG_ID, 7}, 1), (Indices{6}));
    // 0 and -1 mean no id: the ordinary match runs.
    EXPECT_EQ(choose({EGL_CONFIG_ID, 0}), (Indices{0, 1, 2, 3, 4}));
    EXPECT_EQ(choose({EGL_CONFIG_ID, -1}), (Indices{0, 1, 2, 3, 4}));
    // The last pair wins.
    EXPECT_EQ(choose({EGL_CONFIG_ID, 2, EGL_CONFIG_ID, 5}), (Indices{4}));
}

// ---- eglChooseConfig: matching and order ----

TEST_F(InitialisedTest, ChooseOrdersByRequestedBitsThenConfigId)
{
    // Alpha 1: indices 0 (8), 1 (1), 3 (4), 4 (8) match; keys 0: 24x16+1 = 385, 1: 31x16+2 = 498,
    // 3: 28x16+4 = 452, 4: 24x16+5 = 389.
    EXPECT_EQ(choose({EGL_ALPHA_SIZE, 1}), (Indices{0, 4, 3, 1}));
    // Red 1: 0 (8 bits) 385, 1 (5) 434, 2 (5) 435, 3 (4) 452.
    EXPECT_EQ(choose({EGL_RED_SIZE, 1}), (Indices{0, 1, 2, 3}));
    // Green 6: 0 (8) 385, 2 (6) 26x16+3 = 419; index 1 has only 5.
    EXPECT_EQ(choose({EGL_GREEN_SIZE, 6}), (Indices{0, 2}));
    // Red 4 and alpha 4: 0 (16 bits) 16x16+1 = 257, 3 (8 bits) 24x16+4 = 388; index 1 has alpha 1.
    EXPECT_EQ(choose({EGL_RED_SIZE, 4, EGL_ALPHA_SIZE, 4}), (Indices{0, 3}));
    // Blue 5 and green 6: 0 (16 bits) 257, 2 (11 bits) 21x16+3 = 339.
    EXPECT_EQ(choose({EGL_BLUE_SIZE, 5, EGL_GREEN_SIZE, 6}), (Indices{0, 2}));
}

TEST_F(InitialisedTest, ChooseBufferTypeSelectsByTypeSize)
{
    // Luminance buffers: lumSize > 0 for 4 (alpha only), 5 and 6; nothing requested, keys 517, 518, 519.
    EXPECT_EQ(choose({EGL_COLOR_BUFFER_TYPE, EGL_LUMINANCE_BUFFER}), (Indices{4, 5, 6}));
    // Any type: every configuration, sum 0.
    EXPECT_EQ(choose({EGL_COLOR_BUFFER_TYPE, -1}), (Indices{0, 1, 2, 3, 4, 5, 6}));
    // The alpha-only configuration matches both types.
    EXPECT_EQ(choose({EGL_ALPHA_SIZE, 8, EGL_COLOR_BUFFER_TYPE, EGL_LUMINANCE_BUFFER}), (Indices{4}));
    EXPECT_EQ(choose({EGL_ALPHA_SIZE, 8, EGL_COLOR_BUFFER_TYPE, EGL_RGB_BUFFER}), (Indices{0, 4}));
    // Luminance bits with the default RGB type: the luminance configurations have rgbSize 0.
    EXPECT_EQ(choose({EGL_LUMINANCE_SIZE, 1}), (Indices{}));
    // Luminance with any type: 5 (8 bits) 390, 6 (1 bit) 503.
    EXPECT_EQ(choose({EGL_LUMINANCE_SIZE, 1, EGL_COLOR_BUFFER_TYPE, -1}), (Indices{5, 6}));
}

TEST_F(InitialisedTest, ChooseBufferSizeComparesTheTotal)
{
    EXPECT_EQ(choose({EGL_BUFFER_SIZE, 16}), (Indices{0, 1, 2, 3}));
    EXPECT_EQ(choose({EGL_BUFFER_SIZE, 17}), (Indices{0}));
    EXPECT_EQ(choose({EGL_BUFFER_SIZE, 33}), (Indices{}));
    // Index 4's total is its alpha (8), index 5's its luminance (8), index 6's 1. The buffer size is not
    // part of the key, so the order is by id.
    EXPECT_EQ(choose({EGL_BUFFER_SIZE, 8, EGL_COLOR_BUFFER_TYPE, -1}), (Indices{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(choose({EGL_BUFFER_SIZE, 2, EGL_COLOR_BUFFER_TYPE, EGL_LUMINANCE_BUFFER}), (Indices{4, 5}));
}

TEST_F(InitialisedTest, ChooseMinusOneAcceptsAnyValueAndCountsNoBits)
{
    // Luminance -1 is neither a condition nor part of the key: with any type all seven, sum 0, by id.
    // (Counting index 5's 8 bits would put 5 and 6 first.)
    EXPECT_EQ(choose({EGL_LUMINANCE_SIZE, -1, EGL_COLOR_BUFFER_TYPE, -1}), (Indices{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(choose({EGL_RED_SIZE, -1, EGL_ALPHA_SIZE, -1, EGL_BUFFER_SIZE, -1}), (Indices{0, 1, 2, 3, 4}));
    // Alpha -1 with blue 4: 0 (8 bits) 385, 1 (5) 434, 2 (5) 435, 3 (4) 452.
    EXPECT_EQ(choose({EGL_ALPHA_SIZE, -1, EGL_BLUE_SIZE, 4}), (Indices{0, 1, 2, 3}));
}

TEST_F(InitialisedTest, ChooseLaterPairsOverwriteEarlierOnes)
{
    EXPECT_EQ(choose({EGL_RED_SIZE, 8, EGL_RED_SIZE, 0}), (Indices{0, 1, 2, 3, 4}));
    EXPECT_EQ(choose({EGL_RED_SIZE, 0, EGL_RED_SIZE, 5}), (Indices{0, 1, 2}));
    EXPECT_EQ(choose({EGL_COLOR_BUFFER_TYPE, EGL_LUMINANCE_BUFFER, EGL_COLOR_BUFFER_TYPE, EGL_RGB_BUFFER}),
              (Indices{0, 1, 2, 3, 4}));
}

TEST_F(InitialisedTest, ChooseIgnoresTheAttributesItCannotMiss)
{
    const EGLint ignored[] = {EGL_MAX_PBUFFER_WIDTH, EGL_MAX_PBUFFER_HEIGHT, EGL_MAX_PBUFFER_PIXELS,
                              EGL_NATIVE_VISUAL_ID,  EGL_SURFACE_TYPE,       EGL_TRANSPARENT_TYPE,
                              EGL_TRANSPARENT_RED_VALUE, EGL_TRANSPARENT_GREEN_VALUE,
                              EGL_TRANSPARENT_BLUE_VALUE};
    for (EGLint attribute : ignored) {
        EXPECT_EQ(choose({attribute, 123456}), (Indices{0, 1, 2, 3, 4})) << std::hex << attribute;
        EXPECT_EQ(choose({attribute, -7}), (Indices{0, 1, 2, 3, 4})) << std::hex << attribute;
    }
}

struct NoMatchCase {
    EGLint attribute;
    EGLint matching;   // a value every configuration has
    EGLint excluding;  // a value none has
};

class ChooseNoMatchTest : public InitialisedTest, public ::testing::WithParamInterface<NoMatchCase> {};

TEST_P(ChooseNoMatchTest, AValueNoConfigurationHasEndsTheChoiceEmpty)
{
    const NoMatchCase c = GetParam();
    EXPECT_EQ(choose({c.attribute, c.matching}), (Indices{0, 1, 2, 3, 4}));
    EXPECT_EQ(choose({c.attribute, c.excluding}), (Indices{}));
    // The choice ends at that pair: a bad attribute after it is never read.
    EXPECT_EQ(choose({c.attribute, c.excluding, 0x3030, 0}), (Indices{}));
    // ... and one before it still fails.
    EXPECT_EQ(choose({0x3030, 0, c.attribute, c.excluding}), (Indices{-99}));
    // It ends before the configuration id is looked at.
    EXPECT_EQ(choose({EGL_CONFIG_ID, 1, c.attribute, c.excluding}), (Indices{}));
}

INSTANTIATE_TEST_SUITE_P(
    Attributes, ChooseNoMatchTest,
    ::testing::Values(NoMatchCase{EGL_DEPTH_SIZE, 0, 16}, NoMatchCase{EGL_STENCIL_SIZE, 0, 1},
                      NoMatchCase{EGL_LEVEL, 0, 1}, NoMatchCase{EGL_LEVEL, 0, -1},
                      NoMatchCase{EGL_NATIVE_RENDERABLE, 0, EGL_TRUE}, NoMatchCase{EGL_SAMPLES, 0, 4},
                      NoMatchCase{EGL_SAMPLE_BUFFERS, 0, 1}, NoMatchCase{EGL_BIND_TO_TEXTURE_RGB, 0, EGL_TRUE},
                      NoMatchCase{EGL_BIND_TO_TEXTURE_RGBA, 0, EGL_TRUE},
                      NoMatchCase{EGL_CONFIG_CAVEAT, EGL_NONE, EGL_SLOW_CONFIG},
                      NoMatchCase{EGL_CONFIG_CAVEAT, EGL_NONE, 0},
                      NoMatchCase{EGL_NATIVE_VISUAL_TYPE, EGL_NONE, 0},
                      NoMatchCase{EGL_MIN_SWAP_INTERVAL, 1, 0}, NoMatchCase{EGL_MIN_SWAP_INTERVAL, 1, 2},
                      NoMatchCase{EGL_MAX_SWAP_INTERVAL, 1, 0}, NoMatchCase{EGL_MAX_SWAP_INTERVAL, 1, 2},
                      NoMatchCase{EGL_ALPHA_MASK_SIZE, 8, 9}, NoMatchCase{EGL_ALPHA_MASK_SIZE, 0, 32},
                      NoMatchCase{EGL_RENDERABLE_TYPE, EGL_OPENVG_BIT, EGL_OPENGL_ES_BIT},
                      NoMatchCase{EGL_RENDERABLE_TYPE, 0x7, 0x5},
                      NoMatchCase{EGL_RENDERABLE_TYPE, -1, 0}));

// ---- eglChooseConfig: arguments and errors ----

TEST_F(InitialisedTest, ChooseWithoutRoomCountsWithoutReadingTheList)
{
    const EGLint bad[] = {0x3030, 0, EGL_NONE};
    const EGLint excluding[] = {EGL_DEPTH_SIZE, 24, EGL_NONE};
    EGLint count = -1;
    EXPECT_EQ(eglChooseConfig(EGL_NO_DISPLAY, bad, nullptr, 7, &count), EGL_TRUE);
    EXPECT_EQ(count, 7);
    count = -1;
    EXPECT_EQ(eglChooseConfig(EGL_NO_DISPLAY, excluding, nullptr, 0, &count), EGL_TRUE);
    EXPECT_EQ(count, 7);

    // Room for nothing: zero configurations, the list still unread.
    EGLConfig configs[1] = {configAt(77)};
    count = -1;
    EXPECT_EQ(eglChooseConfig(EGL_NO_DISPLAY, bad, configs, 0, &count), EGL_TRUE);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(indexOf(configs[0]), 77);
}

TEST_F(InitialisedTest, ChooseWritesAtMostTheRoomGiven)
{
    EXPECT_EQ(choose({}, 2), (Indices{0, 1}));
    EXPECT_EQ(choose({EGL_ALPHA_SIZE, 1}, 3), (Indices{0, 4, 3}));
    EXPECT_EQ(choose({EGL_LUMINANCE_SIZE, 1, EGL_COLOR_BUFFER_TYPE, EGL_LUMINANCE_BUFFER}, 1), (Indices{5}));
    EXPECT_EQ(choose({EGL_CONFIG_ID, 4}, 1), (Indices{3}));
}

TEST_F(BoundContextTest, ChooseRejectsAttributesOutsideTheConfigurationRange)
{
    for (EGLint attribute : {0x3030, 0x301F, 0x3041, 0, EGL_WIDTH, EGL_COLORSPACE, -1}) {
        EGLint list[] = {EGL_RED_SIZE, 1, attribute, 0, EGL_NONE};
        EGLConfig configs[7];
        EGLint count = -1;
        EXPECT_EQ(eglChooseConfig(display, list, configs, 7, &count), EGL_FALSE) << std::hex << attribute;
        EXPECT_EQ(eglGetError(), 0x3004) << std::hex << attribute; // EGL_BAD_ATTRIBUTE
        // The count was cleared before the list was read.
        EXPECT_EQ(count, 0) << std::hex << attribute;
    }
}

TEST_F(BoundContextTest, ChooseRejectsAnUnknownBufferType)
{
    for (EGLint type : {0, 1, EGL_NONE, 0x3090, -2}) {
        EGLint list[] = {EGL_COLOR_BUFFER_TYPE, type, EGL_NONE};
        EGLConfig configs[7];
        EGLint count = -1;
        EXPECT_EQ(eglChooseConfig(display, list, configs, 7, &count), EGL_FALSE) << type;
        EXPECT_EQ(eglGetError(), EGL_BAD_ATTRIBUTE) << type;
        EXPECT_EQ(count, 0);
    }
}

TEST_F(BoundContextTest, ChooseChecksDisplayThenCountPointerThenSize)
{
    const EGLint bad[] = {0x3030, 0, EGL_NONE};
    EGLConfig configs[7];
    EGLint count = -1;
    EXPECT_EQ(eglChooseConfig(display, bad, configs, 7, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(eglChooseConfig(display, nullptr, nullptr, 7, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    // A negative size is refused before the null configs shortcut and before the list is read.
    EXPECT_EQ(eglChooseConfig(display, nullptr, nullptr, -1, &count), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(eglChooseConfig(display, bad, configs, INT_MIN, &count), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(count, -1);

    EXPECT_EQ(eglChooseConfig(reinterpret_cast<EGLDisplay>(1), nullptr, configs, 7, &count), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
    ASSERT_EQ(eglTerminate(display), EGL_TRUE);
    EXPECT_EQ(eglChooseConfig(display, bad, configs, -1, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
    EXPECT_EQ(count, -1);
}

TEST_F(BoundContextTest, ChooseWithNoMatchSucceeds)
{
    EGLint list[] = {EGL_RED_SIZE, 9, EGL_NONE};
    EGLConfig configs[7];
    EGLint count = -1;
    EXPECT_EQ(eglChooseConfig(display, list, configs, 7, &count), EGL_TRUE);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
}

// ---- The configuration preference ----

TEST_F(InitialisedTest, PreferenceReversesTheOrder)
{
    ASSERT_EQ(eglSetConfigPreferenceKL(1), EGL_TRUE);
    EXPECT_EQ(choose({}), (Indices{4, 3, 2, 1, 0}));
    EXPECT_EQ(choose({EGL_LUMINANCE_SIZE, 1, EGL_COLOR_BUFFER_TYPE, EGL_LUMINANCE_BUFFER}), (Indices{6, 5}));
    EXPECT_EQ(choose({EGL_ALPHA_SIZE, 1}), (Indices{1, 3, 4, 0}));
    // The room is filled from the front of the reversed order.
    EXPECT_EQ(choose({}, 2), (Indices{4, 3}));
    // A configuration id still decides alone.
    EXPECT_EQ(choose({EGL_CONFIG_ID, 2}), (Indices{1}));

    // Any non-zero value reverses; zero restores the ascending order.
    ASSERT_EQ(eglSetConfigPreferenceKL(-3), EGL_TRUE);
    EXPECT_EQ(choose({EGL_RED_SIZE, 5}), (Indices{2, 1, 0}));
    ASSERT_EQ(eglSetConfigPreferenceKL(0), EGL_TRUE);
    EXPECT_EQ(choose({EGL_RED_SIZE, 5}), (Indices{0, 1, 2}));
}

TEST_F(EglTest, PreferenceNeedsNoDisplay)
{
    EXPECT_EQ(eglSetConfigPreferenceKL(1), EGL_TRUE);
    ASSERT_EQ(eglInitialize(EGL_NO_DISPLAY, nullptr, nullptr), EGL_TRUE);
    // Initialising the display keeps the thread's preference.
    EXPECT_EQ(choose({}), (Indices{4, 3, 2, 1, 0}));
}

// ---- eglGetConfigAttrib ----

struct ConfigRow {
    int index;
    EGLint bufferSize, red, green, blue, alpha, luminance, bufferType;
};

class ConfigAttribTest : public InitialisedTest, public ::testing::WithParamInterface<ConfigRow> {
protected:
    EGLint attrib(EGLint attribute)
    {
        EGLint value = -12345;
        EXPECT_EQ(eglGetConfigAttrib(EGL_NO_DISPLAY, configAt(GetParam().index), attribute, &value), EGL_TRUE)
            << std::hex << attribute;
        return value;
    }
};

TEST_P(ConfigAttribTest, ReportsTheTableValues)
{
    const ConfigRow row = GetParam();
    EXPECT_EQ(attrib(0x3020), row.bufferSize); // EGL_BUFFER_SIZE
    EXPECT_EQ(attrib(0x3021), row.alpha);      // EGL_ALPHA_SIZE
    EXPECT_EQ(attrib(0x3022), row.blue);       // EGL_BLUE_SIZE
    EXPECT_EQ(attrib(0x3023), row.green);      // EGL_GREEN_SIZE
    EXPECT_EQ(attrib(0x3024), row.red);        // EGL_RED_SIZE
    EXPECT_EQ(attrib(0x303D), row.luminance);  // EGL_LUMINANCE_SIZE
    EXPECT_EQ(attrib(0x3028), row.index + 1);  // EGL_CONFIG_ID
    EXPECT_EQ(attrib(0x303F), row.bufferType); // EGL_COLOR_BUFFER_TYPE
}

TEST_P(ConfigAttribTest, ReportsTheCommonValues)
{
    EXPECT_EQ(attrib(0x3027), 0x3038);    // EGL_CONFIG_CAVEAT: EGL_NONE
    EXPECT_EQ(attrib(0x302F), 0x3038);    // EGL_NATIVE_VISUAL_TYPE: EGL_NONE
    EXPECT_EQ(attrib(0x3034), 0x3038);    // EGL_TRANSPARENT_TYPE: EGL_NONE
    EXPECT_EQ(attrib(0x302C), 16384);     // EGL_MAX_PBUFFER_WIDTH
    EXPECT_EQ(attrib(0x302A), 16384);     // EGL_MAX_PBUFFER_HEIGHT
    EXPECT_EQ(attrib(0x302B), 268435456); // EGL_MAX_PBUFFER_PIXELS
    EXPECT_EQ(attrib(0x3033), 7);         // EGL_SURFACE_TYPE: pbuffer | pixmap | window
    EXPECT_EQ(attrib(0x303B), 1);         // EGL_MIN_SWAP_INTERVAL
    EXPECT_EQ(attrib(0x303C), 1);         // EGL_MAX_SWAP_INTERVAL
    EXPECT_EQ(attrib(0x303E), 8);         // EGL_ALPHA_MASK_SIZE
    EXPECT_EQ(attrib(0x3040), 2);         // EGL_RENDERABLE_TYPE: EGL_OPENVG_BIT
    for (EGLint zero : {0x3025, 0x3026, 0x3029, 0x302D, 0x302E, 0x3031, 0x3032, 0x3037, 0x3036, 0x3035, 0x3039,
                        0x303A}) // depth .. bind to texture RGBA
        EXPECT_EQ(attrib(zero), 0) << std::hex << zero;
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, ConfigAttribTest,
    ::testing::Values(
        // EGL_BUFFER_SIZE = max(red + green + blue + alpha, luminance + alpha); the type is RGB when red > 0.
        ConfigRow{0, 32, 8, 8, 8, 8, 0, 0x308E}, ConfigRow{1, 16, 5, 5, 5, 1, 0, 0x308E},
        ConfigRow{2, 16, 5, 6, 5, 0, 0, 0x308E}, ConfigRow{3, 16, 4, 4, 4, 4, 0, 0x308E},
        ConfigRow{4, 8, 0, 0, 0, 8, 0, 0x308F}, ConfigRow{5, 8, 0, 0, 0, 0, 8, 0x308F},
        ConfigRow{6, 1, 0, 0, 0, 0, 1, 0x308F}),
    [](const ::testing::TestParamInfo<ConfigRow> &info) { return "Index" + std::to_string(info.param.index); });

TEST_F(BoundContextTest, ConfigAttribRejectsAttributesOutsideTheTable)
{
    for (EGLint attribute : {0x3030, 0x3038, 0x301F, 0x3041, 0, EGL_WIDTH, EGL_RENDER_BUFFER}) {
        EGLint value = -12345;
        EXPECT_EQ(eglGetConfigAttrib(display, configAt(0), attribute, &value), EGL_FALSE) << std::hex << attribute;
        EXPECT_EQ(eglGetError(), 0x3004) << std::hex << attribute;
        EXPECT_EQ(value, -12345);
    }
}

TEST_F(BoundContextTest, ConfigAttribChecksDisplayConfigAttributeThenValuePointer)
{
    EGLint value = -12345;
    // Configuration handles are compared as unsigned: -1 is out of range too.
    for (intptr_t bad : {intptr_t{7}, intptr_t{8}, intptr_t{-1}, intptr_t{0x10000}}) {
        EXPECT_EQ(eglGetConfigAttrib(display, configAt(static_cast<int>(bad)), EGL_RED_SIZE, &value), EGL_FALSE);
        EXPECT_EQ(eglGetError(), 0x3005) << bad; // EGL_BAD_CONFIG
    }
    // The configuration before the attribute, the attribute before the value pointer.
    EXPECT_EQ(eglGetConfigAttrib(display, configAt(7), 0x3030, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_CONFIG);
    EXPECT_EQ(eglGetConfigAttrib(display, configAt(6), 0x3030, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_ATTRIBUTE);
    EXPECT_EQ(eglGetConfigAttrib(display, configAt(6), EGL_RED_SIZE, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(value, -12345);

    EXPECT_EQ(eglGetConfigAttrib(reinterpret_cast<EGLDisplay>(1), configAt(0), EGL_RED_SIZE, &value), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
    ASSERT_EQ(eglTerminate(display), EGL_TRUE);
    EXPECT_EQ(eglGetConfigAttrib(display, configAt(7), 0x3030, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_NOT_INITIALIZED);
    EXPECT_EQ(value, -12345);
}

} // namespace
} // namespace tamarind::test
