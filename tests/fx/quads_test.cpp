#include "fx/quads.h"

#include <array>

#include "tests/support/gl_fixture.h"

using QuadsTest = GlTest;

// Where the quads and the captures land shows in every frame; the copy a GPU takes does not.
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
  glRasterPos2f(-1, -1);
  glDrawPixels(256, 256, GL_RGBA, GL_UNSIGNED_BYTE, scene.data());
  for (GLenum format : {GL_RGB, GL_RGBA}) {
    std::vector<uint8_t> copies[2];
    for (CornerCopy route : {CornerCopy::Copy, CornerCopy::ReadAndUpload}) {
      GLuint target = makeTexture(256, 256, std::vector<uint8_t>(256 * 256 * 4, 7), GL_LINEAR, format);
      cornerCopy = route;
      beginCapture(target);
      glViewport(5, 5, 300, 200);
      endCapture();
      // The capture gives the show's viewport back and leaves the target bound.
      std::array<GLint, 5> state;
      glGetIntegerv(GL_VIEWPORT, state.data());
      glGetIntegerv(GL_TEXTURE_BINDING_2D, &state[4]);
      EXPECT_EQ(state, (std::array<GLint, 5>{0, 0, 640, 480, GLint(target)}));
      copies[route == CornerCopy::Copy ? 0 : 1] = readTexture(target, 0);
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
