#include "show/sprites.h"

#include <algorithm>
#include <tuple>

#include "tests/show/show_gl_test.h"

namespace {

TEST(BeatRule, OnePictureOnEveryEvenBeatAndNoneOnTheOddOnes) {
  for (int32_t b = 0; b <= 340; ++b) EXPECT_EQ((beatImageRight(b) >= 0) + (beatImageLeft(b) >= 0), 1 - b % 2) << b;
}

using SpritesTest = ShowGlTest;

TEST_F(SpritesTest, BeatPicturesSitInTheLowerCornersAndFadeWithTheAccent) {
  const struct { int32_t beat; float accent; int x; Rgb colour; } cases[] = {  // 36: SPECIAL_C at half
      {4, 1, 594, SLOT_COLOURS[TEX_SIDE_A]}, {2, 1, 46, SLOT_COLOURS[TEX_SIDE_C]}, {36, 0.5f, 594, {60, 30, 100}}};
  for (const auto& c : cases) {
    glClear(GL_COLOR_BUFFER_BIT);
    beatIndex = c.beat;
    accentPulse = c.accent;
    drawBeatImages();
    // Half-way to the camera at (+-0.57, -0.47): 48 px either side of (x, 14), cut by the bottom edge.
    EXPECT_TRUE(near(rgb(c.x, 55), c.colour) && near(rgb(c.x, 70), {0, 0, 0}, 0)) << c.beat;
    EXPECT_EQ(lit(0, 0, 640, 480), lit(std::max(0, c.x - 50), 0, 96, 66)) << c.beat;
  }
}

TEST_F(SpritesTest, FigureMaskMultipliesThenTheFigureAddsWithItsBeatGlow) {
  const Rgb background = {200, 100, 60};
  const Rgb atRest = {100 + 40, 50 + 80, 30 + 20};  // background x mask (128/255) + figure
  // On the beat it adds a quarter more of itself; from 148 s it no longer does.
  const std::tuple<float, float, Rgb> cases[] = {
      {20.0f, 0.0f, atRest}, {20.0f, 1.0f, {150, 150, 55}}, {148.0f, 1.0f, atRest}};
  for (const auto& [t, pulse, expected] : cases) {
    sceneTime = t;
    beatPulse = pulse;
    clearTo(background);
    drawFigure(0.3f);
    // Centre x = 0.5 at distance 0.7 is pixel (491, 240).
    EXPECT_TRUE(near(rgb(491, 240), expected)) << t << " " << pulse;
    EXPECT_TRUE(near(rgb(100, 240), background, 0) && near(rgb(491, 460), background, 0));
  }
}

TEST_F(SpritesTest, SpiralCoversTheViewAtAnyAngleAndAFlashLiftsIt) {
  const Rgb surface = {200, 100, 60};
  // surface x (texel 128/255 + flash alpha); 78.8 has a negative flash, which counts as none.
  const std::pair<float, Rgb> cases[] = {
      {50.0f, {100, 50, 30}}, {50.37f, {100, 50, 30}}, {78.8f, {100, 50, 30}}, {80.0f, {220, 110, 66}}};
  for (const auto& [t, expected] : cases) {
    clearTo(surface);
    sceneTime = t;
    drawSpiral();
    for (auto [x, y] : {std::pair{0, 0}, {639, 479}, {0, 479}, {639, 0}, {320, 240}})
      EXPECT_TRUE(near(rgb(x, y), expected)) << x << "," << y << " at " << t;
  }
}

}  // namespace
