#include "assets/bitmap_font.h"

#include <gtest/gtest.h>

#include <bitset>
#include <string>

#include "platform/glyphs.h"
#include "tests/support/gl_fixture.h"

namespace {

class BitmapFontTest : public GlTest {
 protected:
  static void SetUpTestSuite() {
    GlTest::SetUpTestSuite();
    ASSERT_TRUE(platform::rasteriseGlyphs("Arial Black", 700, 35, 32, 96, &glyphs, nullptr));
  }

  void SetUp() override {
    GlTest::SetUp();
    while (glGetError() != GL_NO_ERROR) {
    }
    buildFont();
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 640, 0, 480, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 1, 1);
    glRasterPos2i(START_X, START_Y);
  }

  static const platform::GlyphBitmap& glyph(char c) { return glyphs[size_t(c - 32)]; }
  static float advanceOf(const std::string& text) {
    float sum = 0;
    for (char c : text) sum += glyph(c).advance;
    return sum;
  }
  static int bitsOf(char c) {
    int bits = 0;
    for (uint8_t byte : glyph(c).rows) bits += int(std::bitset<8>(byte).count());
    return bits;
  }
  static std::array<float, 4> rasterPosition() {
    std::array<float, 4> p{};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, p.data());
    return p;
  }
  // Lit pixels of the whole back buffer and their bounding box.
  struct Ink {
    int count = 0, left = 1 << 20, bottom = 1 << 20, right = -1, top = -1;
  };
  static Ink ink() {
    Ink result;
    const auto pixels = readPixels(0, 0, 640, 480);
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) {
        if (pixels[(size_t(y) * 640 + x) * 4] < 128) continue;
        ++result.count;
        result.left = std::min(result.left, x);
        result.right = std::max(result.right, x);
        result.bottom = std::min(result.bottom, y);
        result.top = std::max(result.top, y);
      }
    }
    return result;
  }

  static constexpr int START_X = 100;
  static constexpr int START_Y = 200;
  static std::vector<platform::GlyphBitmap> glyphs;
};

std::vector<platform::GlyphBitmap> BitmapFontTest::glyphs;

TEST_F(BitmapFontTest, GlyphIsDrawnAtTheRasterPositionAndMovesItByItsAdvance) {
  printText("A");
  const platform::GlyphBitmap& a = glyph('A');
  const Ink drawn = ink();
  EXPECT_EQ(drawn.count, bitsOf('A'));
  EXPECT_EQ(drawn.left, START_X - int(a.originX));
  EXPECT_EQ(drawn.bottom, START_Y - int(a.originY));
  EXPECT_EQ(drawn.right, START_X - int(a.originX) + a.width - 1);
  EXPECT_EQ(drawn.top, START_Y - int(a.originY) + a.height - 1);
  EXPECT_FLOAT_EQ(rasterPosition()[0], START_X + a.advance);
  EXPECT_FLOAT_EQ(rasterPosition()[1], START_Y);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(BitmapFontTest, SpaceBetweenTwoLettersAdvancesByAllThreeWidths) {
  printText("A B");
  EXPECT_FLOAT_EQ(rasterPosition()[0], START_X + advanceOf("A B"));
  const Ink drawn = ink();
  EXPECT_EQ(drawn.count, bitsOf('A') + bitsOf('B'));
  const platform::GlyphBitmap& b = glyph('B');
  EXPECT_EQ(drawn.right, int(START_X + advanceOf("A ")) - int(b.originX) + b.width - 1);
}

TEST_F(BitmapFontTest, ListBaseIsRestoredAfterDrawing) {
  glListBase(7);
  printText("Hi");
  GLint base = 0;
  glGetIntegerv(GL_LIST_BASE, &base);
  EXPECT_EQ(base, 7);
  EXPECT_FLOAT_EQ(rasterPosition()[0], START_X + advanceOf("Hi"));
}

TEST_F(BitmapFontTest, NullOrEmptyFormatDrawsNothingAndLeavesTheRasterPosition) {
  glListBase(3);
  const auto before = rasterPosition();
  printText(nullptr);
  printText("");
  EXPECT_EQ(rasterPosition(), before);
  EXPECT_EQ(ink().count, 0);
  GLint base = 0;
  glGetIntegerv(GL_LIST_BASE, &base);
  EXPECT_EQ(base, 3);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(BitmapFontTest, FormatsArgumentsAndCutsLongTextsAt255Characters) {
  printText("%d%s", 42, "A");
  EXPECT_FLOAT_EQ(rasterPosition()[0], START_X + advanceOf("42A"));

  glRasterPos2i(0, 10);
  const std::string dots(400, '.');
  printText("%s", dots.c_str());
  EXPECT_FLOAT_EQ(rasterPosition()[0], 255 * glyph('.').advance);
}

TEST_F(BitmapFontTest, CodesWithoutAGlyphNeitherDrawNorMove) {
  // A list that happens to carry the name code 0x80 would reach: it must not be called.
  const GLubyte unused = 0;
  glNewList(fontListBase + 96, GL_COMPILE);
  glBitmap(0, 0, 0, 0, 1000, 0, &unused);
  glEndList();
  glNewList(fontListBase - 32 + 1, GL_COMPILE);
  glBitmap(0, 0, 0, 0, 1000, 0, &unused);
  glEndList();
  printText("A\x80\x01" "B");
  EXPECT_FLOAT_EQ(rasterPosition()[0], START_X + advanceOf("AB"));
  glDeleteLists(fontListBase + 96, 1);
  glDeleteLists(fontListBase - 32 + 1, 1);
}

}  // namespace
