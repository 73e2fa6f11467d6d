// The display: getting, initialising and terminating it, its strings, the procedure lookup and the
// per-thread error slot that every egl* call reports through.
#include "egl_test_helpers.h"

#include <cstring>
#include <string>
#include <utility>

namespace tamarind::test {
namespace {

// Leaves EGL_BAD_PARAMETER in the calling thread's error slot (an unknown query-string name).
void makeBadParameter()
{
    EXPECT_EQ(eglQueryString(EGL_NO_DISPLAY, 0x1234), nullptr);
}

bool displayInitialised()
{
    return displayRecord() != nullptr;
}

// ---- eglGetDisplay and eglInitialize ----

TEST_F(EglTest, GetDisplayAnswersZeroForAnyNativeDisplay)
{
    EXPECT_EQ(eglGetDisplay(EGL_DEFAULT_DISPLAY), EGL_NO_DISPLAY);
    EXPECT_EQ(eglGetDisplay(reinterpret_cast<EGLNativeDisplayType>(1)), EGL_NO_DISPLAY);
    EXPECT_EQ(eglGetDisplay(reinterpret_cast<EGLNativeDisplayType>(0x12345678)), EGL_NO_DISPLAY);
    // Getting the display does not initialise it.
    EXPECT_FALSE(displayInitialised());
}

TEST_F(EglTest, InitializeReportsVersionOneTwoEveryTime)
{
    EGLint major = -1;
    EGLint minor = -1;
    ASSERT_EQ(eglInitialize(EGL_NO_DISPLAY, &major, &minor), EGL_TRUE);
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 2);
    DisplayRecord *first = displayRecord();
    ASSERT_NE(first, nullptr);

    major = minor = -1;
    ASSERT_EQ(eglInitialize(EGL_NO_DISPLAY, &major, &minor), EGL_TRUE);
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 2);
    // A second initialisation keeps the display it already has.
    EXPECT_EQ(displayRecord(), first);
    EXPECT_EQ(existingEglState()->displays.size(), 1u);
}

TEST_F(EglTest, InitializeAcceptsNullVersionPointers)
{
    EGLint minor = -1;
    EXPECT_EQ(eglInitialize(EGL_NO_DISPLAY, nullptr, &minor), EGL_TRUE);
    EXPECT_EQ(minor, 2);
    EGLint major = -1;
    EXPECT_EQ(eglInitialize(EGL_NO_DISPLAY, &major, nullptr), EGL_TRUE);
    EXPECT_EQ(major, 1);
    EXPECT_EQ(eglInitialize(EGL_NO_DISPLAY, nullptr, nullptr), EGL_TRUE);
}

TEST_F(EglTest, InitializeBuildsTheSevenConfigurations)
{
    ASSERT_EQ(eglInitialize(EGL_NO_DISPLAY, nullptr, nullptr), EGL_TRUE);
    DisplayRecord *record = displayRecord();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->id, 0);
    EXPECT_TRUE(record->contexts.empty());
    EXPECT_TRUE(record->surfaces.empty());
    const VGImageFormat formats[7] = {VG_sRGBA_8888, VG_sRGBA_5551, VG_sRGB_565, VG_sRGBA_4444,
                                      VG_A_8,        VG_sL_8,       VG_BW_1};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(record->configs[i].configId, i + 1);
        EXPECT_EQ(record->configs[i].descriptor.format, formats[i]) << "configuration " << i;
    }
}

TEST_F(BoundContextTest, InitializeOfANonZeroDisplayIsBadDisplay)
{
    EGLint major = -1;
    EGLint minor = -1;
    EXPECT_EQ(eglInitialize(reinterpret_cast<EGLDisplay>(1), &major, &minor), EGL_FALSE);
    EXPECT_EQ(eglGetError(), 0x3008); // EGL_BAD_DISPLAY
    EXPECT_EQ(major, -1);
    EXPECT_EQ(minor, -1);
}

TEST_F(EglTest, FailedInitializeOfANonZeroDisplayLeavesDisplayZeroUninitialised)
{
    EXPECT_EQ(eglInitialize(reinterpret_cast<EGLDisplay>(1), nullptr, nullptr), EGL_FALSE);
    EXPECT_FALSE(displayInitialised());
    EXPECT_EQ(eglQueryString(EGL_NO_DISPLAY, EGL_VENDOR), nullptr);
}

// ---- eglTerminate ----

