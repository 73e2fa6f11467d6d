// Shared helpers of the canvas tests: recorders for every callback, synthetic SDL events, a main loop
// that ends itself once the event queue is drained, and a fixture that opens a fresh 320 x 240 canvas.
#ifndef TAMARIND_TESTS_PLATFORM_CANVAS_FIXTURE_H
#define TAMARIND_TESTS_PLATFORM_CANVAS_FIXTURE_H

#include "platform.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <ostream>
#include <thread>
#include <vector>

namespace canvas_test {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// One callback invocation: the entry id and up to three integer arguments.
struct Call {
    int id = 0;
    int a = 0;
    int b = 0;
    int c = 0;
    bool operator==(const Call &) const = default;
};

inline std::ostream &operator<<(std::ostream &out, const Call &call)
{
    return out << "{0x" << std::hex << call.id << std::dec << ", " << call.a << ", " << call.b << ", " << call.c
               << "}";
}

// What the exit callback saw.
struct ExitView {
    int count = 0;
    intptr_t pixels = -1;
    intptr_t window = -1;
};

// Every invocation of a recorder, in order (IDLE included).
inline std::vector<Call> calls;
inline ExitView exitView;

inline void resetRecorder()
{
    calls.clear();
    exitView = {};
}

inline void recordIdle() { calls.push_back({GO_ENTRY_IDLE}); }
inline bool recordChar(int character)
{
    calls.push_back({GO_ENTRY_CHAR, character});
    return true;
}
inline void recordMouseMove(int x, int y, int state) { calls.push_back({GO_ENTRY_MOUSE_MOVE, x, y, state}); }
inline void recordLeftButton(int x, int y, int pressed) { calls.push_back({GO_ENTRY_LEFT_BUTTON, x, y, pressed}); }
inline void recordPaint() { calls.push_back({GO_ENTRY_PAINT}); }
inline void recordSize(int width, int height) { calls.push_back({GO_ENTRY_SIZE, width, height}); }
inline void recordExit()
{
    calls.push_back({GO_ENTRY_EXIT});
    ++exitView.count;
    exitView.pixels = goGetDeviceInfo(GO_INFO_PIXELS);
    exitView.window = goGetDeviceInfo(GO_INFO_WINDOW);
}
// Timer ticks arrive on another thread: counted under a mutex, with the ticking threads' ids. A tick that
// began before the last reset (one still in flight from an earlier timer) is not counted. The probe is
// never destroyed, so a tick still in flight at process exit finds it intact.
struct TimerProbe {
    std::mutex mutex;
    std::condition_variable changed;
    int generation = 0;
    int inFlight = 0;
    int ticks = 0;
    std::vector<std::thread::id> threads; // of the first ticks
};

inline TimerProbe &timerProbe()
{
    static TimerProbe *probe = new TimerProbe;
    return *probe;
}

inline void resetTimerProbe()
{
    TimerProbe &probe = timerProbe();
    std::lock_guard lock(probe.mutex);
    ++probe.generation;
    probe.ticks = 0;
    probe.threads.clear();
}

// The start of a tick; returns the generation to hand to endTick.
inline int beginTick()
{
    TimerProbe &probe = timerProbe();
    std::lock_guard lock(probe.mutex);
    ++probe.inFlight;
    return probe.generation;
}

inline void endTick(int generation)
{
    TimerProbe &probe = timerProbe();
    {
        std::lock_guard lock(probe.mutex);
        --probe.inFlight;
        if (generation == probe.generation) {
            ++probe.ticks;
            if (probe.threads.size() < 64)
                probe.threads.push_back(std::this_thread::get_id());
        }
    }
    probe.changed.notify_all();
}

inline void countTimerTick() { endTick(beginTick()); }

inline int timerTickCount()
{
    TimerProbe &probe = timerProbe();
    std::lock_guard lock(probe.mutex);
    return probe.ticks;
}

// Waits at most `limit` until no tick runs; true if none does.
inline bool noTickRunsWithin(std::chrono::milliseconds limit)
{
    TimerProbe &probe = timerProbe();
    std::unique_lock lock(probe.mutex);
    return probe.changed.wait_for(lock, limit, [&] { return probe.inFlight == 0; });
}

// Stops the timer and waits (bounded) for a tick still in flight to finish.
inline void stopTimer()
{
    goKillTimer();
    EXPECT_TRUE(noTickRunsWithin(std::chrono::seconds(5)));
}

// Waits at most `limit` for the tick count to exceed `count`; true if it did.
inline bool ticksExceedWithin(int count, std::chrono::milliseconds limit)
{
    TimerProbe &probe = timerProbe();
    std::unique_lock lock(probe.mutex);
    return probe.changed.wait_for(lock, limit, [&] { return probe.ticks > count; });
}
inline void recordKey(int key, int pressed) { calls.push_back({GO_ENTRY_KEY, key, pressed}); }
inline void recordRightButton(int x, int y, int pressed) { calls.push_back({GO_ENTRY_RIGHT_BUTTON, x, y, pressed}); }

template <class Function>
void setEntry(int id, Function *function)
{
    goSetFunctionEntry(id, reinterpret_cast<intptr_t>(function));
}

// Registers a recorder in every slot except IDLE (the loop driver's) and TIMER (another thread's).
inline void registerEventRecorders()
{
    setEntry(GO_ENTRY_CHAR, &recordChar);
    setEntry(GO_ENTRY_MOUSE_MOVE, &recordMouseMove);
    setEntry(GO_ENTRY_LEFT_BUTTON, &recordLeftButton);
    setEntry(GO_ENTRY_PAINT, &recordPaint);
    setEntry(GO_ENTRY_SIZE, &recordSize);
    setEntry(GO_ENTRY_EXIT, &recordExit);
    setEntry(GO_ENTRY_KEY, &recordKey);
    setEntry(GO_ENTRY_RIGHT_BUTTON, &recordRightButton);
}

// The recorded calls other than IDLE, in order.
inline std::vector<Call> eventCalls()
{
    std::vector<Call> result;
    for (const Call &call : calls)
        if (call.id != GO_ENTRY_IDLE)
            result.push_back(call);
    return result;
}

inline std::vector<Call> callsOf(int id)
{
    std::vector<Call> result;
    for (const Call &call : calls)
        if (call.id == id)
            result.push_back(call);
    return result;
}

inline int countOf(int id)
{
    int count = 0;
    for (const Call &call : calls)
        count += call.id == id ? 1 : 0;
    return count;
}

inline bool queueIsEmpty()
{
    return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 0;
}

// State of the self-ending main loop.
struct LoopDriver {
    std::chrono::steady_clock::time_point deadline;
    bool destroyed = false;
    bool timedOut = false;
    bool forcedQuit = false;
};
inline LoopDriver loopDriver;

// IDLE of the self-ending loop: records the pass and destroys the canvas once the queue is empty (or the
// deadline passed). Should the loop not end after that, a quit event is pushed a few seconds later.
inline void drainingIdle()
{
    recordIdle();
    const auto now = std::chrono::steady_clock::now();
    if (!loopDriver.destroyed) {
        const bool empty = queueIsEmpty();
        if (empty || now > loopDriver.deadline) {
            loopDriver.destroyed = true;
            loopDriver.timedOut = !empty;
            goDestoryCanvas();
        }
    } else if (!loopDriver.forcedQuit && now > loopDriver.deadline + std::chrono::seconds(5)) {
        loopDriver.forcedQuit = true;
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    }
}

// Runs goMainLoop until every queued event has been dispatched, then ends it with goDestoryCanvas.
inline void runLoopUntilDrained()
{
    loopDriver = {};
    loopDriver.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    setEntry(GO_ENTRY_IDLE, &drainingIdle);
    goMainLoop();
    EXPECT_FALSE(loopDriver.timedOut) << "the event queue did not drain";
    EXPECT_FALSE(loopDriver.forcedQuit) << "goDestoryCanvas did not end the loop";
}

inline void push(SDL_Event &event)
{
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

inline void pushMouseButton(bool down, uint8_t button, int x, int y)
{
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    event.button.x = x;
    event.button.y = y;
    push(event);
}

inline void pushMouseMotion(int x, int y, uint32_t buttons)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.state = buttons;
    event.motion.x = x;
    event.motion.y = y;
    push(event);
}

inline void pushKey(bool down, SDL_Keycode key)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    push(event);
}

