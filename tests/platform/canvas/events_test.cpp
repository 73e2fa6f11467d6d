// Window events reach the registered functions with their arguments: mouse buttons and motion (y counted
// up from the bottom edge), keys as virtual-key codes, characters, size and paint.
#include "canvas_fixture.h"

#include <string>

namespace canvas_test {
namespace {

using Events = CanvasTest;

TEST_F(Events, MouseButtonsReportPositionFromTheBottomAndPressState)
{
    pushMouseButton(true, SDL_BUTTON_LEFT, 0, 0);      // top-left pixel: y = 240 - 0
    pushMouseButton(false, SDL_BUTTON_LEFT, 319, 239); // bottom-right pixel: y = 240 - 239 = 1
    pushMouseButton(true, SDL_BUTTON_RIGHT, 10, 100);  // y = 240 - 100 = 140
    pushMouseButton(false, SDL_BUTTON_RIGHT, 20, 0);
    runLoopUntilDrained();
    EXPECT_EQ(eventCalls(), (std::vector<Call>{{GO_ENTRY_LEFT_BUTTON, 0, 240, 1},
                                               {GO_ENTRY_LEFT_BUTTON, 319, 1, 0},
                                               {GO_ENTRY_RIGHT_BUTTON, 10, 140, 1},
                                               {GO_ENTRY_RIGHT_BUTTON, 20, 240, 0},
                                               {GO_ENTRY_EXIT}}));
}

TEST_F(Events, ReleasingTheRightButtonCallsOnlyTheRightButtonFunction)
{
    pushMouseButton(false, SDL_BUTTON_RIGHT, 50, 60);
    runLoopUntilDrained();
    EXPECT_EQ(eventCalls(), (std::vector<Call>{{GO_ENTRY_RIGHT_BUTTON, 50, 180, 0}, {GO_ENTRY_EXIT}}));
    EXPECT_EQ(countOf(GO_ENTRY_PAINT), 0);
}

TEST_F(Events, OtherButtonsCallNothing)
{
    pushMouseButton(true, SDL_BUTTON_MIDDLE, 5, 5);
    pushMouseButton(false, SDL_BUTTON_MIDDLE, 5, 5);
    pushMouseButton(true, SDL_BUTTON_X1, 5, 5);
    runLoopUntilDrained();
    EXPECT_EQ(eventCalls(), std::vector<Call>{{GO_ENTRY_EXIT}});
}

TEST_F(Events, MouseXIsTheLow16BitsOfTheEvent)
{
    pushMouseButton(true, SDL_BUTTON_LEFT, 0x10005, 10); // 65541 & 0xFFFF = 5
    pushMouseMotion(0x10007, 10, 0);                     // 65543 & 0xFFFF = 7
    runLoopUntilDrained();
    EXPECT_EQ(eventCalls(), (std::vector<Call>{{GO_ENTRY_LEFT_BUTTON, 5, 230, 1},
                                               {GO_ENTRY_MOUSE_MOVE, 7, 230, 0},
                                               {GO_ENTRY_EXIT}}));
}

// Mouse-move state: left 1, right 2, shift 4, control 8, middle 16.
struct MotionCase {
    const char *name;
    uint32_t buttons;
    SDL_Keymod modifiers;
    int state;
};

void PrintTo(const MotionCase &value, std::ostream *out) { *out << value.name; }

class MouseMove : public CanvasTest, public ::testing::WithParamInterface<MotionCase> {};

TEST_P(MouseMove, ReportsPositionAndButtonState)
{
    const MotionCase &motion = GetParam();
    SDL_SetModState(motion.modifiers);
    pushMouseMotion(7, 40, motion.buttons); // y = 240 - 40 = 200
    runLoopUntilDrained();
    EXPECT_EQ(eventCalls(), (std::vector<Call>{{GO_ENTRY_MOUSE_MOVE, 7, 200, motion.state}, {GO_ENTRY_EXIT}}));
}

INSTANTIATE_TEST_SUITE_P(
    States, MouseMove,
    ::testing::Values(MotionCase{"none", 0, KMOD_NONE, 0}, MotionCase{"left", SDL_BUTTON_LMASK, KMOD_NONE, 1},
                      MotionCase{"right", SDL_BUTTON_RMASK, KMOD_NONE, 2},
                      MotionCase{"middle", SDL_BUTTON_MMASK, KMOD_NONE, 16},
                      MotionCase{"shift", 0, KMOD_LSHIFT, 4}, MotionCase{"rightControl", 0, KMOD_RCTRL, 8},
                      MotionCase{"extraButtons", SDL_BUTTON_X1MASK | SDL_BUTTON_X2MASK, KMOD_NONE, 0},
                      MotionCase{"everything", SDL_BUTTON_LMASK | SDL_BUTTON_RMASK | SDL_BUTTON_MMASK,
                                 SDL_Keymod(KMOD_RSHIFT | KMOD_LCTRL), 31}), // 1 + 2 + 4 + 8 + 16
    [](const ::testing::TestParamInfo<MotionCase> &info) { return std::string(info.param.name); });

// Keys: the virtual-key code on press (1) and release (0); the control keys also give a character on
// press, after the key call.
struct KeyCase {
    const char *name;
    SDL_Keycode key;
    int virtualKey;
    int character; // 0: none
};

void PrintTo(const KeyCase &value, std::ostream *out) { *out << value.name; }

class Keys : public CanvasTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(Keys, PressAndReleaseReportTheVirtualKey)
{
    const KeyCase &key = GetParam();
    pushKey(true, key.key);
    pushKey(false, key.key);
    runLoopUntilDrained();
    std::vector<Call> expected{{GO_ENTRY_KEY, key.virtualKey, 1}};
    if (key.character != 0)
        expected.push_back({GO_ENTRY_CHAR, key.character});
    expected.push_back({GO_ENTRY_KEY, key.virtualKey, 0});
    expected.push_back({GO_ENTRY_EXIT});
    EXPECT_EQ(eventCalls(), expected);
}

INSTANTIATE_TEST_SUITE_P(Codes, Keys,
                         ::testing::Values(KeyCase{"a", SDLK_a, 0x41, 0}, KeyCase{"m", SDLK_m, 0x4D, 0},
                                           KeyCase{"z", SDLK_z, 0x5A, 0}, KeyCase{"digit0", SDLK_0, 0x30, 0},
                                           KeyCase{"digit9", SDLK_9, 0x39, 0}, KeyCase{"left", SDLK_LEFT, 0x25, 0},
                                           KeyCase{"up", SDLK_UP, 0x26, 0}, KeyCase{"right", SDLK_RIGHT, 0x27, 0},
                                           KeyCase{"down", SDLK_DOWN, 0x28, 0},
                                           KeyCase{"escape", SDLK_ESCAPE, 0x1B, 27},
                                           KeyCase{"return", SDLK_RETURN, 0x0D, 13},
                                           KeyCase{"space", SDLK_SPACE, 0x20, 0},
                                           KeyCase{"backspace", SDLK_BACKSPACE, 0x08, 8},
                                           KeyCase{"tab", SDLK_TAB, 0x09, 9}, KeyCase{"f1", SDLK_F1, 0x70, 0},
                                           KeyCase{"f12", SDLK_F12, 0x7B, 0}),
                         [](const ::testing::TestParamInfo<KeyCase> &info) { return std::string(info.param.name); });

TEST_F(Events, UnmappedKeysCallNothing)
{
    pushKey(true, SDLK_UNKNOWN);
    pushKey(false, SDLK_UNKNOWN);
    pushKey(true, SDLK_BRIGHTNESSDOWN);
    pushKey(false, SDLK_BRIGHTNESSDOWN);
    runLoopUntilDrained();
    EXPECT_EQ(eventCalls(), std::vector<Call>{{GO_ENTRY_EXIT}});
}

// Text input gives one character call per code point, in order.
struct TextCase {
    const char *name;
    const char *utf8;
    std::vector<int> characters;
};

void PrintTo(const TextCase &value, std::ostream *out) { *out << value.name; }

class TextInput : public CanvasTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextInput, CallsCharPerCharacter)
{
    const TextCase &text = GetParam();
    pushText(text.utf8);
    runLoopUntilDrained();
    std::vector<Call> expected;
    for (int character : text.characters)
        expected.push_back({GO_ENTRY_CHAR, character});
    expected.push_back({GO_ENTRY_EXIT});
    EXPECT_EQ(eventCalls(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Utf8, TextInput,
    ::testing::Values(TextCase{"ascii", "a", {97}}, TextCase{"twoAscii", "Ab", {65, 98}},
                      // C3 A9: (0x03 << 6) | 0x29 = 233
                      TextCase{"twoByte", "\xC3\xA9", {233}},
                      // E2 82 AC: (0x2 << 12) | (0x02 << 6) | 0x2C = 0x20AC = 8364
                      TextCase{"threeByte", "\xE2\x82\xAC", {8364}},
                      // F0 9F 98 80: (0x1F << 12) | (0x18 << 6) | 0x00 = 0x1F600 = 128512
                      TextCase{"fourByte", "\xF0\x9F\x98\x80", {128512}},
                      TextCase{"mixed", "x\xC3\xA9y", {120, 233, 121}}),
    [](const ::testing::TestParamInfo<TextCase> &info) { return std::string(info.param.name); });

// Inside SIZE: what the device queries report and whether the new buffer is zeroed and large enough.
struct SizeView {
    intptr_t width = 0;
    intptr_t height = 0;
    bool pixels = false;
    bool zeroed = false;
};
SizeView sizeView;

void inspectSize(int width, int height)
{
    recordSize(width, height);
    sizeView.width = goGetDeviceInfo(GO_INFO_WIDTH);
    sizeView.height = goGetDeviceInfo(GO_INFO_HEIGHT);
    uint8_t *pixels = backBuffer();
    sizeView.pixels = pixels != nullptr;
    if (pixels != nullptr && width > 0 && height > 0) {
        const size_t bytes = static_cast<size_t>(width) * height * 4;
        sizeView.zeroed = allBytesZero(pixels, bytes);
        pixels[bytes - 1] = 0xFF; // the whole new size is writable
    }
}

TEST_F(Events, SizeEventRecreatesTheBackBufferBeforeCallingSize)
{
    std::memset(backBuffer(), 0x5A, 320 * 240 * 4);
    sizeView = {};
    setEntry(GO_ENTRY_SIZE, &inspectSize);
    pushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 400, 300);
    pushMouseButton(true, SDL_BUTTON_LEFT, 3, 0); // y = 300 - 0 on the new height
    runLoopUntilDrained();
    EXPECT_EQ(eventCalls(), (std::vector<Call>{{GO_ENTRY_SIZE, 400, 300},
                                               {GO_ENTRY_LEFT_BUTTON, 3, 300, 1},
                                               {GO_ENTRY_EXIT}}));
    EXPECT_EQ(sizeView.width, 400);
    EXPECT_EQ(sizeView.height, 300);
    EXPECT_TRUE(sizeView.pixels);
    EXPECT_TRUE(sizeView.zeroed);
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_WIDTH), 400);
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_HEIGHT), 300);
}

