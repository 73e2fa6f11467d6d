// Device queries, callback registration and the last-error slot of the canvas.
#include "canvas_state.h"
#include "memory_pool.h"
#include "platform.h"

#include <cstddef>
#include <exception>

namespace tamarind::platform {

CanvasState &canvas()
{
    static CanvasState state;
    return state;
}

void setLastError(int32_t code)
{
    canvas().lastError = code;
}

bool resizeCanvas(int32_t width, int32_t height)
{
    CanvasState &state = canvas();
    const uint64_t pixels = static_cast<uint64_t>(width > 0 ? width : 0) * static_cast<uint64_t>(height > 0 ? height : 0);
    if (pixels > static_cast<uint64_t>(PTRDIFF_MAX) / 8)
        return false;
    std::vector<uint8_t> fresh;
    try {
        fresh.assign(static_cast<size_t>(pixels) * 4, 0);
    } catch (const std::exception &) {
        return false;
    }
    state.backBuffer.swap(fresh);
    state.pixels = state.backBuffer.empty() ? nullptr : state.backBuffer.data();
    state.width = width;
    state.height = height;
    return true;
}

void releaseBackBuffer()
{
    CanvasState &state = canvas();
    std::vector<uint8_t>().swap(state.backBuffer);
    state.pixels = nullptr;
}

} // namespace tamarind::platform

using namespace tamarind::platform;

int goGetLastErrorCode()
{
    int code = canvas().lastError;
    canvas().lastError = 0;
    return code;
}

intptr_t goGetDeviceInfo(int id)
{
    const CanvasState &state = canvas();
    switch (id) {
    case GO_INFO_WIDTH:
        return state.width;
    case GO_INFO_HEIGHT:
        return state.height;
    case GO_INFO_WINDOW:
        return reinterpret_cast<intptr_t>(state.window);
    case GO_INFO_PIXELS:
        return reinterpret_cast<intptr_t>(state.pixels);
    case GO_INFO_POOL_SIZE:
        return poolSize();
    case GO_INFO_POOL_FREE:
        return poolFreeBytes();
    case GO_INFO_POOL_USED:
        return poolUsedBytes();
    default:
        setLastError(GO_ERROR_BAD_ID);
        return -1;
    }
}

void goSetFunctionEntry(int id, intptr_t function)
{
    if (function == 0) {
        setLastError(GO_ERROR_NULL_FUNCTION);
        return;
    }
    if (id < kEntryFirst || id >= kEntryFirst + kEntryCount) {
        setLastError(GO_ERROR_BAD_ID);
        return;
    }
    canvas().entries[id - kEntryFirst].store(function);
}
