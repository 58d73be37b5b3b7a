#include "fx/feedback_blur.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "assets/textures.h"
#include "fx/grid_mesh.h"
#include "fx/quads.h"
#include "fx/rippling_surface.h"
#include "show/frame.h"
#include "tests/fx/fx_pictures.h"
#include "tests/support/gl_fixture.h"

namespace {

constexpr int SIZE = 256;
using Image = std::vector<double>;  // RGB, row t = 0 first, 0..255

Image toImage(const std::vector<uint8_t>& bytes, int channels) {
  Image out(size_t(SIZE) * SIZE * 3);
  for (size_t i = 0; i < size_t(SIZE) * SIZE; ++i) {
    for (int c = 0; c < 3; ++c) out[i * 3 + c] = bytes[i * channels + c];
  }
  return out;
}

// Linear filtering with repeat wrap at texel-space position (x, y), texel centres on integers.
double sample(const Image& img, double x, double y, int c) {
  const double fx = std::floor(x), fy = std::floor(y);
  const double ax = x - fx, ay = y - fy;
  auto texel = [&](int s, int t) {
    s = ((s % SIZE) + SIZE) % SIZE;
    t = ((t % SIZE) + SIZE) % SIZE;
    return img[(size_t(t) * SIZE + s) * 3 + c];
  };
  const int s0 = int(fx), t0 = int(fy);
  return (1 - ax) * (1 - ay) * texel(s0, t0) + ax * (1 - ay) * texel(s0 + 1, t0) +
         (1 - ax) * ay * texel(s0, t0 + 1) + ax * ay * texel(s0 + 1, t0 + 1);
}

// An 8-bit framebuffer blends with the alpha 0.25 stored as 64/255.
constexpr double QUARTER = 64.0 / 255.0;

// The blur worked out on the CPU: four diagonal taps at a quarter each, the spread growing by
// half per pass, each pass stored at eight bits as the framebuffer does.
Image referenceBlur(Image img, int passes) {
  float spread = 0.8f;
  for (int pass = 0; pass < passes; ++pass) {
    Image next(img.size());
    for (int t = 0; t < SIZE; ++t) {
      for (int s = 0; s < SIZE; ++s) {
        for (int c = 0; c < 3; ++c) {
          double sum = 0;
          for (auto [du, dv] : {std::pair{1, 1}, {-1, 1}, {-1, -1}, {1, -1}}) {
            sum = std::round(sum + QUARTER * sample(img, s + du * double(spread), t + dv * double(spread), c));
          }
          next[(size_t(t) * SIZE + s) * 3 + c] = std::min(sum, 255.0);
        }
      }
    }
    img = next;
    spread = float(spread * 1.5);
  }
  return img;
}

double maxDifference(const Image& a, const Image& b) {
  double worst = 0;
  for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::fabs(a[i] - b[i]));
  return worst;
}

double meanDifference(const Image& a, const Image& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += std::fabs(a[i] - b[i]);
  return sum / double(a.size());
}

// A deterministic noisy picture with a few sharp edges.
std::vector<uint8_t> noisyPicture() {
  std::vector<uint8_t> rgb(size_t(SIZE) * SIZE * 3);
  uint32_t state = 12345;
  for (size_t i = 0; i < rgb.size(); i += 3) {
    state = state * 1664525u + 1013904223u;
    const int s = int(i / 3 % SIZE), t = int(i / 3 / SIZE);
    rgb[i] = uint8_t(state >> 24);
    rgb[i + 1] = uint8_t((s / 16 + t / 16) % 2 ? 230 : 20);
    rgb[i + 2] = uint8_t(s);
  }
  return rgb;
}

class FeedbackBlurTest : public GlTest {
 protected:
  void TearDown() override {
    glDeleteTextures(1, &source);
    glDeleteTextures(1, &target);
  }
  void makeTargets(const std::vector<uint8_t>& picture) {
    source = makeTexture(SIZE, SIZE, picture);
    target = makeTexture(SIZE, SIZE, std::vector<uint8_t>(size_t(SIZE) * SIZE * 3, 99));
  }
  Image targetImage() { return toImage(readTexture(target, 0, nullptr, nullptr), 4); }

  GLuint source = 0, target = 0;
};