inline void pushText(const char *utf8)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::strncpy(event.text.text, utf8, sizeof event.text.text - 1);
    push(event);
}

inline void pushWindowEvent(uint8_t kind, int data1 = 0, int data2 = 0)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = kind;
    event.window.data1 = data1;
    event.window.data2 = data2;
    push(event);
}

inline void pushQuit()
{
    SDL_Event event{};
    event.type = SDL_QUIT;
    push(event);
}

inline SDL_Window *canvasWindow()
{
    return reinterpret_cast<SDL_Window *>(goGetDeviceInfo(GO_INFO_WINDOW));
}

inline uint8_t *backBuffer()
{
    return reinterpret_cast<uint8_t *>(goGetDeviceInfo(GO_INFO_PIXELS));
}

inline bool allBytesZero(const uint8_t *bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (bytes[i] != 0)
            return false;
    return true;
}

// A fresh 320 x 240 canvas with an empty event queue (the window's own shown and exposed events are
// discarded) and recorders in every event slot.
class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        goGetLastErrorCode();
        ASSERT_TRUE(goInitCanvas(kWidth, kHeight));
        ASSERT_NE(canvasWindow(), nullptr);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        SDL_SetModState(KMOD_NONE);
        resetRecorder();
        registerEventRecorders();
    }

    void TearDown() override
    {
        SDL_SetModState(KMOD_NONE);
        goDestoryCanvas();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
};

} // namespace canvas_test

#endif
