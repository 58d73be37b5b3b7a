#include "show/frame.h"

#include <cmath>

#include "fx/grid_mesh.h"
#include "platform/clock.h"
#include "show/messages.h"
#include "tests/show/show_gl_test.h"
#include "timing/beat_timing.h"
#include "timing/demo_clock.h"

namespace {

TEST(FrameFades, GlowRisesHoldsAndFallsWithoutJumps) {
  EXPECT_EQ(glowAlpha(0.0), 0.0);
  EXPECT_NEAR(glowAlpha(3.0), 0.25, 1e-12);
  EXPECT_NEAR(glowAlpha(5.0), 0.5 * 5.0 / 6.0, 1e-12);
  EXPECT_NEAR(glowAlpha(6.0 - 1e-9), 0.5, 1e-8);
  EXPECT_EQ(glowAlpha(6.0), 0.5);
  EXPECT_EQ(glowAlpha(80.0), 0.5);
  EXPECT_EQ(glowAlpha(142.0), 0.5);
  EXPECT_NEAR(glowAlpha(142.0 + 1e-9), 0.5, 1e-8);
  EXPECT_NEAR(glowAlpha(143.0), 0.5 * 5.0 / 6.0, 1e-12);
  EXPECT_NEAR(glowAlpha(145.0), 0.25, 1e-12);
  EXPECT_NEAR(glowAlpha(148.0), 0.0, 1e-12);
  // Past 148 s the value goes negative and GL's clamping keeps the background black.
  EXPECT_LT(glowAlpha(150.0), 0.0);
}

TEST(FrameFades, StarsFadeInAfterTheGlowAndOutBeforeIt) {
  EXPECT_EQ(starFade(0.0), 0.0);
  EXPECT_EQ(starFade(6.0), 0.0);
  EXPECT_NEAR(starFade(6.0 + 1e-9), 0.0, 1e-8);
  EXPECT_NEAR(starFade(9.0), 0.5, 1e-12);
  EXPECT_NEAR(starFade(12.0 - 1e-9), 1.0, 1e-8);
  EXPECT_EQ(starFade(12.0), 1.0);
  EXPECT_EQ(starFade(136.0), 1.0);
  EXPECT_NEAR(starFade(139.0), 0.5, 1e-12);
  EXPECT_NEAR(starFade(142.0 - 1e-9), 0.0, 1e-8);
  EXPECT_EQ(starFade(142.0), 0.0);
  EXPECT_EQ(starFade(154.5), 0.0);
  // Never outside 0..1, rising up to the plateau and falling after it.
  double previous = 0.0;
  for (double t = 0.0; t <= 155.0; t += 0.01) {
    const double f = starFade(t);
    ASSERT_GE(f, 0.0) << t;
    ASSERT_LE(f, 1.0) << t;
    if (t < 100.0) {
      ASSERT_GE(f, previous) << t;
    } else {
      ASSERT_LE(f, previous) << t;
    }
    previous = f;
  }
}

TEST(FigureApproach, RushesInOverTheFirstTwentyBeatsThenRests) {
  EXPECT_DOUBLE_EQ(figureApproach(1), -19.0);
  EXPECT_DOUBLE_EQ(figureApproach(2), -9.0);
  EXPECT_DOUBLE_EQ(figureApproach(4), -4.0);
  EXPECT_DOUBLE_EQ(figureApproach(10), -1.0);
  EXPECT_NEAR(figureApproach(19), 1.0 - 20.0 / 19.0, 1e-12);
  EXPECT_EQ(figureApproach(20), 0.0);
  EXPECT_EQ(figureApproach(21), 0.0);
  EXPECT_EQ(figureApproach(335), 0.0);
  // The first frame has no beat yet: no usable offset, and the frame skips the figure.
  EXPECT_FALSE(std::isfinite(figureApproach(0)));
}

// Whole frames of the composition with our own pictures and a simulated clock.
class FrameTest : public ShowGlTest {
 protected:
  void SetUp() override {
    ShowGlTest::SetUp();
    if (!surfaceMesh) {
      surfaceMesh = new GridMesh;
      surfaceMesh->build(-1.3f, -1.0f, 2.67f, 2.0f, 48, 32, 1);
    }
    platform::useSimulatedClock(true, 0);
    showClock.start();
  }
  void TearDown() override {
    platform::useSimulatedClock(false);
    ShowGlTest::TearDown();
  }
  static void clockAt(uint32_t ms) { platform::setSimulatedTime(ms); }
};

TEST_F(FrameTest, EndsOnceTheClockHasPassedTheEndWithoutSamplingTheTime) {
  clockAt(154499);
  EXPECT_TRUE(drawFrame());
  EXPECT_NEAR(sceneTime, 154.499f, 1e-3f);

  // The end test reads the clock itself; sceneTime keeps the last frame's value.
  clockAt(154600);
  EXPECT_FALSE(drawFrame());
  EXPECT_NEAR(sceneTime, 154.499f, 1e-3f);
}

TEST_F(FrameTest, TheMessageScheduleSeesThePreviousFramesTime) {
  // The first frame after the clock enters message 0's hold still sees the old time.
  sceneTime = 5.0f;
  clockAt(20000);
  ASSERT_TRUE(drawFrame());
  EXPECT_EQ(currentMessage, nullptr);
  EXPECT_EQ(messageFade, 0.0f);
  ASSERT_TRUE(drawFrame());
  EXPECT_EQ(currentMessage, messages[0]);
  EXPECT_EQ(messageFade, 1.0f);
}

TEST_F(FrameTest, FigureIsLeftOutUntilTheFirstBeat) {
  // A black mask and a black figure blot out the right of the screen wherever they are drawn.
  fillSlot(TEX_FIGURE_MASK, {0, 0, 0});
  fillSlot(TEX_FIGURE, {0, 0, 0});
  fillSlot(TEX_SPIRAL, {255, 255, 255});
  clockAt(30000);

  beatIndex = 0;
  ASSERT_TRUE(drawFrame());
  const Rgb withoutFigure = rgb(491, 240);
  EXPECT_GT(withoutFigure[0], 60) << "the glow should show where the figure would be";

  beatIndex = 21;
  ASSERT_TRUE(drawFrame());
  EXPECT_TRUE(near(rgb(491, 240), {0, 0, 0}, 1));
  // Left of the figure the glow is the same in both frames.
  EXPECT_GT(rgb(100, 240)[0], 60);
}

TEST_F(FrameTest, BackgroundIsBlackOnceTheGlowHasFaded) {
  fillSlot(TEX_FIGURE, {0, 0, 0});
  fillSlot(TEX_SPIRAL, {255, 255, 255});
  beatIndex = 327;
  clockAt(146000);
  ASSERT_TRUE(drawFrame());
  EXPECT_GT(countDiffering(0, 0, 640, 480, {0, 0, 0}), 100000) << "glow at a third";

  clockAt(150000);
  ASSERT_TRUE(drawFrame());
  // Message 7 is open in the upper left; everything right of the bubble is black.
  EXPECT_EQ(countDiffering(420, 0, 220, 480, {0, 0, 0}), 0);
}

}  // namespace
