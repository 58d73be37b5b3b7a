// What the blur leaves behind for the layers drawn after it. Its picture, the viewport, matrices
// and depth test it restores show in every frame; the blending it turns off does not, since every
// layer after it sets its own.
#include "fx/feedback_blur.h"

#include "tests/support/gl_fixture.h"

using FeedbackBlurTest = GlTest;

TEST_F(FeedbackBlurTest, LeavesBlendingOffAndTexturingOn) {
  const GLuint pictures[] = {makeTexture(256, 256, std::vector<uint8_t>(256 * 256 * 3, 200)),
                             makeTexture(256, 256, std::vector<uint8_t>(256 * 256 * 3, 99))};
  feedbackBlur(pictures[0], pictures[1], 2);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  glDeleteTextures(2, pictures);
}
