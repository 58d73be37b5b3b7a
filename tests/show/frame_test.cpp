#include "show/frame.h"

#include <cmath>

#include "fx/grid_mesh.h"
#include "platform/clock.h"
#include "tests/show/show_gl_test.h"
#include "timing/demo_clock.h"

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

using FrameTest = ShowGlTest;

TEST_F(FrameTest, ScheduleRunsOnLastFramesTimeAndTheEndTestReadsTheClock) {
  if (!surfaceMesh) buildSurfaceMesh(surfaceMesh = new GridMesh);
  platform::useSimulatedClock(true, 0);
  showClock.start();
  // The first frame inside message 0's hold still schedules with the previous frame's time.
  sceneTime = 5.0f;
  platform::setSimulatedTime(20000);
  EXPECT_TRUE(drawFrame());
  EXPECT_EQ(currentMessage, nullptr);
  EXPECT_TRUE(drawFrame());
  EXPECT_EQ(currentMessage, messages[0]);

  // Past 154.5 s the frame stops before taking a new sceneTime.
  platform::setSimulatedTime(154499);
  EXPECT_TRUE(drawFrame());
  platform::setSimulatedTime(154500);
  EXPECT_FALSE(drawFrame());
  EXPECT_FLOAT_EQ(sceneTime, 154.499f);
  platform::useSimulatedClock(false);
}

}  // namespace
