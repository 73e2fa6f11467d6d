// The process-wide canvas record shared by the canvas, the main loop, the timer and the device queries.
#ifndef TAMARIND_PLATFORM_CANVAS_STATE_H
#define TAMARIND_PLATFORM_CANVAS_STATE_H

#include <atomic>
#include <cstdint>
#include <vector>

struct SDL_Window;

namespace tamarind::platform {

constexpr int kEntryFirst = 0x5100;
constexpr int kEntryCount = 10;

struct CanvasState {
    int32_t width = 0;  // client size; set by goInitCanvas, then by every size event
    int32_t height = 0;
    SDL_Window *window = nullptr;
    std::vector<uint8_t> backBuffer; // width x height pixels, bytes blue, green, red, alpha; bottom row first
    uint8_t *pixels = nullptr;       // first byte of the back buffer, or null
    int32_t lastError = 0;
    // Registered callbacks; 0 means the slot's default. Atomic: the timer thread reads its slot while the
    // main thread may register functions.
    std::atomic<intptr_t> entries[kEntryCount] = {};
    int timerId = 0;                    // the running periodic timer, 0 when none
    std::atomic<bool> timerBusy{false}; // set while the timer callback runs
    std::atomic<unsigned long> timerThread{0}; // the thread running the timer callback, while it runs
};

CanvasState &canvas();

// Records an error code for goGetLastErrorCode.
void setLastError(int32_t code);

// Gives the canvas a size and a new zeroed back buffer for it. On allocation failure (or a size whose
// byte count does not fit in memory) nothing changes and false is returned.
bool resizeCanvas(int32_t width, int32_t height);
// Releases the back buffer.
void releaseBackBuffer();

} // namespace tamarind::platform

#endif
