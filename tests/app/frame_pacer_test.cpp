// The pacer's verdicts on swaps that wait and swaps that do not, on made-up times.
#include <gtest/gtest.h>

#include "app/frame_pacer.h"

namespace {

// Runs `passes` passes whose work takes `workMicros` and whose swap takes `swapMicros`,
// sleeping what the pacer asks; returns the time they took.
uint64_t runPasses(FramePacer& pacer, int passes, uint64_t workMicros, uint64_t swapMicros) {
  uint64_t now = 1000000;
  const uint64_t start = now;
  for (int i = 0; i < passes; ++i) {
    now += workMicros;
    const uint64_t swapStart = now;
    now += swapMicros;
    now += pacer.afterSwap(swapStart, now);
  }
  return now - start;
}

TEST(FramePacer, AnUnpacedSwapIsHeldToTheRefreshRate) {
  FramePacer pacer(60);
  pacer.reset(true);  // accepted but ineffective, as under Xvfb
  const uint64_t took = runPasses(pacer, 600, 2000, 200);
  EXPECT_FALSE(pacer.swapPaces());
  // 600 passes at 60 Hz: ten seconds, give or take the first pass.
  EXPECT_NEAR(double(took) / 1e6, 10.0, 0.05);
}

TEST(FramePacer, ASwapThatWaitsForTheRefreshGetsNoExtraSleep) {
  FramePacer pacer(60);
  pacer.reset(true);
  runPasses(pacer, 16, 3000, 13600);  // the swap waits out the rest of the period
  EXPECT_TRUE(pacer.swapPaces());
  uint64_t swapStart = 5000000;
  EXPECT_EQ(pacer.afterSwap(swapStart, swapStart + 13600), 0u);
}

TEST(FramePacer, ARefusedIntervalIsPacedEvenIfSwapsAreSlow) {
  FramePacer pacer(60);
  pacer.reset(false);
  runPasses(pacer, 32, 1000, 9000);
  EXPECT_FALSE(pacer.swapPaces());
}

TEST(FramePacer, SlowFramesAreNotFollowedByABurst) {
  FramePacer pacer(60);
  pacer.reset(false);
  runPasses(pacer, 10, 1000, 100);
  // One pass that took 200 ms: the next passes keep the period instead of catching up.
  uint64_t now = 50000000;
  pacer.afterSwap(now - 100, now);
  now += 200000;
  EXPECT_EQ(pacer.afterSwap(now - 100, now), 0u);
  now += 1000;
  const uint64_t sleep = pacer.afterSwap(now - 100, now);
  EXPECT_GT(sleep, 14000u);
  EXPECT_LE(sleep, 16667u);
}

}  // namespace
