// The main loop: IDLE every pass, at most one event per pass, the end through goDestoryCanvas or a quit
// event, then the back buffer released and EXIT called once.
#include "canvas_fixture.h"

namespace canvas_test {
namespace {

using MainLoop = CanvasTest;

TEST_F(MainLoop, IdleComesFirstAndExitOnceAfterTheLoopWithoutBackBuffer)
{
    pushKey(true, SDLK_a);
    runLoopUntilDrained();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), Call{GO_ENTRY_IDLE});
    EXPECT_EQ(calls.back(), Call{GO_ENTRY_EXIT}); // nothing after EXIT, IDLE included
    EXPECT_EQ(exitView.count, 1);
    EXPECT_EQ(countOf(GO_ENTRY_KEY), 1);
    // Inside EXIT the back buffer and the window are already gone, and stay gone.
    EXPECT_EQ(exitView.pixels, 0);
    EXPECT_EQ(exitView.window, 0);
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_PIXELS), 0);
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_WINDOW), 0);
    EXPECT_EQ(goGetLastErrorCode(), 0);
}

TEST_F(MainLoop, TakesAtMostOneEventPerPass)
{
    pushKey(true, SDLK_a);
    pushKey(true, SDLK_b);
    pushKey(true, SDLK_c);
    runLoopUntilDrained();
    // Between two dispatched events there is an IDLE call.
    int idleSinceEvent = 1;
    int keys = 0;
    for (const Call &call : calls) {
        if (call.id == GO_ENTRY_IDLE) {
            ++idleSinceEvent;
        } else if (call.id == GO_ENTRY_KEY) {
            EXPECT_GE(idleSinceEvent, 1) << "key " << call.a << " shares a pass with the previous event";
            idleSinceEvent = 0;
            ++keys;
        }
    }
    EXPECT_EQ(keys, 3);
}

// goDestoryCanvas from IDLE ends the loop after that pass: events still queued are not dispatched to
// the destroyed window, and IDLE is not called again.
void destroyOnFirstIdle()
{
    recordIdle();
    if (countOf(GO_ENTRY_IDLE) == 1)
        goDestoryCanvas();
}

TEST_F(MainLoop, DestroyEndsTheLoopAfterTheCurrentPass)
{
    pushKey(true, SDLK_a);
    pushMouseButton(true, SDL_BUTTON_LEFT, 10, 10);
    setEntry(GO_ENTRY_IDLE, &destroyOnFirstIdle);
    goMainLoop(); // ends at the latest when the pushed quit behind the two events is reached
    EXPECT_EQ(countOf(GO_ENTRY_IDLE), 1);
    EXPECT_EQ(eventCalls(), std::vector<Call>{{GO_ENTRY_EXIT}});
}

void destroyTwiceOnFirstIdle()
{
    recordIdle();
    if (countOf(GO_ENTRY_IDLE) == 1) {
        goDestoryCanvas();
        goDestoryCanvas();
    }
}

TEST_F(MainLoop, DestroyingTwiceEndsTheLoopOnceAndLeavesNoQuitBehind)
{
    setEntry(GO_ENTRY_IDLE, &destroyTwiceOnFirstIdle);
    goMainLoop();
    EXPECT_EQ(exitView.count, 1);
    EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT), 0);
}

TEST_F(MainLoop, QuitEventDestroysTheWindowAndEndsTheLoop)
{
    pushKey(true, SDLK_q);
    pushQuit();
    pushKey(true, SDLK_z); // behind the quit: stays queued
    setEntry(GO_ENTRY_IDLE, &recordIdle);
    goMainLoop();
    EXPECT_EQ(eventCalls(), (std::vector<Call>{{GO_ENTRY_KEY, 'Q', 1}, {GO_ENTRY_EXIT}}));
    EXPECT_EQ(exitView.window, 0);
    EXPECT_EQ(exitView.pixels, 0);
    EXPECT_EQ(goGetDeviceInfo(GO_INFO_WINDOW), 0);
}

TEST_F(MainLoop, RunsAgainOnANewCanvas)
{
    pushKey(true, SDLK_1);
    runLoopUntilDrained();
    ASSERT_EQ(exitView.count, 1);

    ASSERT_TRUE(goInitCanvas(160, 120));
    EXPECT_NE(canvasWindow(), nullptr);
    EXPECT_NE(backBuffer(), nullptr);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    resetRecorder();
    registerEventRecorders();
    pushKey(true, SDLK_2);
    pushMouseButton(true, SDL_BUTTON_LEFT, 0, 0); // y = 120 - 0 on the new canvas
    runLoopUntilDrained();
    EXPECT_EQ(eventCalls(),
              (std::vector<Call>{{GO_ENTRY_KEY, '2', 1}, {GO_ENTRY_LEFT_BUTTON, 0, 120, 1}, {GO_ENTRY_EXIT}}));
}

// The timer is not stopped by the end of the main loop.
TEST_F(MainLoop, TimerKeepsRunningAfterTheLoop)
{
    stopTimer();
    resetTimerProbe();
    setEntry(GO_ENTRY_TIMER, &countTimerTick);
    goSetTimer(2);
    runLoopUntilDrained();
    const int ticks = timerTickCount();
    EXPECT_TRUE(ticksExceedWithin(ticks + 1, std::chrono::seconds(10)));
    stopTimer();
}

} // namespace
} // namespace canvas_test
