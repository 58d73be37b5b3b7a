#include "show/sprites.h"

#include <cmath>

#include "show/frame.h"
#include "tests/show/show_gl_test.h"
#include "timing/beat_timing.h"

namespace {

TEST(SpiralFlash, FlashesInItsWindowsAndIsZeroOutsideThem) {
  EXPECT_EQ(spiralFlash(0.0f), 0.0f);
  EXPECT_EQ(spiralFlash(73.9f), 0.0f);
  EXPECT_EQ(spiralFlash(74.0f), 0.0f);  // open at its start
  EXPECT_NEAR(spiralFlash(74.5f), 0.3f, 1e-5f);
  EXPECT_NEAR(spiralFlash(75.0f), 0.0f, 1e-5f);
  EXPECT_EQ(spiralFlash(75.5f), 0.0f);
  EXPECT_NEAR(spiralFlash(76.3f), 0.3f, 1e-5f);
  EXPECT_NEAR(spiralFlash(78.1f), 0.3f, 1e-5f);  // the third window wins over the fourth
  EXPECT_NEAR(spiralFlash(80.0f), 0.6f, 1e-5f);
  EXPECT_NEAR(spiralFlash(82.1f), 0.3f, 1e-5f);
  EXPECT_NEAR(spiralFlash(83.9f), 0.3f, 1e-5f);
  EXPECT_NEAR(spiralFlash(86.2f), 0.6f, 1e-5f);
  EXPECT_NEAR(spiralFlash(87.2f), 0.0f, 1e-5f);
  EXPECT_EQ(spiralFlash(87.3f), 0.0f);
  EXPECT_EQ(spiralFlash(120.0f), 0.0f);
  // The fourth window measures its sine from 79.0, so its first stretch is below zero.
  EXPECT_NEAR(spiralFlash(78.8f), 0.6 * std::sin(0.5 * 3.14159265 * (78.8f - 79.0f)), 1e-5);
  for (float t = 78.61f; t < 78.99f; t += 0.01f) EXPECT_LT(spiralFlash(t), 0.0f) << t;
  EXPECT_GT(spiralFlash(79.01f), 0.0f);
}

TEST(BeatRule, PicturesOnEvenBeatsWithThreeSpecials) {
  struct Case {
    int32_t beat;
    int right;
    int left;
  };
  const Case cases[] = {
      {0, TEX_SIDE_B, -1},     {2, -1, TEX_SIDE_C},     {4, TEX_SIDE_A, -1},
      {6, -1, TEX_SIDE_D},     {8, TEX_SIDE_B, -1},     {34, -1, TEX_SIDE_C},
      {36, TEX_SPECIAL_C, -1}, {38, -1, TEX_SIDE_D},    {40, TEX_SIDE_B, -1},
      {44, TEX_SIDE_A, -1},    {64, TEX_SPECIAL_A, -1}, {66, -1, TEX_SIDE_C},
      {68, TEX_SPECIAL_B, -1}, {70, -1, TEX_SIDE_D},    {72, TEX_SIDE_B, -1},
      {76, TEX_SIDE_A, -1},    {100, TEX_SIDE_A, -1},   {104, TEX_SIDE_B, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(beatImageRight(c.beat), c.right) << "beat " << c.beat;
    EXPECT_EQ(beatImageLeft(c.beat), c.left) << "beat " << c.beat;
  }
  // Every even beat of the show has exactly one picture, every odd beat none.
  for (int32_t b = 0; b <= 340; ++b) {
    const int shown = (beatImageRight(b) >= 0) + (beatImageLeft(b) >= 0);
    EXPECT_EQ(shown, b % 2 == 0 ? 1 : 0) << "beat " << b;
  }
}

class SpritesTest : public ShowGlTest {};

// Pixel centres of the two beat pictures: half-way to the camera at x = +-0.57, y = -0.47.
constexpr int RIGHT_X = 594;
constexpr int LEFT_X = 46;
constexpr int PICTURE_Y = 30;

TEST_F(SpritesTest, BeatPicturesFlashInTheLowerCornersOnEvenBeats) {
  accentPulse = 1.0f;
  beatIndex = 4;
  drawBeatImages();
  EXPECT_TRUE(near(rgb(RIGHT_X, PICTURE_Y), slotColour(TEX_SIDE_A)));
  EXPECT_TRUE(near(rgb(LEFT_X, PICTURE_Y), {0, 0, 0}, 0));
  // Half-size 0.1 at that depth is 48 pixels; the bottom edge cuts the lowest part off.
  EXPECT_TRUE(near(rgb(RIGHT_X, 55), slotColour(TEX_SIDE_A)));
  EXPECT_TRUE(near(rgb(RIGHT_X, 70), {0, 0, 0}, 0));
  EXPECT_TRUE(near(rgb(540, PICTURE_Y), {0, 0, 0}, 0));
  EXPECT_EQ(countDiffering(0, 0, 640, 480, {0, 0, 0}), countDiffering(530, 0, 110, 80, {0, 0, 0}));

  glClear(GL_COLOR_BUFFER_BIT);
  beatIndex = 2;
  drawBeatImages();
  EXPECT_TRUE(near(rgb(LEFT_X, PICTURE_Y), slotColour(TEX_SIDE_C)));
  EXPECT_TRUE(near(rgb(RIGHT_X, PICTURE_Y), {0, 0, 0}, 0));

  glClear(GL_COLOR_BUFFER_BIT);
  beatIndex = 36;
  drawBeatImages();
  EXPECT_TRUE(near(rgb(RIGHT_X, PICTURE_Y), slotColour(TEX_SPECIAL_C)));

  // Each picture fades out with the accent pulse.
  glClear(GL_COLOR_BUFFER_BIT);
  beatIndex = 8;
  accentPulse = 0.5f;
  drawBeatImages();
  EXPECT_TRUE(near(rgb(RIGHT_X, PICTURE_Y), {0, 100, 0}));

  // Beat 0 picks a picture, but the pulse has not started: nothing shows.
  glClear(GL_COLOR_BUFFER_BIT);
  beatIndex = 0;
  accentPulse = 0.0f;
  drawBeatImages();
  EXPECT_EQ(countDiffering(0, 0, 640, 480, {0, 0, 0}, 0), 0);

  accentPulse = 1.0f;
  for (int32_t odd : {1, 5, 35, 37, 65, 69}) {
    glClear(GL_COLOR_BUFFER_BIT);
    beatIndex = odd;
    drawBeatImages();
    EXPECT_EQ(countDiffering(0, 0, 640, 480, {0, 0, 0}, 0), 0) << "beat " << odd;
  }
}

// The figure's centre: x = 0.5 at distance 0.7 (z offset 0.3).
constexpr int FIGURE_X = 491;
constexpr int FIGURE_Y = 240;

TEST_F(SpritesTest, FigureMaskMultipliesAndTheFigureAddsWithItsBeatGlow) {
  const Rgb background = {200, 100, 60};
  // background x mask (128/255) + figure (40, 80, 20)
  const Rgb atRest = {100 + 40, 50 + 80, 30 + 20};
  sceneTime = 20.0f;

  clearTo(background);
  drawFigure(0.3f);
  EXPECT_TRUE(near(rgb(FIGURE_X, FIGURE_Y), atRest));
  EXPECT_TRUE(near(rgb(100, 240), background, 0));
  EXPECT_TRUE(near(rgb(FIGURE_X, 460), background, 0));

  // On the beat the figure adds a quarter more of itself.
  clearTo(background);
  beatPulse = 1.0f;
  drawFigure(0.3f);
  EXPECT_TRUE(near(rgb(FIGURE_X, FIGURE_Y), {100 + 50, 50 + 100, 30 + 25}));

  // From 148 s the figure no longer reacts to the beat.
  clearTo(background);
  sceneTime = 148.0f;
  drawFigure(0.3f);
  EXPECT_TRUE(near(rgb(FIGURE_X, FIGURE_Y), atRest));
}

TEST_F(SpritesTest, SpiralDarkensTheSurfaceAndAFlashLiftsIt) {
  const Rgb surface = {200, 100, 60};
  // surface x (spiral 128/255 + flash alpha), everywhere on screen whatever the angle.
  for (float t : {50.0f, 50.37f}) {
    clearTo(surface);
    sceneTime = t;
    drawSpiral();
    for (auto [x, y] : {std::pair{0, 0}, {639, 479}, {0, 479}, {639, 0}, {320, 240}}) {
      EXPECT_TRUE(near(rgb(x, y), {100, 50, 30})) << x << "," << y << " at " << t;
    }
  }
  clearTo(surface);
  sceneTime = 80.0f;
  drawSpiral();
  EXPECT_TRUE(near(rgb(320, 240), {220, 110, 66}));

  // A negative flash acts as none.
  clearTo(surface);
  sceneTime = 78.8f;
  drawSpiral();
  EXPECT_TRUE(near(rgb(320, 240), {100, 50, 30}));
}

}  // namespace
