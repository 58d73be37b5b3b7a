#include "fx/feedback_blur.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "tests/support/gl_fixture.h"

namespace {

constexpr int N = 256;
using Image = std::vector<double>;  // RGBA 0..255 as read back, row t = 0 first

// The blur on the CPU: bilinear taps with repeat wrap, each weighted by the alpha 0.25 as an
// 8-bit framebuffer stores it (64/255), the running sum rounded to 8 bits after every tap.
Image referenceBlur(Image img, int passes) {
  float spread = 0.8f;
  for (int pass = 0; pass < passes; ++pass, spread = float(spread * 1.5)) {
    Image next(img.size());
    for (size_t i = 0; i < next.size(); ++i) {
      auto texel = [&](int s, int t) { return img[(size_t(t & 255) * N + (s & 255)) * 4 + i % 4]; };
      double sum = 0;
      for (auto [du, dv] : {std::pair{1, 1}, {-1, 1}, {-1, -1}, {1, -1}}) {
        const double x = double(i / 4 % N) + du * double(spread);
        const double y = double(i / 4 / N) + dv * double(spread);
        const int s = int(std::floor(x)), t = int(std::floor(y));
        const double a = x - s, b = y - t;
        sum = std::round(sum + 64.0 / 255 * ((1 - a) * (1 - b) * texel(s, t) + a * (1 - b) * texel(s + 1, t) +
                                             (1 - a) * b * texel(s, t + 1) + a * b * texel(s + 1, t + 1)));
      }
      next[i] = std::min(sum, 255.0);
    }
    img = next;
  }
  return img;
}

double maxDifference(const Image& a, const Image& b) {
  double worst = 0;
  for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::fabs(a[i] - b[i]));
  return worst;
}

class FeedbackBlurTest : public GlTest {
 protected:
  void TearDown() override { glDeleteTextures(1, &source); glDeleteTextures(1, &target); }
  static Image image(GLuint t) { auto b = readTexture(t, 0, nullptr, nullptr); return {b.begin(), b.end()}; }
  // Blurs into the target; the first call makes the source from `picture`.
  Image blur(const std::vector<uint8_t>& picture, int passes) {
    if (!source) {
      source = makeTexture(N, N, picture);
      target = makeTexture(N, N, std::vector<uint8_t>(N * N * 3, 99));
    }
    feedbackBlur(source, target, passes);
    return image(target);
  }
  GLuint source = 0, target = 0;
};

TEST_F(FeedbackBlurTest, PassesMatchTheFourTapAverage) {
  std::vector<uint8_t> picture(N * N * 3);
  uint32_t state = 12345;
  for (uint8_t& byte : picture) byte = uint8_t((state = state * 1664525u + 1013904223u) >> 24);
  blur(picture, 0);
  const Image original = image(source);
  // The rasteriser's filter weights cost a few levels here and there. Four passes take
  // 0.8, 1.2, 1.8 and 2.7 texels, each reading the one before.
  for (auto [passes, worst] : {std::pair{1, 4.0}, {4, 5.0}}) {
    EXPECT_LE(maxDifference(blur(picture, passes), referenceBlur(original, passes)), worst) << passes;
  }
}

TEST_F(FeedbackBlurTest, StateAfterTheCall) {
  auto get = [](GLenum e) { std::array<GLint, 4> v{}; glGetIntegerv(e, v.data()); return v; };
  blur(std::vector<uint8_t>(N * N * 3, 200), 0);  // makes the textures
  for (int passes : {0, 2}) {
    SCOPED_TRACE(passes);
    // Colour and depth everywhere for the blur to leave alone; matrices and viewport to restore.
    glClearDepth(0.5), glClearColor(1, 1, 1, 1), glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearDepth(1), glClearColor(0, 0, 0, 0.5f);
    showProjection();
    glViewport(3, 4, 50, 60);
    std::vector<float> depthBefore(640 * 480), depth(640 * 480);
    glReadPixels(0, 0, 640, 480, GL_DEPTH_COMPONENT, GL_FLOAT, depthBefore.data());
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
      EXPECT_EQ(image(target)[4], 99) << "no pass, yet the target changed";
    }
    // Outside the blurred corner the buffer is as it was, depth included: the first tap of a
    // pass replaces the corner, so nothing needs clearing.
    auto screen = readPixels(0, 0, 640, 480);
    size_t stray = 0;
    for (size_t i = 0; i < screen.size(); ++i) {
      stray += !(passes && i / 4 % 640 < 256 && i / 4 / 640 < 256) && screen[i] != 255;
    }
    EXPECT_EQ(stray, 0u);
    glReadPixels(0, 0, 640, 480, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    EXPECT_TRUE(depth == depthBefore);
  }
}

}  // namespace
