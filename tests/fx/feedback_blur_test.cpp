// What the blur leaves behind for the layers drawn after it; its picture is in every frame.
#include "fx/feedback_blur.h"

#include "tests/support/gl_fixture.h"

namespace {

constexpr int N = 256;

using FeedbackBlurTest = GlTest;

TEST_F(FeedbackBlurTest, StateAfterTheCall) {
  auto get = [](GLenum e) { std::array<GLint, 4> v{}; glGetIntegerv(e, v.data()); return v; };
  const GLuint source = makeTexture(N, N, std::vector<uint8_t>(N * N * 3, 200));
  const GLuint target = makeTexture(N, N, std::vector<uint8_t>(N * N * 3, 99));
  for (int passes : {0, 2}) {
    SCOPED_TRACE(passes);
    // Colour everywhere for the blur to leave alone; matrices and viewport to restore.
    glClearColor(1, 1, 1, 1), glClear(GL_COLOR_BUFFER_BIT), glClearColor(0, 0, 0, 0.5f);
    showProjection();
    glViewport(3, 4, 50, 60);
    std::array<GLfloat, 32> before, after;
    glGetFloatv(GL_PROJECTION_MATRIX, &before[0]), glGetFloatv(GL_MODELVIEW_MATRIX, &before[16]);
    glMatrixMode(GL_PROJECTION);
    feedbackBlur(source, target, passes);
    glGetFloatv(GL_PROJECTION_MATRIX, &after[0]), glGetFloatv(GL_MODELVIEW_MATRIX, &after[16]);
    EXPECT_EQ(before, after);
    EXPECT_EQ(get(GL_MATRIX_MODE)[0], GL_MODELVIEW);
    EXPECT_EQ(get(GL_VIEWPORT), (std::array<GLint, 4>{0, 0, 640, 480}));
    EXPECT_TRUE(!glIsEnabled(GL_BLEND) && !glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_TEXTURE_2D));
    if (passes == 0) {
      EXPECT_EQ(readTexture(target, 0, nullptr, nullptr)[4], 99) << "no pass, yet the target changed";
    }
    // Outside the blurred corner the buffer is as it was: the first tap of a pass replaces the
    // corner, so nothing needs clearing.
    auto screen = readPixels(0, 0, 640, 480);
    size_t stray = 0;
    for (size_t i = 0; i < screen.size(); ++i) {
      stray += !(passes && i / 4 % 640 < 256 && i / 4 / 640 < 256) && screen[i] != 255;
    }
    EXPECT_EQ(stray, 0u);
  }
  glDeleteTextures(1, &source);
  glDeleteTextures(1, &target);
}

}  // namespace
