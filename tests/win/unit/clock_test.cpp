// The Windows clocks: winmm's millisecond timer behind the show's clock, and the performance
// counter behind pacing, read in step with each other.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/clock.h"

namespace {

TEST(WindowsClock, MillisecondTimerAndMicrosecondCounterAgree) {
  const uint32_t startMs = platform::milliseconds();
  const uint64_t startMicros = platform::monotonicMicros();
  uint64_t previous = startMicros;
  while (platform::monotonicMicros() - startMicros < 300000) {
    const uint64_t now = platform::monotonicMicros();
    ASSERT_GE(now, previous);
    previous = now;
    platform::sleepMs(1);
  }
  const int64_t elapsedMs = int64_t(platform::milliseconds() - startMs);
  const int64_t elapsedMicros = int64_t(platform::monotonicMicros() - startMicros);
  EXPECT_LE(std::llabs(elapsedMs * 1000 - elapsedMicros), 20000) << elapsedMs << " ms, " << elapsedMicros << " us";
}

TEST(WindowsClock, SimulatedTimeReplacesTheTimer) {
  platform::useSimulatedClock(true, 0xFFFFFFF0u);
  EXPECT_EQ(platform::milliseconds(), 0xFFFFFFF0u);
  platform::setSimulatedTime(5);
  EXPECT_EQ(platform::milliseconds(), 5u);
  platform::useSimulatedClock(false);
  EXPECT_NE(platform::milliseconds(), 5u);
}

}  // namespace