TEST_F(EglTest, TerminateOfAnUninitialisedDisplaySucceeds)
{
    EXPECT_EQ(eglTerminate(EGL_NO_DISPLAY), EGL_TRUE);
    EXPECT_EQ(eglTerminate(reinterpret_cast<EGLDisplay>(1)), EGL_TRUE);
    ASSERT_EQ(eglInitialize(EGL_NO_DISPLAY, nullptr, nullptr), EGL_TRUE);
    // A non-zero handle is not an initialised display: nothing happens to display 0.
    EXPECT_EQ(eglTerminate(reinterpret_cast<EGLDisplay>(1)), EGL_TRUE);
    EXPECT_TRUE(displayInitialised());
}

TEST_F(BoundContextTest, TerminateOfANonDisplayRecordsSuccess)
{
    makeBadParameter();
    ASSERT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(eglTerminate(reinterpret_cast<EGLDisplay>(7)), EGL_TRUE);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    EXPECT_TRUE(displayInitialised());
}

TEST_F(InitialisedTest, TerminateUninitialisesAndTheDisplayCanBeInitialisedAgain)
{
    ASSERT_EQ(eglTerminate(EGL_NO_DISPLAY), EGL_TRUE);
    EXPECT_FALSE(displayInitialised());
    EXPECT_EQ(eglQueryString(EGL_NO_DISPLAY, EGL_VENDOR), nullptr);
    EGLint count = -1;
    EXPECT_EQ(eglGetConfigs(EGL_NO_DISPLAY, nullptr, 0, &count), EGL_FALSE);
    EXPECT_EQ(count, -1);

    EGLint major = 0;
    EGLint minor = 0;
    ASSERT_EQ(eglInitialize(EGL_NO_DISPLAY, &major, &minor), EGL_TRUE);
    EXPECT_EQ(major * 10 + minor, 12);
    EXPECT_STREQ(eglQueryString(EGL_NO_DISPLAY, EGL_VENDOR), "Korvel Labs");
    EXPECT_EQ(eglGetConfigs(EGL_NO_DISPLAY, nullptr, 0, &count), EGL_TRUE);
    EXPECT_EQ(count, 7);
}

TEST_F(InitialisedTest, TerminateDestroysTheListedContextsAndSurfaces)
{
    EGLSurface surface = makePbuffer(configAt(1), 4, 4);
    EGLContext context = eglCreateContext(EGL_NO_DISPLAY, configAt(1), EGL_NO_CONTEXT, nullptr);
    ASSERT_NE(surface, EGL_NO_SURFACE);
    ASSERT_NE(context, EGL_NO_CONTEXT);
    ASSERT_EQ(eglTerminate(EGL_NO_DISPLAY), EGL_TRUE);

    // The new display does not know the old handles. (Under the sanitizers, a record that was not freed
    // by the termination shows up as a leak.)
    ASSERT_EQ(eglInitialize(EGL_NO_DISPLAY, nullptr, nullptr), EGL_TRUE);
    EXPECT_TRUE(displayRecord()->contexts.empty());
    EXPECT_TRUE(displayRecord()->surfaces.empty());
    EXPECT_EQ(eglDestroySurface(EGL_NO_DISPLAY, surface), EGL_FALSE);
    EXPECT_EQ(eglDestroyContext(EGL_NO_DISPLAY, context), EGL_FALSE);
    EXPECT_EQ(eglMakeCurrent(EGL_NO_DISPLAY, surface, surface, context), EGL_FALSE);
}

// ---- eglQueryString ----

TEST_F(InitialisedTest, QueryStringAnswersTheFourStrings)
{
    EXPECT_STREQ(eglQueryString(EGL_NO_DISPLAY, 0x3053), "Korvel Labs");             // EGL_VENDOR
    EXPECT_STREQ(eglQueryString(EGL_NO_DISPLAY, 0x3054), "0.1");                     // EGL_VERSION
    EXPECT_STREQ(eglQueryString(EGL_NO_DISPLAY, 0x3055), "eglSetConfigPreferenceKL"); // EGL_EXTENSIONS
    EXPECT_STREQ(eglQueryString(EGL_NO_DISPLAY, 0x308D), "OpenVG");                  // EGL_CLIENT_APIS
}

TEST_F(BoundContextTest, QueryStringOfAnUnknownNameIsBadParameter)
{
    for (EGLint name : {0, EGL_NONE, 0x3052, 0x3056, 0x308C, 0x308E, -1}) {
        EXPECT_EQ(eglQueryString(display, name), nullptr) << std::hex << name;
        EXPECT_EQ(eglGetError(), 0x300C) << std::hex << name;
    }
}

