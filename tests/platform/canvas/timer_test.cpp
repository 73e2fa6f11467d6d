// The periodic timer: ticks on another thread, goKillTimer and a second goSetTimer stop the previous
// timer, a period <= 0 starts nothing, and a slow callback is never re-entered.
#include "canvas_fixture.h"

namespace canvas_test {
namespace {

using namespace std::chrono_literals;

// Every test starts with no timer, a zero count and the counting function in the timer slot.
class Timer : public ::testing::Test {
protected:
    void SetUp() override
    {
        stopTimer();
        resetTimerProbe();
        setEntry(GO_ENTRY_TIMER, &countTimerTick);
    }

    void TearDown() override { stopTimer(); }
};

TEST_F(Timer, TicksRepeatOnAnotherThread)
{
    goSetTimer(5);
    ASSERT_TRUE(ticksExceedWithin(2, 10s)) << "fewer than three ticks";
    goKillTimer();
    TimerProbe &probe = timerProbe();
    std::lock_guard lock(probe.mutex);
    ASSERT_FALSE(probe.threads.empty());
    for (const std::thread::id &thread : probe.threads)
        EXPECT_NE(thread, std::this_thread::get_id());
}

// After goKillTimer returns at most one tick that had already started may still be counted.
TEST_F(Timer, KillStopsTheTicks)
{
    goSetTimer(2);
    ASSERT_TRUE(ticksExceedWithin(2, 10s));
    goKillTimer();
    const int atKill = timerTickCount();
    EXPECT_FALSE(ticksExceedWithin(atKill + 1, 200ms)) << "a 2 ms timer went on ticking after goKillTimer";
    goKillTimer(); // killing again, with no timer, is harmless
}

// A second goSetTimer replaces the first: a slow timer replaced by a fast one ticks quickly, and a fast
// one replaced by a slow one stops ticking.
TEST_F(Timer, SecondSetTimerReplacesTheFirst)
{
    goSetTimer(60000);
    goSetTimer(2);
    EXPECT_TRUE(ticksExceedWithin(2, 10s)) << "the replacing 2 ms timer did not run";
    goSetTimer(60000);
    const int atReplace = timerTickCount();
    EXPECT_FALSE(ticksExceedWithin(atReplace + 1, 200ms)) << "the replaced 2 ms timer went on ticking";
}

TEST_F(Timer, NonPositivePeriodStopsTheTimerAndStartsNothing)
{
    for (int period : {0, -5}) {
        goSetTimer(2);
        ASSERT_TRUE(ticksExceedWithin(timerTickCount() + 1, 10s)) << period;
        goSetTimer(period);
        const int atStop = timerTickCount();
        EXPECT_FALSE(ticksExceedWithin(atStop + 1, 200ms)) << period;
    }
}

// A callback that runs 25 ms on a 2 ms timer: ticks arriving meanwhile are dropped, never run alongside.
std::atomic<int> running{0};
std::atomic<int> mostRunning{0};

void slowTick()
{
    const int generation = beginTick();
    const int now = ++running;
    int most = mostRunning.load();
    while (now > most && !mostRunning.compare_exchange_weak(most, now)) {
    }
    const auto until = std::chrono::steady_clock::now() + 25ms;
    while (std::chrono::steady_clock::now() < until) {
    }
    --running;
    endTick(generation);
}

TEST_F(Timer, SlowCallbackIsNeverReentered)
{
    running = 0;
    mostRunning = 0;
    setEntry(GO_ENTRY_TIMER, &slowTick);
    goSetTimer(2);
    EXPECT_TRUE(ticksExceedWithin(4, 20s));
    goKillTimer();
    EXPECT_EQ(mostRunning.load(), 1);
}

} // namespace
} // namespace canvas_test
