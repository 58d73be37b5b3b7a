#pragma once
// The GL test fixture: one headless compatibility context per test program (640x480,
// double-buffered, llvmpipe), reset to a known state before every test.
#include "platform/gl.h"
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

class GlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  // RGBA bytes of the back buffer's rectangle, bottom row first.
  static std::vector<uint8_t> readPixels(int x, int y, int w, int h);
  // A texture level's RGBA bytes (bottom row = t 0 first); leaves the texture bound.
  static std::vector<uint8_t> readTexture(GLuint name, int level);
  // A single-level texture from packed rows (top row first, as pictures are uploaded).
  static GLuint makeTexture(int w, int h, const std::vector<uint8_t>& bytes, GLenum filter = GL_LINEAR,
                            GLenum format = GL_RGB);
};