TEST_F(FeedbackBlurTest, UniformSourceStaysUniform) {
  makeTargets(std::vector<uint8_t>(size_t(SIZE) * SIZE * 3, 0));
  const uint8_t colour[3] = {201, 98, 37};
  std::vector<uint8_t> picture(size_t(SIZE) * SIZE * 3);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = colour[i % 3];
  glDeleteTextures(1, &source);
  source = makeTexture(SIZE, SIZE, picture);
  for (int passes : {1, 4, 7}) {
    SCOPED_TRACE(passes);
    feedbackBlur(source, target, passes);
    Image out = targetImage();
    for (int c = 0; c < 3; ++c) {
      double lo = 255, hi = 0;
      for (size_t i = c; i < out.size(); i += 3) {
        lo = std::min(lo, out[i]);
        hi = std::max(hi, out[i]);
      }
      EXPECT_EQ(lo, hi) << "channel " << c;
      // Each of the four quarters may lose a fraction of a level to the 8-bit framebuffer.
      EXPECT_LE(std::fabs(lo - colour[c]), 2.0) << "channel " << c;
    }
  }
}

TEST_F(FeedbackBlurTest, PassesMatchTheFourTapAverage) {
  const auto picture = noisyPicture();
  makeTargets(picture);
  const Image original = toImage(picture, 3);

  feedbackBlur(source, target, 1);
  const Image one = targetImage();
  // The rasteriser's filter weights cost a level or so here and there.
  const Image expectOne = referenceBlur(original, 1);
  EXPECT_LE(maxDifference(one, expectOne), 3.0);
  EXPECT_LE(meanDifference(one, expectOne), 0.3);
  // Not merely close to the source: the taps really moved and mixed.
  EXPECT_GT(maxDifference(one, original), 50.0);
  // The lower-left corner of the back buffer holds what was copied.
  EXPECT_EQ(maxDifference(toImage(readPixels(0, 0, SIZE, SIZE), 4), one), 0.0);

  // Four passes at 0.8, 1.2, 1.8 and 2.7 texels, each reading the previous one.
  feedbackBlur(source, target, 4);
  const Image expectFour = referenceBlur(original, 4);
  EXPECT_LE(maxDifference(targetImage(), expectFour), 5.0);
  EXPECT_LE(meanDifference(targetImage(), expectFour), 0.75);
}

TEST_F(FeedbackBlurTest, BrightTexelAtTheLeftEdgeReachesTheRightEdge) {
  std::vector<uint8_t> picture(size_t(SIZE) * SIZE * 3, 0);
  std::fill_n(&picture[size_t(128) * SIZE * 3], 3, 255);  // texel (s 0, t 128)
  makeTargets(picture);
  feedbackBlur(source, target, 1);
  const Image out = targetImage();
  const Image expected = referenceBlur(toImage(picture, 3), 1);
  auto at = [](const Image& img, int s, int t) { return img[(size_t(t) * SIZE + s) * 3]; };
  // 0.25 x (0.8 x 0.2 + 0.8 x 0.2) of full white through the wrapped taps.
  EXPECT_NEAR(at(expected, 255, 128), 20.0, 1.0);
  EXPECT_NEAR(at(out, 255, 128), at(expected, 255, 128), 2.0);
  EXPECT_GT(at(out, 255, 129), 0.0);
  EXPECT_EQ(at(out, 128, 128), 0.0);
}

