#include "tests/show/show_gl_test.h"

#include <cstdlib>
#include <sstream>

#include "assets/bitmap_font.h"
#include "show/frame.h"
#include "show/messages.h"
#include "timing/beat_timing.h"

namespace {

// Distinct colours, so a test can tell which picture was drawn.
const Rgb SLOT_COLOURS[TEX_SLOT_COUNT] = {
    {128, 128, 128},  // TEX_SPIRAL
    {40, 80, 20},     // TEX_FIGURE
    {128, 128, 128},  // TEX_FIGURE_MASK
    {160, 160, 160},  // TEX_METAL
    {0, 0, 0},        {0, 0, 0},
    {255, 255, 255},  // TEX_STAR
    {200, 0, 0},      // TEX_SIDE_A
    {0, 200, 0},      // TEX_SIDE_B
    {0, 0, 200},      // TEX_SIDE_C
    {200, 200, 0},    // TEX_SIDE_D
    {0, 200, 200},    // TEX_SPECIAL_A
    {200, 0, 200},    // TEX_SPECIAL_B
    {120, 60, 200},   // TEX_SPECIAL_C
    {230, 180, 40},   // TEX_BUBBLE
    {255, 255, 255},  // TEX_BUBBLE_MASK
};

bool isRenderTarget(int slot) {
  return slot == TEX_SURFACE_RT || slot == TEX_BLUR_RT || slot == TEX_CARD_RT;
}

}  // namespace

::testing::AssertionResult near(Rgb actual, Rgb expected, int tolerance) {
  for (int i = 0; i < 3; ++i) {
    if (std::abs(actual[size_t(i)] - expected[size_t(i)]) > tolerance) {
      std::ostringstream out;
      out << "(" << actual[0] << ", " << actual[1] << ", " << actual[2] << ") is not within "
          << tolerance << " of (" << expected[0] << ", " << expected[1] << ", " << expected[2]
          << ")";
      return ::testing::AssertionFailure() << out.str();
    }
  }
  return ::testing::AssertionSuccess();
}

void ShowGlTest::SetUpTestSuite() {
  GlTest::SetUpTestSuite();
  if (fontListBase == 0) buildFont();
}

void ShowGlTest::SetUp() {
  GlTest::SetUp();
  for (int slot = 0; slot < TEX_SLOT_COUNT; ++slot) saved_[size_t(slot)] = textures[slot];
  for (int slot = 0; slot <= TEX_CARD_RT; ++slot) {
    if (isRenderTarget(slot)) {
      GLuint name = 0;
      glGenTextures(1, &name);
      glBindTexture(GL_TEXTURE_2D, name);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
      const GLenum format = slot == TEX_CARD_RT ? GL_RGBA : GL_RGB;
      glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), 256, 256, 0, format, GL_UNSIGNED_BYTE,
                   nullptr);
      textures[slot] = name;
      made_.push_back(name);
    } else {
      fillSlot(slot, SLOT_COLOURS[slot]);
    }
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  beatIndex = 0;
  beatPulse = 0.0f;
  accentPulse = 0.0f;
  pulsePhase = 0.0f;
  sceneTime = 0.0f;
  resetMessageState();
  currentMessage = nullptr;
  showProjection();
}

void ShowGlTest::TearDown() {
  if (!made_.empty()) glDeleteTextures(GLsizei(made_.size()), made_.data());
  made_.clear();
  for (int slot = 0; slot < TEX_SLOT_COUNT; ++slot) textures[slot] = saved_[size_t(slot)];
}

GLuint ShowGlTest::fillSlot(int slot, Rgb colour) {
  std::vector<uint8_t> rgb;
  for (int i = 0; i < 16; ++i) {
    for (int c : colour) rgb.push_back(uint8_t(c));
  }
  return fillSlot(slot, 4, 4, rgb);
}

GLuint ShowGlTest::fillSlot(int slot, int w, int h, const std::vector<uint8_t>& rgb) {
  const GLuint name = makeTexture(w, h, rgb);
  textures[slot] = name;
  made_.push_back(name);
  return name;
}

Rgb ShowGlTest::slotColour(int slot) { return SLOT_COLOURS[slot]; }

Rgb ShowGlTest::rgb(int x, int y) {
  const auto p = pixel(x, y);
  return {p[0], p[1], p[2]};
}

int ShowGlTest::countDiffering(int x, int y, int w, int h, Rgb background, int tolerance) {
  const auto pixels = readPixels(x, y, w, h);
  int count = 0;
  for (size_t i = 0; i < pixels.size(); i += 4) {
    for (size_t c = 0; c < 3; ++c) {
      if (std::abs(int(pixels[i + c]) - background[c]) > tolerance) {
        ++count;
        break;
      }
    }
  }
  return count;
}

void ShowGlTest::clearTo(Rgb colour) {
  glClearColor(float(colour[0]) / 255.0f, float(colour[1]) / 255.0f, float(colour[2]) / 255.0f,
               0.5f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  // The show's clear colour, as every frame expects it.
  glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
}
