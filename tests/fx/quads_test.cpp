#include "fx/quads.h"

#include "tests/support/gl_fixture.h"

namespace {

using QuadsTest = GlTest;
using Rgb = std::array<int, 3>;
const Rgb R{255, 0, 0}, G{0, 255, 0}, B{0, 0, 255}, W{255, 255, 255};

TEST_F(QuadsTest, OrientationAndSizeOnScreen) {
  // Uploaded top row first: red, green over blue, white.
  GLuint picture = makeTexture(2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}, GL_NEAREST);
  glEnable(GL_TEXTURE_2D);
  showProjection();
  auto at = [](int x, int y) { auto p = pixel(x, y); return Rgb{p[0], p[1], p[2]}; };
  // Half-height 1 at z = -1 spans the full height; the square then takes the middle 480 columns.
  const struct { void (*quad)(float); float h; int x0, y0, x1, y1; std::array<Rgb, 4> want; } cases[] = {
      {drawWideQuad, 1.0f, 0, 0, 639, 479, {R, G, B, W}},  // bottom-left, bottom-right, top-left, top-right
      {drawWideQuadFlipped, 1.0f, 0, 0, 639, 479, {B, W, R, G}},
      {drawSquare, 1.0f, 80, 0, 559, 479, {B, W, R, G}},
      {drawWideQuad, -1.0f, 0, 0, 639, 479, {W, B, G, R}},
      {drawSquare, -0.5f, 200, 120, 439, 359, {G, R, W, B}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.h);
    glClear(GL_COLOR_BUFFER_BIT);
    c.quad(c.h);
    EXPECT_EQ((std::array<Rgb, 4>{at(c.x0, c.y0), at(c.x1, c.y0), at(c.x0, c.y1), at(c.x1, c.y1)}), c.want);
    const auto row = readPixels(0, 240, 640, 1);  // drawn pixels are opaque, the clear colour is not
    int covered = 0;
    for (size_t i = 3; i < row.size(); i += 4) covered += row[i] == 255;
    EXPECT_EQ(covered, c.x1 - c.x0 + 1);
  }
  glDeleteTextures(1, &picture);
}

TEST_F(QuadsTest, CaptureCopiesTheCornerWithTheBottomRowAtTZero) {
  GLuint target = makeTexture(256, 256, std::vector<uint8_t>(256 * 256 * 3, 7));
  auto viewport = [] { std::array<GLint, 4> v; glGetIntegerv(GL_VIEWPORT, v.data()); return v; };
  glViewport(13, 17, 100, 50);
  beginCapture(target);
  EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 256, 256}));
  // Red counts the screen rows, green the columns.
  std::vector<uint8_t> scene(256 * 256 * 4, 255);
  for (size_t i = 0; i < scene.size(); i += 4) {
    scene[i] = uint8_t(i / 1024), scene[i + 1] = uint8_t(i / 4), scene[i + 2] = 0;
  }
  glRasterPos2f(-1, -1);
  glDrawPixels(256, 256, GL_RGBA, GL_UNSIGNED_BYTE, scene.data());
  glViewport(5, 5, 300, 200);
  endCapture();
  EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 640, 480}));
  EXPECT_TRUE(readTexture(target, 0, nullptr, nullptr) == scene);
  glDeleteTextures(1, &target);
}

TEST_F(QuadsTest, BothWaysOfCopyingTheCornerGiveTheSameTexels) {
  // A software rasteriser gets the read-back route; both must leave every byte as the copy does,
  // alpha included where the texture keeps one (the message card does).
  cornerCopy = CornerCopy::Unchosen;
  GLuint probe = makeTexture(256, 256, std::vector<uint8_t>(256 * 256 * 3, 0));
  copyCorner(probe);
  EXPECT_EQ(cornerCopy, CornerCopy::ReadAndUpload) << "llvmpipe should take the read-back route";
  std::vector<uint8_t> scene(256 * 256 * 4);
  uint32_t state = 99;
  for (uint8_t& byte : scene) byte = uint8_t((state = state * 1664525u + 1013904223u) >> 24);
  glViewport(0, 0, 640, 480);
  glRasterPos2f(-1, -1);
  glDrawPixels(256, 256, GL_RGBA, GL_UNSIGNED_BYTE, scene.data());
  for (GLenum format : {GL_RGB, GL_RGBA}) {
    std::vector<uint8_t> copies[2];
    for (CornerCopy route : {CornerCopy::Copy, CornerCopy::ReadAndUpload}) {
      GLuint target = makeTexture(256, 256, std::vector<uint8_t>(256 * 256 * 3, 7));
      glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), 256, 256, 0, format, GL_UNSIGNED_BYTE,
                   std::vector<uint8_t>(256 * 256 * 4, 7).data());
      cornerCopy = route;
      copyCorner(target);
      GLint bound = 0;
      glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
      EXPECT_EQ(GLuint(bound), target);
      copies[route == CornerCopy::Copy ? 0 : 1] = readTexture(target, 0, nullptr, nullptr);
      glDeleteTextures(1, &target);
    }
    EXPECT_TRUE(copies[0] == copies[1]) << (format == GL_RGB ? "RGB" : "RGBA");
    // The copy itself took the scene (alpha only where the texture has it).
    EXPECT_EQ(copies[0][4 * 1000 + 1], scene[4 * 1000 + 1]);
    EXPECT_EQ(copies[0][4 * 1000 + 3], format == GL_RGB ? 255 : scene[4 * 1000 + 3]);
  }
  cornerCopy = CornerCopy::Unchosen;
  glDeleteTextures(1, &probe);
}

}  // namespace
