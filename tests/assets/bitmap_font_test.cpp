#include "assets/bitmap_font.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "assets/frame_size.h"
#include "platform/glyphs.h"
#include "platform/headless_gl.h"
#include "tests/assets/test_pictures.h"
#include "tests/support/gl_fixture.h"

static float get(GLenum name) {  // first value of a GL state (the raster position has four)
  GLfloat values[4] = {};
  glGetFloatv(name, values);
  return values[0];
}

// What the frames FrameIdentity compares cannot show of the text: what the show's own messages
// never ask of it (no format, a text longer than its buffer, codes without a glyph), and the
// glyphs' size at a larger frame (the comparison leaves out text whose glyphs differ from the
// recorded ones, as they would at a wrong size). Where the glyphs land shows in every frame.
// Expected positions come from the glyphs of whatever face fontconfig matched, never from one face.
class BitmapFontTest : public GlTest {
 protected:
  static void SetUpTestSuite() {
    GlTest::SetUpTestSuite();
    ASSERT_TRUE(platform::rasteriseGlyphs("Arial Black", 700, 35, 32, 96, &glyphs, nullptr));
  }
  void SetUp() override {
    GlTest::SetUp();
    buildFont();
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, 640, 0, 480, -1, 1);
    glRasterPos2i(X, Y);
  }

  static const platform::GlyphBitmap& glyph(char c) { return glyphs[size_t(c - 32)]; }
  // The rows of the screen from the lowest to the highest with a lit pixel; 0 when none is lit.
  static int inkHeight() {
    const auto pixels = readPixels(0, 0, 640, 480);
    std::vector<int> litRows;
    for (size_t i = 0; i < pixels.size(); i += 4) {
      if (pixels[i] > 127) litRows.push_back(int(i / 4 / 640));
    }
    return litRows.empty() ? 0 : litRows.back() - litRows.front() + 1;
  }
  static constexpr int X = 100, Y = 200;
  static inline std::vector<platform::GlyphBitmap> glyphs;
};

TEST_F(BitmapFontTest, NullFormatLongTextsAndCodesWithoutAGlyph) {
  glListBase(3);
  printText(nullptr);
  EXPECT_FLOAT_EQ(get(GL_CURRENT_RASTER_POSITION), X);
  EXPECT_EQ(inkHeight(), 0) << "nothing drawn";
  printText("%s", std::string(400, '.').c_str());
  EXPECT_FLOAT_EQ(get(GL_CURRENT_RASTER_POSITION), X + 255 * glyph('.').advance);
  // A list that code 0x80 would reach must not be called.
  const GLubyte unused = 0;
  glNewList(fontListBase + 96, GL_COMPILE);
  glBitmap(0, 0, 0, 0, 1000, 0, &unused);
  glEndList();
  glRasterPos2i(X, Y);
  printText("A\x80\x01" "B");
  EXPECT_FLOAT_EQ(get(GL_CURRENT_RASTER_POSITION), X + glyph('A').advance + glyph('B').advance);
  EXPECT_EQ(get(GL_LIST_BASE), 3);
  glDeleteLists(fontListBase + 96, 1);
}

// A larger frame's glyphs are rasterised at its size, not enlarged: the ink of a capital drawn
// with the lists is the frame's scale times as high as at 640x480, to a pixel.
TEST_F(BitmapFontTest, GlyphsGrowWithTheFrame) {
  const auto heightAt = [](int frameHeight) {
    EXPECT_TRUE(setFrameHeight(frameHeight));
    buildFont();
    glClear(GL_COLOR_BUFFER_BIT);
    glRasterPos2i(X, 20);
    printText("H");
    return inkHeight();
  };
  const int base = heightAt(480);
  EXPECT_GE(base, 20);
  for (int frameHeight : {960, 1440, 1080}) {
    EXPECT_NEAR(heightAt(frameHeight), frameHeight / 480.0 * base, 1.0) << "a frame " << frameHeight << " pixels high";
  }
  setFrameHeight(480);  // the next test's SetUp builds the font at it
}

#ifndef _WIN32  // fontconfig chooses the font on Linux only
TEST(BuildFontDeathTest, WithoutAnyFontOneLineNamesTheFamilyAndTheShowGoesOn) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, so fontconfig reads the empty list
  TempFile config("no-fonts.conf");
  std::ofstream(config.path) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
  EXPECT_EXIT(
      {
        setenv("FONTCONFIG_FILE", config.path.c_str(), 1);
        if (!platform::openHeadlessGl(64, 64, nullptr)) std::exit(3);
        buildFont();
        glRasterPos2i(0, 0);
        printText("AB");  // draws nothing, moves nothing
        std::exit(get(GL_CURRENT_RASTER_POSITION) == 32.0f && glGetError() == GL_NO_ERROR ? 0 : 4);
      },
      testing::ExitedWithCode(0), "kaikuranta: no font found for \"Arial Black\"; the messages will not show\n");
}
#endif
