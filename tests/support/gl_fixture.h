#pragma once
// The GL test fixture: one headless compatibility context per test program (640x480,
// double-buffered, llvmpipe), reset to a known state before every test.
#include "platform/gl.h"
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class GlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  // The show's projection (90 degrees, 640/480) and a modelview translated by -1 along z.
  static void showProjection();
  // RGBA bytes of the back buffer's rectangle, bottom row first.
  static std::vector<uint8_t> readPixels(int x, int y, int w, int h);
  static std::array<uint8_t, 4> pixel(int x, int y) {
    auto p = readPixels(x, y, 1, 1);
    return {p[0], p[1], p[2], p[3]};
  }
  // A texture level's RGBA bytes (bottom row = t 0 first); leaves the binding as it was.
  static std::vector<uint8_t> readTexture(GLuint name, int level, int* w, int* h);
  // A single-level texture from RGB rows (top row first, as pictures are uploaded).
  static GLuint makeTexture(int w, int h, const std::vector<uint8_t>& rgb, GLenum filter = GL_LINEAR);
};
