// The canvas window on SDL2: creation, the main loop with its event dispatch, and showing the back
// buffer. Without any display (no DISPLAY or WAYLAND_DISPLAY) the canvas runs off-screen on SDL's
// offscreen video driver, so programs and tests behave the same anywhere.
#include "callbacks.h"
#include "canvas_icon.h"
#include "canvas_state.h"
#include "key_map.h"
#include "platform.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace tamarind::platform;

namespace {

constexpr const char *kTitleFormat = "Quillon Studio - OpenVG TestWindow %s";
constexpr const char *kVersion = "1.00c";

bool hasDisplay()
{
    const char *x11 = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

bool initVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    if (!hasDisplay())
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

void setIcon(SDL_Window *window)
{
    static uint32_t icon[kIconSize * kIconSize];
    drawCanvasIcon(icon);
    SDL_Surface *surface = SDL_CreateRGBSurfaceWithFormatFrom(icon, kIconSize, kIconSize, 32, kIconSize * 4,
                                                              SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr)
        return;
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

// Win32 mouse-state bits: left 1, right 2, shift 4, control 8, middle 16.
int mouseStateBits(uint32_t buttons)
{
    const SDL_Keymod mods = SDL_GetModState();
    return ((buttons & SDL_BUTTON_LMASK) ? 0x01 : 0) | ((buttons & SDL_BUTTON_RMASK) ? 0x02 : 0) |
           ((mods & KMOD_SHIFT) ? 0x04 : 0) | ((mods & KMOD_CTRL) ? 0x08 : 0) |
           ((buttons & SDL_BUTTON_MMASK) ? 0x10 : 0);
}

// Mouse x as the low 16 bits of the event, y measured upward from the bottom edge.
int mouseX(int x)
{
    return x & 0xFFFF;
}

int mouseY(int y)
{
    return canvas().height - y;
}

// Decodes UTF-8 text input into characters.
void dispatchText(const char *text)
{
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    while (*p != 0) {
        int code = *p;
        int extra = 0;
        if (code >= 0xF0) {
            code &= 0x07;
            extra = 3;
        } else if (code >= 0xE0) {
            code &= 0x0F;
            extra = 2;
        } else if (code >= 0xC0) {
            code &= 0x1F;
            extra = 1;
        }
        ++p;
        for (; extra > 0 && (*p & 0xC0) == 0x80; --extra, ++p)
            code = (code << 6) | (*p & 0x3F);
        callCharEntry(code);
    }
}

void dispatchWindowEvent(const SDL_WindowEvent &event)
{
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (!resizeCanvas(event.data1, event.data2))
            resizeCanvas(0, 0); // no memory for the new size: no back buffer rather than a wrong one
        callEntry(GO_ENTRY_SIZE, static_cast<int>(event.data1), static_cast<int>(event.data2));
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        callEntry(GO_ENTRY_PAINT);
        break;
    default:
        break;
    }
}

void dispatch(const SDL_Event &event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT:
        dispatchWindowEvent(event.window);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const bool pressed = event.type == SDL_KEYDOWN;
        if (const int key = virtualKeyOf(event.key.keysym.sym))
            callEntry(GO_ENTRY_KEY, key, pressed ? 1 : 0);
        if (pressed)
            if (const int character = controlCharacterOf(event.key.keysym.sym))
                callCharEntry(character);
        break;
    }
    case SDL_TEXTINPUT:
        dispatchText(event.text.text);
        break;
    case SDL_MOUSEMOTION:
        callEntry(GO_ENTRY_MOUSE_MOVE, mouseX(event.motion.x), mouseY(event.motion.y),
                  mouseStateBits(event.motion.state));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const int pressed = event.type == SDL_MOUSEBUTTONDOWN ? 1 : 0;
        if (event.button.button == SDL_BUTTON_LEFT)
            callEntry(GO_ENTRY_LEFT_BUTTON, mouseX(event.button.x), mouseY(event.button.y), pressed);
        else if (event.button.button == SDL_BUTTON_RIGHT)
            callEntry(GO_ENTRY_RIGHT_BUTTON, mouseX(event.button.x), mouseY(event.button.y), pressed);
        break;
    }
    default:
        break;
    }
}