TEST_F(BoundContextTest, QueryStringNeedsAnInitialisedDisplay)
{
    // A non-zero handle is never an initialised display: not initialised rather than a bad display.
    EXPECT_EQ(eglQueryString(reinterpret_cast<EGLDisplay>(1), EGL_VENDOR), nullptr);
    EXPECT_EQ(eglGetError(), 0x3001);
    ASSERT_EQ(eglTerminate(display), EGL_TRUE); // the binding outlives the display, so errors stay visible
    EXPECT_EQ(eglQueryString(display, EGL_VENDOR), nullptr);
    EXPECT_EQ(eglGetError(), 0x3001);
    // The display check comes before the name check.
    EXPECT_EQ(eglQueryString(display, 0x1234), nullptr);
    EXPECT_EQ(eglGetError(), 0x3001);
}

TEST_F(InitialisedTest, QueryStringsStayValidAfterTheStateIsGone)
{
    const char *vendor = eglQueryString(EGL_NO_DISPLAY, EGL_VENDOR);
    const char *apis = eglQueryString(EGL_NO_DISPLAY, EGL_CLIENT_APIS);
    ASSERT_NE(vendor, nullptr);
    ASSERT_NE(apis, nullptr);
    EXPECT_EQ(eglTerminate(EGL_NO_DISPLAY), EGL_TRUE);
    EXPECT_EQ(eglReleaseThread(), EGL_TRUE);
    EXPECT_STREQ(vendor, "Korvel Labs");
    EXPECT_STREQ(apis, "OpenVG");
}

// ---- eglGetProcAddress ----

TEST_F(EglTest, GetProcAddressFindsOnlyTheConfigPreferenceExtension)
{
    const auto expected = reinterpret_cast<__eglMustCastToProperFunctionPointerType>(&eglSetConfigPreferenceKL);
    EXPECT_EQ(eglGetProcAddress("eglSetConfigPreferenceKL"), expected);
    // Only the first 24 characters are compared.
    EXPECT_EQ(eglGetProcAddress("eglSetConfigPreferenceKLWhatever"), expected);
    EXPECT_EQ(eglGetProcAddress("eglSetConfigPreferenceK"), nullptr);
    EXPECT_EQ(eglGetProcAddress("eglsetconfigpreferencekl"), nullptr);
    EXPECT_EQ(eglGetProcAddress("eglGetError"), nullptr);
    EXPECT_EQ(eglGetProcAddress("eglIsInUse"), nullptr);
    EXPECT_EQ(eglGetProcAddress("vgGetError"), nullptr);
    EXPECT_EQ(eglGetProcAddress(""), nullptr);
    EXPECT_EQ(eglGetProcAddress(nullptr), nullptr);
}

TEST_F(InitialisedTest, TheLookedUpExtensionReversesTheConfigurationOrder)
{
    auto setPreference = reinterpret_cast<PFNEGLSETCONFIGPREFERENCEKLPROC>(
        eglGetProcAddress("eglSetConfigPreferenceKL"));
    ASSERT_NE(setPreference, nullptr);
    EXPECT_EQ(setPreference(1), EGL_TRUE);
    EXPECT_EQ(choose({}), (std::vector<intptr_t>{4, 3, 2, 1, 0}));
}

// ---- The error slot ----

TEST_F(EglTest, AnUnboundThreadAlwaysReadsSuccess)
{
    EXPECT_EQ(eglGetError(), EGL_SUCCESS); // before any EGL state exists
    EXPECT_EQ(eglQueryString(EGL_NO_DISPLAY, EGL_VENDOR), nullptr);   // not initialised
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    EXPECT_EQ(eglInitialize(reinterpret_cast<EGLDisplay>(1), nullptr, nullptr), EGL_FALSE); // bad display
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
    ASSERT_EQ(eglInitialize(EGL_NO_DISPLAY, nullptr, nullptr), EGL_TRUE);
    EXPECT_EQ(eglBindAPI(0x30A2), EGL_FALSE); // bad parameter
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
}

TEST_F(BoundContextTest, GetErrorDoesNotResetTheSlot)
{
    makeBadParameter();
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
    // The next failing call replaces it, the next successful one clears it.
    EXPECT_EQ(eglGetConfigAttrib(display, configAt(7), EGL_RED_SIZE, nullptr), EGL_FALSE);
    EXPECT_EQ(eglGetError(), EGL_BAD_CONFIG);
    EXPECT_NE(eglQueryString(display, EGL_VENDOR), nullptr);
    EXPECT_EQ(eglGetError(), EGL_SUCCESS);
}

