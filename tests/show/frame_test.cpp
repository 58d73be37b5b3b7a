#include "show/frame.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(FrameFades, MeetTheirPlateausWithoutJumps) {
  // time, glowAlpha, starFade
  const double cases[][3] = {{0, 0, 0},      {3, 0.25, 0},    {6, 0.5, 0},    {9, 0.5, 0.5},
                             {12, 0.5, 1},   {80, 0.5, 1},    {136, 0.5, 1},  {139, 0.5, 0.5},
                             {142, 0.5, 0},  {145, 0.25, 0},  {148, 0, 0},    {151, -0.25, 0}};
  for (const auto& c : cases) {
    EXPECT_NEAR(glowAlpha(c[0]), c[1], 1e-12) << c[0];
    EXPECT_NEAR(starFade(c[0]), c[2], 1e-12) << c[0];
  }
  // No jumps anywhere: neither fade moves faster than a sixth per second.
  for (double t = 0.0; t < 155.0; t += 0.01)
    EXPECT_LT(std::abs(glowAlpha(t + 0.01) - glowAlpha(t)) + std::abs(starFade(t + 0.01) - starFade(t)), 0.003) << t;
}

}  // namespace
