// The pacer's verdicts on swaps that wait and swaps that do not, on made-up times.
#include <gtest/gtest.h>

#include "app/frame_pacer.h"

namespace {

// Runs passes whose work and swap take the given times, sleeping what the pacer asks; returns
// the time they took.
uint64_t runPasses(FramePacer& pacer, int passes, uint64_t workMicros, uint64_t swapMicros) {
  uint64_t now = 1000000;
  for (int i = 0; i < passes; ++i) {
    now += workMicros + swapMicros;
    now += pacer.afterSwap(now - swapMicros, now);
  }
  return now - 1000000;
}

TEST(FramePacer, PacesOnlySwapsThatDoNotWaitAndNeverInBursts) {
  FramePacer pacer(60);
  pacer.reset(true);  // accepted but ineffective, as under Xvfb: 600 passes take ten seconds
  EXPECT_NEAR(double(runPasses(pacer, 600, 2000, 200)) / 1e6, 10.0, 0.05);
  EXPECT_FALSE(pacer.swapPaces());

  pacer.reset(true);  // the swap waits out the rest of the period: no extra sleep
  runPasses(pacer, 16, 3000, 13600);
  EXPECT_TRUE(pacer.swapPaces());
  EXPECT_EQ(pacer.afterSwap(5000000, 5013600), 0u);

  pacer.reset(false);  // a refused interval is paced even when the swaps are slow
  runPasses(pacer, 32, 1000, 9000);
  EXPECT_FALSE(pacer.swapPaces());

  // A pass far behind its deadline: the next ones keep the period instead of catching up.
  uint64_t now = 50000000;
  EXPECT_EQ(pacer.afterSwap(now - 100, now), 0u);
  now += 1000;
  const uint64_t sleep = pacer.afterSwap(now - 100, now);
  EXPECT_GT(sleep, 14000u);
  EXPECT_LE(sleep, 16667u);
}

}  // namespace
