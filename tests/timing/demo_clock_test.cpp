// The show clock's arithmetic on the simulated millisecond counter.
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "timing/demo_clock.h"

namespace {

class DemoClockTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::useSimulatedClock(true, 0); }
  void TearDown() override { platform::useSimulatedClock(false); }
};

TEST_F(DemoClockTest, ReadsMillisecondsAsSingleEpsilonSeconds) {
  platform::setSimulatedTime(5000);
  DemoClock clock;
  EXPECT_EQ(clock.start(), 5000u);
  EXPECT_EQ(clock.seconds(), 0.0);
  platform::setSimulatedTime(6500);
  // 1500 ms times the single-precision value of 0.001, not exactly 1.5.
  EXPECT_DOUBLE_EQ(clock.seconds(), 1500.0 * 0.0010000000474974513);
  EXPECT_NE(clock.seconds(), 1.5);
}

TEST_F(DemoClockTest, TimerWrapIsHarmlessAndAStartAheadReadsHuge) {
  platform::setSimulatedTime(0xFFFFFF00u);
  DemoClock clock;
  clock.start();
  platform::setSimulatedTime(0x100u);  // the 32-bit timer has wrapped
  EXPECT_DOUBLE_EQ(clock.seconds(), 512.0 * 0.0010000000474974513);

  clock.startMs = 0x100u + 1000u;  // a start one second ahead of the timer
  EXPECT_NEAR(clock.seconds(), 4294966.296, 0.3);
  EXPECT_GT(clock.seconds(), 0.0);
}

TEST_F(DemoClockTest, SetSecondsTruncatesTowardZero) {
  DemoClock clock;
  platform::setSimulatedTime(1000);
  clock.setSeconds(2.5f);  // 1000 - 2500 wraps below zero
  EXPECT_EQ(clock.startMs, uint32_t(-1500));
  EXPECT_DOUBLE_EQ(clock.seconds(), 2500.0 * 0.0010000000474974513);

  clock.setSeconds(0.0015f);  // 998.5 -> 998, so the clock reads 2 ms
  EXPECT_EQ(clock.startMs, 998u);

  platform::setSimulatedTime(0);
  clock.setSeconds(0.0015f);  // -1.5 -> -1 (toward zero, not floor's -2)
  EXPECT_EQ(clock.startMs, 0xFFFFFFFFu);
  EXPECT_DOUBLE_EQ(clock.seconds(), 1.0 * 0.0010000000474974513);
}

}  // namespace
