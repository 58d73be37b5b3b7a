#include "fx/quads.h"

#include <algorithm>
#include <set>
#include <vector>

#include "tests/support/gl_fixture.h"

namespace {

using Rgb = std::array<int, 3>;
const Rgb RED{255, 0, 0}, GREEN{0, 255, 0}, BLUE{0, 0, 255}, WHITE{255, 255, 255};

class QuadsTest : public GlTest {
 protected:
  // A 2x2 picture uploaded top row first: top row red, green; bottom row blue, white.
  void bindPicture() {
    picture = makeTexture(2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, picture);
    glEnable(GL_TEXTURE_2D);
  }
  void TearDown() override { glDeleteTextures(1, &picture); }

  static Rgb rgb(int x, int y) {
    auto p = pixel(x, y);
    return {p[0], p[1], p[2]};
  }
  // Colours at the bottom-left, bottom-right, top-left and top-right of a rectangle.
  static std::array<Rgb, 4> corners(int x0, int y0, int x1, int y1) {
    return {rgb(x0, y0), rgb(x1, y0), rgb(x0, y1), rgb(x1, y1)};
  }

  GLuint picture = 0;
};

TEST_F(QuadsTest, WideQuadFillsTheScreenWithThePictureUpsideDown) {
  showProjection();
  bindPicture();
  drawWideQuad(1.0f);
  // Every pixel is covered; the picture's top row (red, green) is at the bottom.
  auto all = readPixels(0, 0, 640, 480);
  for (size_t i = 0; i < all.size(); i += 4) ASSERT_EQ(all[i + 3], 255) << "pixel " << i / 4;
  EXPECT_EQ(corners(0, 0, 639, 479), (std::array<Rgb, 4>{RED, GREEN, BLUE, WHITE}));
}

TEST_F(QuadsTest, FlippedQuadAndSquareShowThePictureUpright) {
  showProjection();
  bindPicture();
  drawWideQuadFlipped(1.0f);
  EXPECT_EQ(corners(0, 0, 639, 479), (std::array<Rgb, 4>{BLUE, WHITE, RED, GREEN}));

  glClear(GL_COLOR_BUFFER_BIT);
  drawSquare(1.0f);
  // Half-size 1 at z = -1 spans the full height and the middle 480 columns.
  EXPECT_EQ(corners(80, 0, 559, 479), (std::array<Rgb, 4>{BLUE, WHITE, RED, GREEN}));
  EXPECT_EQ(pixel(79, 240)[3], 128);
  EXPECT_EQ(pixel(560, 240)[3], 128);
}

TEST_F(QuadsTest, NegativeHalfHeightTurnsThePictureHalfARound) {
  showProjection();
  bindPicture();
  drawWideQuad(-1.0f);
  EXPECT_EQ(corners(0, 0, 639, 479), (std::array<Rgb, 4>{WHITE, BLUE, GREEN, RED}));
  glClear(GL_COLOR_BUFFER_BIT);
  drawSquare(-0.5f);
  EXPECT_EQ(corners(200, 120, 439, 359), (std::array<Rgb, 4>{GREEN, RED, WHITE, BLUE}));

  glClear(GL_COLOR_BUFFER_BIT);
  drawWideQuad(0.0f);
  auto all = readPixels(0, 0, 640, 480);
  EXPECT_TRUE(std::all_of(all.begin(), all.end(), [n = 0](uint8_t v) mutable {
    return (n++ % 4 == 3) ? v == 128 : v == 0;
  })) << "a zero half-height covers no pixel";
}

// Corners as GL receives them, read back in feedback mode: the 1.3333 width factor differs
// from 4/3 by far less than a pixel, so only the vertex values show it.
using Corner = std::array<float, 4>;  // x, y, s, t

std::vector<Corner> cornersOf(void (*quad)(float), float h) {
  glViewport(0, 0, 4, 4);  // with this ortho, window x = x + 2 and window y = y + 2
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-2, 2, -2, 2, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  GLfloat buffer[256];
  glFeedbackBuffer(256, GL_3D_COLOR_TEXTURE, buffer);
  glRenderMode(GL_FEEDBACK);
  quad(h);
  const GLint n = glRenderMode(GL_RENDER);
  EXPECT_GT(n, 0);
  // Each vertex comes back as x, y, z, rgba, strq; the quad as one polygon or two triangles.
  std::set<Corner> unique;
  for (GLint i = 0; i < n;) {
    EXPECT_EQ(buffer[i], GLfloat(GL_POLYGON_TOKEN));
    const int count = int(buffer[i + 1]);
    i += 2;
    for (int v = 0; v < count; ++v, i += 11) {
      unique.insert({buffer[i] - 2, buffer[i + 1] - 2, buffer[i + 7], buffer[i + 8]});
    }
  }
  return {unique.begin(), unique.end()};
}

// Sorted by x, then y: bottom-left, top-left, bottom-right, top-right.
void expectCorners(const std::vector<Corner>& got, const std::vector<Corner>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(got[i][c], want[i][c], 1e-6) << "corner " << i;
  }
}

