#include "show/sprites.h"

#include <algorithm>
#include <tuple>

#include "tests/show/show_gl_test.h"

namespace {

TEST(SpiralFlash, FollowsItsWindowsInOrder) {
  // Open at each start; 78.1 lies in windows 3 and 4, and window 3 wins.
  const std::pair<float, double> cases[] = {
      {0.0f, 0.0},  {73.9f, 0.0}, {74.0f, 0.0}, {74.5f, 0.3}, {75.0f, 0.0}, {75.5f, 0.0},
      {76.3f, 0.3}, {78.1f, 0.3}, {80.0f, 0.6}, {82.1f, 0.3}, {83.9f, 0.3}, {86.2f, 0.6},
      {87.2f, 0.0}, {87.3f, 0.0}, {120.0f, 0.0}};
  for (auto [t, flash] : cases) EXPECT_NEAR(spiralFlash(t), flash, 1e-5) << t;
  // Window 4 measures its sine from 79.0, so the stretch after window 3 is negative.
  for (float t = 78.61f; t < 78.99f; t += 0.01f) EXPECT_LT(spiralFlash(t), 0.0f) << t;
}

TEST(BeatRule, OnePictureOnEveryEvenBeatWithThreeSpecials) {
  const int cases[][3] = {  // beat, right slot, left slot
      {0, TEX_SIDE_B, -1},     {2, -1, TEX_SIDE_C},     {4, TEX_SIDE_A, -1},  {6, -1, TEX_SIDE_D},
      {34, -1, TEX_SIDE_C},    {36, TEX_SPECIAL_C, -1}, {38, -1, TEX_SIDE_D}, {40, TEX_SIDE_B, -1},
      {64, TEX_SPECIAL_A, -1}, {66, -1, TEX_SIDE_C},    {68, TEX_SPECIAL_B, -1},
      {70, -1, TEX_SIDE_D},    {72, TEX_SIDE_B, -1},    {100, TEX_SIDE_A, -1}};
  for (const auto& c : cases) {
    EXPECT_EQ(beatImageRight(c[0]), c[1]) << "beat " << c[0];
    EXPECT_EQ(beatImageLeft(c[0]), c[2]) << "beat " << c[0];
  }
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
