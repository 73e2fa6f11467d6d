// The process-wide canvas record shared by the canvas, the main loop, the timer and the device queries.
#ifndef TAMARIND_PLATFORM_CANVAS_STATE_H
#define TAMARIND_PLATFORM_CANVAS_STATE_H

#include <cstdint>

namespace tamarind::platform {

constexpr int kEntryFirst = 0x5100;
constexpr int kEntryCount = 10;

struct CanvasState {
    int32_t width = 0;
    int32_t height = 0;
    void *window = nullptr;  // native window handle
    uint8_t *pixels = nullptr; // first byte of the bottom-up BGRA back buffer
    int32_t lastError = 0;
    intptr_t entries[kEntryCount] = {}; // registered callbacks; 0 means the slot's default
    uintptr_t timerId = 0;
    volatile uint8_t timerBusy = 0;
};

CanvasState &canvas();

// Records an error code for goGetLastErrorCode.
void setLastError(int32_t code);

} // namespace tamarind::platform

#endif
