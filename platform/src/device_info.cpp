// Device queries, callback registration and the last-error slot of the canvas.
#include "canvas_state.h"
#include "memory_pool.h"
#include "platform.h"

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

void recreateBackBuffer()
{
    CanvasState &state = canvas();
    const size_t bytes = static_cast<size_t>(state.width > 0 ? state.width : 0) *
                         static_cast<size_t>(state.height > 0 ? state.height : 0) * 4;
    std::vector<uint8_t> fresh(bytes, 0);
    state.backBuffer.swap(fresh);
    state.pixels = state.backBuffer.empty() ? nullptr : state.backBuffer.data();
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
    canvas().entries[id - kEntryFirst] = function;
}
