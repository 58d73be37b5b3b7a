#pragma once
// The show's layers in the headless context, every picture slot a small texture of one known
// colour, so what lands on screen can be told by colour and place.
#include <array>
#include <cstdlib>
#include <vector>

#include "assets/bitmap_font.h"
#include "assets/textures.h"
#include "show/frame.h"
#include "show/messages.h"
#include "tests/support/gl_fixture.h"
#include "timing/beat_timing.h"

using Rgb = std::array<int, 3>;

// Slots up to TEX_BUBBLE_MASK; the two render targets among them are black.
inline const Rgb SLOT_COLOURS[TEX_CARD_RT] = {
    {128, 128, 128}, {40, 80, 20},   {128, 128, 128}, {160, 160, 160}, {0, 0, 0},     {0, 0, 0},
    {255, 255, 255}, {200, 0, 0},    {0, 200, 0},     {0, 0, 200},     {200, 200, 0}, {0, 200, 200},
    {200, 0, 200},   {120, 60, 200}, {230, 180, 40},  {255, 255, 255}};

inline ::testing::AssertionResult near(Rgb a, Rgb e, int tolerance = 3) {
  for (size_t i = 0; i < 3; ++i) {
    if (std::abs(a[i] - e[i]) > tolerance) return ::testing::AssertionFailure() << a[0] << ',' << a[1] << ',' << a[2];
  }
  return ::testing::AssertionSuccess();
}

class ShowGlTest : public GlTest {
 protected:
  static void SetUpTestSuite() {
    GlTest::SetUpTestSuite();
    if (fontListBase == 0) buildFont();
  }
  void SetUp() override {
    GlTest::SetUp();
    for (int slot = 0; slot < TEX_CARD_RT; ++slot) fill(slot, SLOT_COLOURS[slot]);
    for (int rt : {TEX_SURFACE_RT, TEX_BLUR_RT, TEX_CARD_RT}) fill(rt, {0, 0, 0}, 256);
    beatIndex = 0;
    beatPulse = accentPulse = pulsePhase = sceneTime = 0.0f;
    resetMessageState();
    currentMessage = nullptr;
    showProjection();
  }
  void TearDown() override {
    glDeleteTextures(TEX_SLOT_COUNT, textures);
    for (GLuint& name : textures) name = 0;
  }
  // Replaces a slot's texture with one from RGB rows (top row first) or of one colour.
  static void fill(int slot, int w, int h, const std::vector<uint8_t>& rgb) {
    glDeleteTextures(1, &textures[slot]);
    textures[slot] = makeTexture(w, h, rgb);
  }
  static void fill(int slot, Rgb c, int size = 4) {
    std::vector<uint8_t> rgb;
    for (int i = 0; i < size * size; ++i) rgb.insert(rgb.end(), {uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2])});
    fill(slot, size, size, rgb);
  }
  static Rgb rgb(int x, int y) { const auto p = pixel(x, y); return {p[0], p[1], p[2]}; }
  static int lit(int x, int y, int w, int h) {  // pixels that are not black
    const auto p = readPixels(x, y, w, h);
    int count = 0;
    for (size_t i = 0; i < p.size(); i += 4) count += (p[i] | p[i + 1] | p[i + 2]) != 0;
    return count;
  }
  static void clearTo(Rgb c) {  // leaves it as the clear colour for the rest of the test
    glClearColor(float(c[0]) / 255.0f, float(c[1]) / 255.0f, float(c[2]) / 255.0f, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
};
