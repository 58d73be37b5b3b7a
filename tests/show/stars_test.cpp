#include "show/stars.h"

#include <cstring>

#include "tests/show/show_gl_test.h"

namespace {

TEST(SeedStars, StartsTheGeneratorAfreshEveryTime) {
  seedStars();
  const std::vector<Star> first(std::begin(stars), std::end(stars));
  seedStars();
  EXPECT_EQ(std::memcmp(first.data(), stars, sizeof stars), 0);
}

using StarsTest = ShowGlTest;

TEST_F(StarsTest, OneStarIsPlacedThenSwayedWithTheField) {
  // Half-way to the camera, (0.2, 0.1) is pixel (416, 288); size 0.2 reaches 48 px either side.
  drawStar(0.2f, 0.1f, 0.2f, 0.0f, 1.0f);
  // Additive white at 0.08 off the beat.
  EXPECT_TRUE(near(rgb(416, 288), {20, 20, 20}, 1) && near(rgb(416 + 40, 288), {20, 20, 20}, 1));
  EXPECT_TRUE(near(rgb(416 + 56, 288), {0, 0, 0}, 0));

  // The sway turns the star's position about the view axis: 90 degrees puts it at (-0.1, 0.2).
  glClear(GL_COLOR_BUFFER_BIT);
  beatPulse = 1.0f;
  drawStar(0.2f, 0.1f, 0.2f, 90.0f, 1.0f);
  EXPECT_TRUE(near(rgb(272, 336), {38, 38, 38}, 1) && near(rgb(416, 288), {0, 0, 0}, 0));
}

TEST_F(StarsTest, LateFormFromEightyEightSecondsAndOnlyAccentsBringItBackAfterTheFade) {
  seedStars();
  beatIndex = 101;
  sceneTime = 87.99f;
  drawStarField(1.0f);
  const int early = lit(0, 0, 640, 480);
  glClear(GL_COLOR_BUFFER_BIT);
  sceneTime = 88.0f;
  drawStarField(1.0f);
  EXPECT_GT(early, 0);
  EXPECT_GT(lit(0, 0, 640, 480), early * 3);

  // With the fade at 0 the late form's -0.1 needs more than half an accent to show at all.
  const struct { int32_t beat; float accent, pulse; bool shows; } cases[] = {
      {312, 1.0f, 0.0f, true}, {312, 0.4f, 0.0f, false}, {313, 1.0f, 1.0f, false}};
  sceneTime = 145.0f;
  for (const auto& c : cases) {
    glClear(GL_COLOR_BUFFER_BIT);
    beatIndex = c.beat;
    accentPulse = c.accent;
    beatPulse = c.pulse;
    drawStarField(0.0f);
    EXPECT_EQ(lit(0, 0, 640, 480) > 0, c.shows) << c.beat << " " << c.accent;
  }
}

}  // namespace