// A real resize of the window: SIZE once with the new size, and the new back buffer is shown in full.
std::vector<int> topRightAfterResize;

void drawAndShowOnSize(int width, int height)
{
    recordSize(width, height);
    uint8_t *pixels = backBuffer();
    if (pixels == nullptr)
        return;
    uint8_t *topRight = pixels + (static_cast<size_t>(height - 1) * width + (width - 1)) * 4;
    topRight[0] = 0;
    topRight[1] = 0;
    topRight[2] = 255;
    topRight[3] = 255;
    goSwapBuffer();
    SDL_Surface *surface = SDL_GetWindowSurface(canvasWindow());
    if (surface == nullptr || surface->format->BytesPerPixel != 4 || surface->w < width)
        return;
    uint32_t value = 0;
    std::memcpy(&value, static_cast<const uint8_t *>(surface->pixels) + (width - 1) * 4, 4);
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    SDL_GetRGB(value, surface->format, &r, &g, &b);
    topRightAfterResize = {r, g, b};
}

TEST_F(Events, ResizingTheWindowCallsSizeOnceAndShowsTheNewBuffer)
{
    topRightAfterResize.clear();
    setEntry(GO_ENTRY_SIZE, &drawAndShowOnSize);
    SDL_SetWindowSize(canvasWindow(), 400, 300);
    runLoopUntilDrained();
    EXPECT_EQ(callsOf(GO_ENTRY_SIZE), (std::vector<Call>{{GO_ENTRY_SIZE, 400, 300}}));
    EXPECT_EQ(topRightAfterResize, (std::vector<int>{255, 0, 0})); // window (399, 0) is red
}

TEST_F(Events, ExposedCallsPaintAndOtherWindowEventsCallNothing)
{
    pushWindowEvent(SDL_WINDOWEVENT_EXPOSED);
    pushWindowEvent(SDL_WINDOWEVENT_MOVED, 10, 10);
    pushWindowEvent(SDL_WINDOWEVENT_RESIZED, 400, 300); // SDL follows it with SIZE_CHANGED
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    runLoopUntilDrained();
    EXPECT_EQ(eventCalls(), (std::vector<Call>{{GO_ENTRY_PAINT}, {GO_ENTRY_EXIT}}));
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_WIDTH), 320);
}

} // namespace
} // namespace canvas_test
