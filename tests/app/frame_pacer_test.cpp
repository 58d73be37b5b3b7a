// The pacer's verdicts on swaps that wait and swaps that do not, on made-up times.
#include <gtest/gtest.h>

#include "app/frame_pacer.h"

// Starts the pacer afresh (the swap interval accepted or not) and runs passes whose work and swap
// take the given times, sleeping what the pacer asks; returns the time they took.
static uint64_t runPasses(FramePacer& pacer, bool accepted, int passes, uint64_t workMicros, uint64_t swapMicros) {
  pacer.reset(accepted);
  uint64_t now = 1000000;
  for (int i = 0; i < passes; ++i) {
    now += workMicros + swapMicros;
    now += pacer.afterSwap(now - swapMicros, now);
  }
  return now - 1000000;
}

TEST(FramePacer, PacesOnlySwapsThatDoNotWaitAndNeverInBursts) {
  FramePacer pacer(60);
  // Accepted but ineffective, as under Xvfb: 600 passes take ten seconds.
  EXPECT_NEAR(double(runPasses(pacer, true, 600, 2000, 200)) / 1e6, 10.0, 0.05);
  EXPECT_FALSE(pacer.swapPaces());
  // The swap waits out the rest of the period: no extra sleep, even a millisecond after a pass.
  runPasses(pacer, true, 16, 3000, 13600);
  EXPECT_TRUE(pacer.swapPaces());
  EXPECT_EQ(pacer.afterSwap(5000000, 5013600), 0u);
  EXPECT_EQ(pacer.afterSwap(5014600, 5014700), 0u);
  // A refused interval is paced even when the swaps are slow.
  runPasses(pacer, false, 32, 1000, 9000);
  EXPECT_FALSE(pacer.swapPaces());
  // A pass far behind its deadline: the next ones keep the period instead of catching up.
  EXPECT_EQ(pacer.afterSwap(49999900, 50000000), 0u);
  const uint64_t sleep = pacer.afterSwap(50000900, 50001000);
  EXPECT_TRUE(sleep > 14000 && sleep <= 16667) << sleep;
}