TEST_F(QuadsTest, CornersAndTextureCoordinatesAreExact) {
  const float w = float(1.0 * 1.3333);
  expectCorners(cornersOf(drawWideQuad, 1.0f),
                {{-w, -1, 0, 0}, {-w, 1, 0, 1}, {w, -1, 1, 0}, {w, 1, 1, 1}});
  const float v = float(0.75 * 1.3333);
  expectCorners(cornersOf(drawWideQuadFlipped, 0.75f),
                {{-v, -0.75f, 0, 1}, {-v, 0.75f, 0, 0}, {v, -0.75f, 1, 1}, {v, 0.75f, 1, 0}});
  expectCorners(cornersOf(drawSquare, 0.5f),
                {{-0.5f, -0.5f, 0, 1}, {-0.5f, 0.5f, 0, 0}, {0.5f, -0.5f, 1, 1}, {0.5f, 0.5f, 1, 0}});
}

TEST_F(QuadsTest, CaptureCopiesTheCornerWithTheBottomRowAtTZero) {
  std::vector<uint8_t> blank(256 * 256 * 3, 7);
  GLuint first = makeTexture(256, 256, blank);
  GLuint target = makeTexture(256, 256, blank);
  glViewport(13, 17, 100, 50);
  beginCapture(first);
  beginCapture(target);  // the second name wins
  EXPECT_EQ(captureSlot, target);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ((std::array<GLint, 4>{viewport[0], viewport[1], viewport[2], viewport[3]}),
            (std::array<GLint, 4>{0, 0, 256, 256}));

  // Each screen row gets its own red level, each column its own green level; the pixels just
  // outside the corner are blue and must not be copied.
  std::vector<uint8_t> scene(260 * 260 * 3);
  for (int y = 0; y < 260; ++y) {
    for (int x = 0; x < 260; ++x) {
      uint8_t* p = &scene[(size_t(y) * 260 + x) * 3];
      p[0] = uint8_t(y);
      p[1] = uint8_t(x);
      p[2] = (x >= 256 || y >= 256) ? 255 : 0;
    }
  }
  glViewport(0, 0, 640, 480);
  glRasterPos2f(-1, -1);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glDrawPixels(260, 260, GL_RGB, GL_UNSIGNED_BYTE, scene.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glViewport(5, 5, 300, 200);  // whatever the drawing leaves, the window viewport comes back
  endCapture();

  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ((std::array<GLint, 4>{viewport[0], viewport[1], viewport[2], viewport[3]}),
            (std::array<GLint, 4>{0, 0, 640, 480}));
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(GLuint(bound), target);

  int w = 0, h = 0;
  auto texels = readTexture(target, 0, &w, &h);
  ASSERT_EQ(w, 256);
  ASSERT_EQ(h, 256);
  int wrong = 0;
  for (int t = 0; t < 256; ++t) {
    for (int s = 0; s < 256; ++s) {
      const uint8_t* p = &texels[(size_t(t) * 256 + s) * 4];
      if (p[0] != t || p[1] != s || p[2] != 0) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
  auto untouched = readTexture(first, 0, &w, &h);
  EXPECT_EQ(untouched[0], 7);
  glDeleteTextures(1, &first);
  glDeleteTextures(1, &target);
}

}  // namespace
