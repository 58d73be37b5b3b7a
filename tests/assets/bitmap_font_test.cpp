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

namespace {

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
  static float advanceOf(const std::string& text) {
    float sum = 0;
    for (char c : text) sum += glyph(c).advance;
    return sum;
  }
  static int lit() {  // pixels lit on the whole screen
    const auto pixels = readPixels(0, 0, 640, 480);
    int count = 0;
    for (size_t i = 0; i < pixels.size(); i += 4) count += pixels[i] > 127;
    return count;
  }
  static float get(GLenum name) {  // first value of a GL state (the raster position has four)
    GLfloat values[4] = {};
    glGetFloatv(name, values);
    return values[0];
  }
  static constexpr int X = 100, Y = 200;
  static inline std::vector<platform::GlyphBitmap> glyphs;
};

TEST_F(BitmapFontTest, NullFormatLongTextsAndCodesWithoutAGlyph) {
  glListBase(3);
  printText(nullptr);
  EXPECT_FLOAT_EQ(get(GL_CURRENT_RASTER_POSITION), X);
  EXPECT_EQ(lit(), 0);
  printText("%s", std::string(400, '.').c_str());
  EXPECT_FLOAT_EQ(get(GL_CURRENT_RASTER_POSITION), X + 255 * glyph('.').advance);
  // A list that code 0x80 would reach must not be called.
  const GLubyte unused = 0;
  glNewList(fontListBase + 96, GL_COMPILE);
  glBitmap(0, 0, 0, 0, 1000, 0, &unused);
  glEndList();
  glRasterPos2i(X, Y);
  printText("A\x80\x01" "B");
  EXPECT_FLOAT_EQ(get(GL_CURRENT_RASTER_POSITION), X + advanceOf("AB"));
  EXPECT_EQ(get(GL_LIST_BASE), 3);
  glDeleteLists(fontListBase + 96, 1);
}

// A larger frame's glyphs are rasterised at its size, not enlarged: the ink of a capital drawn
// with the lists is the frame's scale times as high as at 640x480, to a pixel.
TEST_F(BitmapFontTest, GlyphsGrowWithTheFrame) {
  const auto inkHeight = [](int frameHeight) {
    EXPECT_TRUE(setFrameHeight(frameHeight));
    buildFont();
    glClear(GL_COLOR_BUFFER_BIT);
    glRasterPos2i(X, 20);
    printText("H");
    const auto pixels = readPixels(0, 0, 640, 480);
    int top = -1, bottom = -1;
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) {
        if (pixels[(size_t(y) * 640 + size_t(x)) * 4] > 127) {
          if (bottom < 0) bottom = y;
          top = y;
        }
      }
    }
    return top < 0 ? 0 : top - bottom + 1;
  };
  const int base = inkHeight(480);
  EXPECT_GE(base, 20);
  for (int frameHeight : {960, 1440, 1080}) {
    const double scale = frameHeight / 480.0;
    EXPECT_NEAR(inkHeight(frameHeight), scale * base, 1.0) << "a frame " << frameHeight << " pixels high";
  }
  setFrameHeight(480);
  buildFont();
}

#ifndef _WIN32  // fontconfig chooses the font on Linux only
TEST(BuildFontDeathTest, WithoutAnyFontOneLineNamesTheFamilyAndTheShowGoesOn) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, so fontconfig reads the empty list
  TempFile config("no-fonts.conf");
  std::ofstream(config.path) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
  EXPECT_EXIT(
      {
        setenv("FONTCONFIG_FILE", config.path.c_str(), 1);
        std::string error;
        if (!platform::openHeadlessGl(64, 64, &error)) std::exit(3);
        buildFont();
        glRasterPos2i(0, 0);
        printText("AB");  // draws nothing, moves nothing
        GLfloat position[4] = {};
        glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
        std::exit(position[0] == 32.0f && glGetError() == GL_NO_ERROR ? 0 : 4);
      },
      testing::ExitedWithCode(0), "kaikuranta: no font found for \"Arial Black\"; the messages will not show\n");
}
#endif

}  // namespace