void destroyWindow()
{
    CanvasState &state = canvas();
    if (state.window != nullptr) {
        SDL_DestroyWindow(state.window);
        state.window = nullptr;
    }
}

// Composes every pixel that is not opaque over black: c x (alpha + 1) >> 8, alpha 255.
void composeOverBlack(uint8_t *pixels, size_t count)
{
    for (size_t i = 0; i < count; ++i, pixels += 4) {
        const uint32_t alpha = pixels[3];
        if (alpha == 255)
            continue;
        pixels[0] = static_cast<uint8_t>((pixels[0] * (alpha + 1)) >> 8);
        pixels[1] = static_cast<uint8_t>((pixels[1] * (alpha + 1)) >> 8);
        pixels[2] = static_cast<uint8_t>((pixels[2] * (alpha + 1)) >> 8);
        pixels[3] = 255;
    }
}

// Copies the bottom-up back buffer into the top-down window surface.
void showBackBuffer()
{
    CanvasState &state = canvas();
    SDL_Surface *surface = SDL_GetWindowSurface(state.window);
    if (surface == nullptr || state.pixels == nullptr)
        return;
    const int width = state.width < surface->w ? state.width : surface->w;
    const int height = state.height < surface->h ? state.height : surface->h;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
        return;
    const bool sameLayout = surface->format->format == SDL_PIXELFORMAT_ARGB8888 ||
                            surface->format->format == SDL_PIXELFORMAT_RGB888;
    for (int row = 0; row < height; ++row) {
        const uint8_t *from = state.pixels + static_cast<size_t>(state.height - 1 - row) * state.width * 4;
        auto *to = static_cast<uint8_t *>(surface->pixels) + static_cast<size_t>(row) * surface->pitch;
        if (sameLayout)
            std::memcpy(to, from, static_cast<size_t>(width) * 4);
        else
            SDL_ConvertPixels(width, 1, SDL_PIXELFORMAT_ARGB8888, from, state.width * 4, surface->format->format,
                              to, surface->pitch);
    }
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    SDL_UpdateWindowSurface(state.window);
}

} // namespace

bool goInitCanvas(int width, int height)
{
    CanvasState &state = canvas();
    char title[64];
    std::snprintf(title, sizeof title, kTitleFormat, kVersion);
    state.lastError = 0;
    for (std::atomic<intptr_t> &entry : state.entries)
        entry.store(0);
    if (state.window == nullptr) {
        SDL_Window *window = nullptr;
        if (initVideo())
            window = SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
        if (window == nullptr) {
            state.lastError = GO_ERROR_NO_WINDOW;
            SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, title, "I cann't create a windows!", nullptr);
            return false;
        }
        state.window = window;
        setIcon(window);
        SDL_StartTextInput();
        SDL_FlushEvent(SDL_QUIT); // a quit left from an earlier canvas must not end the new one's loop
    }
    if (!resizeCanvas(width, height)) {
        state.lastError = GO_ERROR_NO_MEMORY;
        return false;
    }
    return true;
}

void goDestoryCanvas()
{
    if (canvas().window == nullptr)
        return;
    destroyWindow();
    // A destroyed window ends the main loop after its current pass, as the close button does: events
    // still queued for the window are dropped, and the quit is the only one left.
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

void goSetCanvasTitle(const char *title)
{
    if (canvas().window != nullptr && title != nullptr)
        SDL_SetWindowTitle(canvas().window, title);
}

void goMainLoop()
{
    for (;;) {
        callEntry(GO_ENTRY_IDLE);
        SDL_Event event;
        if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT) {
                destroyWindow();
                break;
            }
            dispatch(event);
        }
    }
    releaseBackBuffer();
    callEntry(GO_ENTRY_EXIT);
}

void goSwapBuffer()
{
    CanvasState &state = canvas();
    if (state.pixels == nullptr)
        return;
    composeOverBlack(state.pixels, state.backBuffer.size() / 4);
    if (state.window != nullptr)
        showBackBuffer();
}
