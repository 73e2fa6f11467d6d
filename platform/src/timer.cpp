// The periodic timer: its callback runs on SDL's timer thread, guarded only against re-entering itself
// (a tick that arrives while the previous one still runs is dropped).
#include "callbacks.h"
#include "canvas_state.h"
#include "platform.h"

#include <SDL2/SDL.h>

#include <thread>

using namespace tamarind::platform;

namespace {

uint32_t timerTick(uint32_t interval, void *)
{
    CanvasState &state = canvas();
    if (state.timerBusy.exchange(true))
        return interval;
    state.timerThread = goGetCurrentThreadID();
    callEntry(GO_ENTRY_TIMER);
    state.timerThread = 0;
    state.timerBusy = false;
    return interval;
}

} // namespace

void goKillTimer()
{
    CanvasState &state = canvas();
    if (state.timerId == 0)
        return;
    SDL_RemoveTimer(state.timerId);
    state.timerId = 0;
    // A tick already running finishes before goKillTimer returns, so the program may free what its
    // timer function uses. Called from the timer function itself, it cannot wait for itself.
    if (state.timerThread.load() != goGetCurrentThreadID())
        while (state.timerBusy.load())
            std::this_thread::yield();
}

void goSetTimer(int period)
{
    goKillTimer();
    // The resolution of period / 2 milliseconds has no counterpart here: SDL's timer thread wakes as
    // precisely as the system allows.
    if (period <= 0 || (!SDL_WasInit(SDL_INIT_TIMER) && SDL_InitSubSystem(SDL_INIT_TIMER) != 0))
        return;
    canvas().timerId = SDL_AddTimer(static_cast<uint32_t>(period), timerTick, nullptr);
}
