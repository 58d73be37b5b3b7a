#include "show/stars.h"

#include <cmath>

#include "show/frame.h"
#include "tests/show/show_gl_test.h"
#include "timing/beat_timing.h"

namespace {

TEST(StarRandom, GivesTheClassicSequenceFromStateOne) {
  StarRandom random;
  const int expected[] = {41, 18467, 6334, 26500, 19169, 15724};
  for (int value : expected) EXPECT_EQ(random.next(), value);
  for (int i = 0; i < 10000; ++i) {
    const int v = random.next();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 32767);
  }
}

TEST(SeedStars, GivesTheSameFieldEveryTimeOnItsGrid) {
  seedStars();
  EXPECT_FLOAT_EQ(stars[0].dirY, 0.918f);
  EXPECT_FLOAT_EQ(stars[0].dirX, 0.066f);
  EXPECT_FLOAT_EQ(stars[0].phase, 0.0334f);
  EXPECT_FLOAT_EQ(stars[1].dirY, 0.0f);
  EXPECT_FLOAT_EQ(stars[1].dirX, 0.662f);
  EXPECT_FLOAT_EQ(stars[1].phase, 0.0724f);
  EXPECT_FLOAT_EQ(stars[99].dirY, 0.692f);
  EXPECT_FLOAT_EQ(stars[99].dirX, -0.442f);
  EXPECT_FLOAT_EQ(stars[99].phase, 0.0189f);

  Star first[STAR_COUNT];
  std::copy(std::begin(stars), std::end(stars), first);
  seedStars();
  for (int i = 0; i < STAR_COUNT; ++i) {
    EXPECT_EQ(stars[i].phase, first[i].phase) << i;
    EXPECT_EQ(stars[i].dirX, first[i].dirX) << i;
    EXPECT_EQ(stars[i].dirY, first[i].dirY) << i;
    EXPECT_GE(stars[i].phase, 0.0f);
    EXPECT_LE(stars[i].phase, 0.09991f);
    EXPECT_NEAR(stars[i].phase * 10000.0, std::round(stars[i].phase * 10000.0), 1e-3);
    for (float d : {stars[i].dirX, stars[i].dirY}) {
      EXPECT_GE(d, -0.99801f);
      EXPECT_LE(d, 1.0f);
      EXPECT_NEAR(d * 500.0, std::round(d * 500.0), 1e-3);
    }
  }
}

class StarsTest : public ShowGlTest {
 protected:
  void SetUp() override {
    ShowGlTest::SetUp();
    seedStars();
  }
  static int litPixels() { return countDiffering(0, 0, 640, 480, {0, 0, 0}, 0); }
};

TEST_F(StarsTest, OneStarIsPlacedThenSwayedWithTheField) {
  // Half-way to the camera, 0.2 right and 0.1 up is pixel (416, 288); half-size 0.1 is 48 px.
  drawStar(0.2f, 0.1f, 0.2f, 0.0f, 1.0f);
  // Additive white at alpha 0.08 when there is no beat.
  EXPECT_TRUE(near(rgb(416, 288), {20, 20, 20}, 1));
  EXPECT_TRUE(near(rgb(416 + 40, 288), {20, 20, 20}, 1));
  EXPECT_TRUE(near(rgb(416 + 56, 288), {0, 0, 0}, 0));

  // The sway turns the star's position about the view axis: 90 degrees puts it at (-0.1, 0.2).
  glClear(GL_COLOR_BUFFER_BIT);
  beatPulse = 1.0f;
  drawStar(0.2f, 0.1f, 0.2f, 90.0f, 1.0f);
  EXPECT_TRUE(near(rgb(272, 336), {38, 38, 38}, 1));
  EXPECT_TRUE(near(rgb(416, 288), {0, 0, 0}, 0));
}

TEST_F(StarsTest, FieldIsInvisibleBeforeItFadesInAndRepeatsExactly) {
  sceneTime = 3.0f;
  drawStarField(0.0f);
  EXPECT_EQ(litPixels(), 0);

  sceneTime = 50.0f;
  pulsePhase = 123.4f;
  beatIndex = 108;
  accentPulse = 0.6f;
  beatPulse = 0.3f;
  drawStarField(1.0f);
  const auto first = readPixels(0, 0, 640, 480);
  EXPECT_GT(litPixels(), 1000);

  glClear(GL_COLOR_BUFFER_BIT);
  drawStarField(1.0f);
  EXPECT_EQ(readPixels(0, 0, 640, 480), first);
}

TEST_F(StarsTest, AfterTheFadeOnlyAccentedBeatsBringTheLateStarsBack) {
  sceneTime = 145.0f;
  beatIndex = 312;  // a multiple of four
  accentPulse = 1.0f;
  drawStarField(0.0f);
  EXPECT_GT(litPixels(), 1000);

  // Below half of the accent pulse the alpha stays negative.
  glClear(GL_COLOR_BUFFER_BIT);
  accentPulse = 0.4f;
  drawStarField(0.0f);
  EXPECT_EQ(litPixels(), 0);

  // The other beats lift alpha by at most 0.1, which only cancels the late form's -0.1.
  glClear(GL_COLOR_BUFFER_BIT);
  beatIndex = 313;
  beatPulse = 1.0f;
  accentPulse = 1.0f;
  drawStarField(0.0f);
  EXPECT_EQ(litPixels(), 0);
}

TEST_F(StarsTest, LateFormIsLargerThanTheEarlyOne) {
  beatIndex = 101;
  sceneTime = 87.99f;
  drawStarField(1.0f);
  const int early = litPixels();
  glClear(GL_COLOR_BUFFER_BIT);
  sceneTime = 88.0f;
  drawStarField(1.0f);
  const int late = litPixels();
  EXPECT_GT(early, 0);
  EXPECT_GT(late, early * 3);
}

}  // namespace
