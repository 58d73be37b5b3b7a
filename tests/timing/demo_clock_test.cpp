// The show clock's arithmetic on the simulated millisecond counter.
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "timing/demo_clock.h"

constexpr double kTick = 0.0010000000474974513;  // the single-precision 0.001, not 0.001 itself

TEST(DemoClock, WrapsHarmlesslyAStartAheadReadsHugeAndSetSecondsTruncates) {
  platform::useSimulatedClock(true, 0xFFFFFF00u);
  DemoClock clock;
  EXPECT_EQ(clock.start(), 0xFFFFFF00u);
  platform::setSimulatedTime(0x100u);  // the 32-bit timer has wrapped
  EXPECT_DOUBLE_EQ(clock.seconds(), 512.0 * kTick);

  clock.startMs = 0x100u + 1000u;  // a start one second ahead of the timer
  EXPECT_NEAR(clock.seconds(), 4294966.296, 0.3);

  // Setting the time truncates toward zero.
  platform::setSimulatedTime(1000);
  clock.setSeconds(2.5f);  // 1000 - 2500 wraps below zero
  EXPECT_EQ(clock.startMs, uint32_t(-1500));
  EXPECT_DOUBLE_EQ(clock.seconds(), 2500.0 * kTick);
  clock.setSeconds(0.0015f);  // 998.5 -> 998
  EXPECT_EQ(clock.startMs, 998u);
  platform::setSimulatedTime(0);
  clock.setSeconds(0.0015f);  // -1.5 -> -1 (toward zero, not floor's -2)
  EXPECT_EQ(clock.startMs, 0xFFFFFFFFu);
  platform::useSimulatedClock(false);
}
