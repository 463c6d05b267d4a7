// Timers on the message queue: an enabled one ticks while messages are pumped, a disabled
// or destroyed one never does. Only whether a tick came is checked, never when.
#include "tests/win32/Win32TestSupport.h"

#include <memory>

namespace zylora::win32test {
namespace {

using TimerTest = PlatformTest;

TEST_F(TimerTest, StartsDisabledAndKeepsItsInterval) {
    auto timer = platform->CreateTimer(1, [] {});
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 1);
    timer->SetEnabled(true);
    EXPECT_TRUE(timer->Enabled());
    timer->SetEnabled(false);
    EXPECT_FALSE(timer->Enabled());
}

TEST_F(TimerTest, OnlyEnabledTimersTick) {
    int ticking = 0;
    int disabled = 0;
    int stopped = 0;
    int destroyed = 0;
    auto ticker = platform->CreateTimer(1, [&] { ++ticking; });
    auto never = platform->CreateTimer(1, [&] { ++disabled; });
    auto stopper = platform->CreateTimer(1, [&] { ++stopped; });
    auto doomed = platform->CreateTimer(1, [&] { ++destroyed; });
    ticker->SetEnabled(true);
    stopper->SetEnabled(true);
    doomed->SetEnabled(true);
    stopper->SetEnabled(false);
    doomed.reset();

    // The ticker's ticks show that messages were pumped while the others had their chance.
    ASSERT_TRUE(PumpUntil([&] { return ticking >= 5; }));
    EXPECT_EQ(disabled, 0);
    EXPECT_EQ(stopped, 0);
    EXPECT_EQ(destroyed, 0);

    stopper->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return stopped >= 2; }));
}

TEST_F(TimerTest, TimerMayDestroyItselfInItsTick) {
    int ticks = 0;
    std::unique_ptr<Timer> self;
    self = platform->CreateTimer(1, [&] {
        ++ticks;
        self.reset();
    });
    self->SetEnabled(true);
    int others = 0;
    auto other = platform->CreateTimer(1, [&] { ++others; });
    other->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return others >= 5; }));
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(self, nullptr);
}

TEST_F(TimerTest, AbsurdIntervalsAreAccepted) {
    int ticks = 0;
    auto zero = platform->CreateTimer(0, [&] { ++ticks; });
    auto negative = platform->CreateTimer(-5, [&] { ++ticks; });
    auto huge = platform->CreateTimer(2000000000, [] {});
    zero->SetEnabled(true);
    negative->SetEnabled(true);
    huge->SetEnabled(true);
    EXPECT_TRUE(huge->Enabled());
    EXPECT_EQ(negative->Interval(), -5);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 4; }));
}

}  // namespace
}  // namespace zylora::win32test