TEST_F(BoundContextTest, EverySuccessfulCallRecordsSuccess)
{
    EGLSurface other = makePbuffer(config, 2, 2);
    EGLContext spare = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    ASSERT_NE(other, EGL_NO_SURFACE);
    ASSERT_NE(spare, EGL_NO_CONTEXT);
    EGLint value = 0;
    EGLConfig configs[7];
    const EGLint noAttributes[] = {EGL_NONE};
    EGLSurface created = EGL_NO_SURFACE;
    EGLContext made = EGL_NO_CONTEXT;
    const std::vector<std::pair<const char *, std::function<void()>>> calls = {
        {"eglGetDisplay", [] { eglGetDisplay(EGL_DEFAULT_DISPLAY); }},
        {"eglInitialize", [] { eglInitialize(EGL_NO_DISPLAY, nullptr, nullptr); }},
        {"eglQueryString", [] { eglQueryString(EGL_NO_DISPLAY, EGL_VERSION); }},
        {"eglGetConfigs", [&] { eglGetConfigs(EGL_NO_DISPLAY, configs, 7, &value); }},
        {"eglChooseConfig", [&] { eglChooseConfig(EGL_NO_DISPLAY, noAttributes, configs, 7, &value); }},
        {"eglGetConfigAttrib", [&] { eglGetConfigAttrib(EGL_NO_DISPLAY, configAt(3), EGL_RED_SIZE, &value); }},
        {"eglSetConfigPreferenceKL", [] { eglSetConfigPreferenceKL(0); }},
        {"eglQuerySurface", [&] { eglQuerySurface(EGL_NO_DISPLAY, other, EGL_WIDTH, &value); }},
        {"eglSurfaceAttrib", [&] { eglSurfaceAttrib(EGL_NO_DISPLAY, other, EGL_SWAP_BEHAVIOR, 0); }},
        {"eglQueryContext", [&] { eglQueryContext(EGL_NO_DISPLAY, spare, EGL_CONFIG_ID, &value); }},
        {"eglBindAPI", [] { eglBindAPI(EGL_OPENVG_API); }},
        {"eglQueryAPI", [] { eglQueryAPI(); }},
        {"eglGetCurrentContext", [] { eglGetCurrentContext(); }},
        {"eglGetCurrentSurface", [] { eglGetCurrentSurface(EGL_DRAW); }},
        {"eglGetCurrentDisplay", [] { eglGetCurrentDisplay(); }},
        {"eglSwapInterval", [] { eglSwapInterval(EGL_NO_DISPLAY, 1); }},
        {"eglWaitClient", [] { eglWaitClient(); }},
        {"eglMakeCurrent", [&] { eglMakeCurrent(EGL_NO_DISPLAY, surface, surface, context); }},
        {"eglTerminate of a non-display", [] { eglTerminate(reinterpret_cast<EGLDisplay>(5)); }},
        {"eglCreatePbufferSurface", [&] { created = makePbuffer(config, 1, 1); }},
        {"eglDestroySurface", [&] { eglDestroySurface(EGL_NO_DISPLAY, created); }},
        {"eglCreateContext", [&] { made = eglCreateContext(EGL_NO_DISPLAY, config, EGL_NO_CONTEXT, nullptr); }},
        {"eglDestroyContext", [&] { eglDestroyContext(EGL_NO_DISPLAY, made); }},
    };
    for (const auto &[name, call] : calls) {
        makeBadParameter();
        ASSERT_EQ(eglGetError(), EGL_BAD_PARAMETER);
        call();
        EXPECT_EQ(eglGetError(), EGL_SUCCESS) << name;
    }
}

TEST_F(BoundContextTest, CallsOutsideTheErrorSlotLeaveItAlone)
{
    makeBadParameter();
    eglGetProcAddress("eglSetConfigPreferenceKL");
    eglGetProcAddress("nothing");
    EXPECT_EQ(eglWaitGL(), EGL_TRUE);
    EXPECT_EQ(eglWaitNative(EGL_CORE_NATIVE_ENGINE), EGL_TRUE);
    EXPECT_EQ(eglIsInUse(VG_INVALID_HANDLE), EGL_FALSE);
    EXPECT_NE(eglGetCurrentVGContext(), nullptr);
    EXPECT_EQ(eglGetError(), EGL_BAD_PARAMETER);
}

} // namespace
} // namespace tamarind::test