TEST_F(FeedbackBlurTest, ZeroPassesLeaveTheTargetAlone) {
  makeTargets(noisyPicture());
  const auto before = readTexture(target, 0, nullptr, nullptr);
  glColor4f(1, 0, 0, 1);
  glRecti(-1, -1, 1, 1);  // something on screen for the clear to remove
  feedbackBlur(source, target, 0);
  EXPECT_EQ(readTexture(target, 0, nullptr, nullptr), before);

  auto corner = readPixels(0, 0, 640, 480);
  size_t notCleared = 0;
  for (size_t i = 0; i < corner.size(); i += 4) {
    notCleared += corner[i] != 0 || corner[i + 1] != 0 || corner[i + 2] != 0 || corner[i + 3] != 128;
  }
  EXPECT_EQ(notCleared, 0u);
  GLint value = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
  EXPECT_EQ(GLuint(value), source);
  glGetIntegerv(GL_BLEND_SRC, &value);
  EXPECT_EQ(value, GL_SRC_ALPHA);
  glGetIntegerv(GL_BLEND_DST, &value);
  EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(FeedbackBlurTest, LeavesTheStateTheFrameRelieson) {
  makeTargets(noisyPicture());
  // Depth written everywhere and colour everywhere, so the clear has something to undo.
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_ALWAYS);
  glColor4f(0, 1, 0, 1);
  glBegin(GL_QUADS);
  glVertex3f(-1, -1, 0);
  glVertex3f(1, -1, 0);
  glVertex3f(1, 1, 0);
  glVertex3f(-1, 1, 0);
  glEnd();
  glDepthFunc(GL_LEQUAL);
  glDisable(GL_DEPTH_TEST);
  glViewport(3, 4, 50, 60);
  showProjection();
  glRotatef(30, 0, 0, 1);
  GLfloat projection[16], modelview[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  glMatrixMode(GL_PROJECTION);

  feedbackBlur(source, target, 2);

  GLint value = 0;
  glGetIntegerv(GL_MATRIX_MODE, &value);
  EXPECT_EQ(value, GL_MODELVIEW);
  GLfloat m[16];
  glGetFloatv(GL_PROJECTION_MATRIX, m);
  EXPECT_EQ(std::memcmp(m, projection, sizeof m), 0);
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_EQ(std::memcmp(m, modelview, sizeof m), 0);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ((std::vector<GLint>(viewport, viewport + 4)), (std::vector<GLint>{0, 0, 640, 480}));
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
  EXPECT_EQ(GLuint(value), target);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  glGetIntegerv(GL_BLEND_SRC, &value);
  EXPECT_EQ(value, GL_SRC_ALPHA);
  glGetIntegerv(GL_BLEND_DST, &value);
  EXPECT_EQ(value, GL_ONE);
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ((std::vector<float>(colour, colour + 4)), (std::vector<float>{1, 1, 1, 0.25f}));
  GLint format = 0, width = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(format, GL_RGB);
  EXPECT_EQ(width, SIZE);

  // Outside the corner only the clear colour; no depth written anywhere.
  auto screen = readPixels(0, 0, 640, 480);
  size_t notCleared = 0;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      if (x < SIZE && y < SIZE) continue;
      const uint8_t* p = &screen[(size_t(y) * 640 + x) * 4];
      notCleared += p[0] != 0 || p[1] != 0 || p[2] != 0 || p[3] != 128;
    }
  }
  EXPECT_EQ(notCleared, 0u);
  std::vector<float> depth(640 * 480);
  glReadPixels(0, 0, 640, 480, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
  EXPECT_TRUE(std::all_of(depth.begin(), depth.end(), [](float d) { return d == 1.0f; }));
}

// The show's chain at a few moments: the surface captured, then blurred. The pictures are kept
// for looking at; the blurred one must be the four-pass filter of what was captured.
TEST_F(FeedbackBlurTest, SurfaceCaptureAndItsBlur) {
  if (!surfaceMesh) {
    surfaceMesh = new GridMesh;
    surfaceMesh->build(-1.3f, -1.0f, 2.67f, 2.0f, 48, 32, 1);
  }
  if (!textures[TEX_METAL]) textures[TEX_METAL] = makeTexture(256, 256, sphereMapPicture());
  makeTargets(std::vector<uint8_t>(size_t(SIZE) * SIZE * 3, 0));
  std::vector<uint8_t> previous;
  for (float t : {0.0f, 10.0f, 80.0f}) {
    SCOPED_TRACE(t);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    showProjection();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    sceneTime = t;
    beginCapture(source);
    drawSurface();
    endCapture();
    feedbackBlur(source, target, 4);
    const int whole = int(t);
    auto captured = readTexture(source, 0, nullptr, nullptr);
    auto blurred = readTexture(target, 0, nullptr, nullptr);
    EXPECT_TRUE(writeFxPicture("capture_T" + std::to_string(whole) + ".png", SIZE, SIZE, captured));
    EXPECT_TRUE(writeFxPicture("blur_T" + std::to_string(whole) + ".png", SIZE, SIZE, blurred));
    const Image expected = referenceBlur(toImage(captured, 4), 4);
    EXPECT_LE(maxDifference(toImage(blurred, 4), expected), 5.0);
    EXPECT_LE(meanDifference(toImage(blurred, 4), expected), 0.75);
    EXPECT_NE(captured, previous) << "the surface moves";
    previous = captured;
  }
}

}  // namespace
