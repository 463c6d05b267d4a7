// Timers on the message queue: an enabled one ticks while messages are pumped, a disabled
// or destroyed one never does. Only whether a tick came is checked, never when.
#include "tests/win32/Win32TestSupport.h"

namespace zylora::win32test {
namespace {

using TimerTest = PlatformTest;

TEST_F(TimerTest, OnlyEnabledTimersTick) {
    int ticking = 0, never = 0, stopped = 0, destroyed = 0;
    auto ticker = platform->CreateTimer(1, [&] { ++ticking; });
    auto disabled = platform->CreateTimer(1, [&] { ++never; });
    auto stopper = platform->CreateTimer(1, [&] { ++stopped; });
    auto doomed = platform->CreateTimer(1, [&] { ++destroyed; });
    EXPECT_FALSE(disabled->Enabled());
    EXPECT_EQ(disabled->Interval(), 1);
    for (Timer* t : {ticker.get(), stopper.get(), doomed.get()}) t->SetEnabled(true);
    stopper->SetEnabled(false);
    EXPECT_FALSE(stopper->Enabled());
    doomed.reset();

    // The ticker's ticks show that messages were pumped while the others had their chance.
    ASSERT_TRUE(PumpUntil([&] { return ticking >= 5; }));
    EXPECT_EQ(never + stopped + destroyed, 0);
    stopper->SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return stopped >= 2; }));
}

TEST_F(TimerTest, TimerMayDestroyItselfInItsTick) {
    int ticks = 0, others = 0;
    std::unique_ptr<Timer> self = platform->CreateTimer(1, [&] {
        ++ticks;
        self.reset();
    });
    auto other = platform->CreateTimer(1, [&] { ++others; });
    self->SetEnabled(true);
    other->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return others >= 5; }));
    EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, AbsurdIntervalsAreAccepted) {
    int ticks = 0;
    auto zero = platform->CreateTimer(0, [&] { ++ticks; });
    auto negative = platform->CreateTimer(-5, [&] { ++ticks; });
    auto huge = platform->CreateTimer(2000000000, [] {});
    for (Timer* t : {zero.get(), negative.get(), huge.get()}) t->SetEnabled(true);
    EXPECT_TRUE(huge->Enabled());
    EXPECT_EQ(negative->Interval(), -5);
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 4; }));
}

}  // namespace
}  // namespace zylora::win32test
