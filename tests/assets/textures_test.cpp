#include "assets/textures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "tests/assets/test_pictures.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/scratch_dir.h"

namespace {

struct ShowPicture {
  int slot;
  const char* name;
  int width, height;
  uint8_t r, g, b;
};

// Every picture in its own flat colour, so a texture can be traced back to the file it came
// from; sizes mix the power-of-two sides the show uses with one that the mipmap builder rescales.
const ShowPicture SHOW_PICTURES[] = {
    {TEX_SPIRAL, "spiralkeltainen.jpg", 512, 512, 230, 200, 20},
    {TEX_FIGURE, "kasvot.jpg", 256, 256, 200, 30, 30},
    {TEX_FIGURE_MASK, "maski.jpg", 256, 256, 250, 250, 250},
    {TEX_METAL, "metalli.jpg", 256, 256, 120, 120, 140},
    {TEX_STAR, "star.jpg", 256, 256, 30, 200, 30},
    {TEX_SIDE_A, "mutsis.jpg", 512, 512, 30, 30, 200},
    {TEX_SIDE_B, "tarrat.jpg", 256, 256, 200, 30, 200},
    {TEX_SIDE_C, "kaiku.jpg", 256, 256, 30, 200, 200},
    {TEX_SIDE_D, "scene.jpg", 300, 200, 200, 120, 30},
    {TEX_SPECIAL_A, "vekkuli.jpg", 256, 256, 100, 30, 160},
    {TEX_SPECIAL_B, "suck.jpg", 256, 256, 30, 100, 60},
    {TEX_SPECIAL_C, "kurwa.jpg", 256, 256, 160, 160, 60},
    {TEX_BUBBLE, "kupla.jpg", 256, 256, 240, 160, 160},
    {TEX_BUBBLE_MASK, "kupla_maski.jpg", 256, 256, 10, 10, 10},
};

GLint texParameter(GLenum name) {
  GLint value = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
  return value;
}

GLint levelParameter(int level, GLenum name) {
  GLint value = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
  return value;
}

bool isPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

void writeShowPictures(const ScratchDir& dir, int count) {
  dir.makeDir("data");
  for (int i = 0; i < count; ++i) {
    const ShowPicture& p = SHOW_PICTURES[i];
    TestPicture picture(p.width, p.height);
    picture.fill(0, 0, p.width, p.height, {p.r, p.g, p.b});
    ASSERT_TRUE(writeJpeg(dir.file(std::string("data/") + p.name), picture));
  }
}

using LoadTexturesTest = GlTest;

TEST_F(LoadTexturesTest, EverySlotHoldsItsPictureOrRenderTarget) {
  ScratchDir dir;
  writeShowPictures(dir, 14);
  while (glGetError() != GL_NO_ERROR) {
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 2);  // whatever the caller had must survive the uploads
  {
    WorkingDirectory inside(dir.path());
    EXPECT_TRUE(loadTextures());
  }
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 2);

  std::set<GLuint> names(textures, textures + TEX_SLOT_COUNT);
  EXPECT_EQ(names.size(), size_t(TEX_SLOT_COUNT));
  EXPECT_EQ(names.count(0), 0u);

  for (const ShowPicture& p : SHOW_PICTURES) {
    SCOPED_TRACE(p.name);
    glBindTexture(GL_TEXTURE_2D, textures[p.slot]);
    EXPECT_EQ(texParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(texParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(texParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(texParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    int w = levelParameter(0, GL_TEXTURE_WIDTH), h = levelParameter(0, GL_TEXTURE_HEIGHT);
    ASSERT_TRUE(isPowerOfTwo(w) && isPowerOfTwo(h)) << w << "x" << h;
    if (isPowerOfTwo(p.width) && isPowerOfTwo(p.height)) {
      EXPECT_EQ(w, p.width);
      EXPECT_EQ(h, p.height);
    }
    // A complete chain: every level halves down to 1x1 and nothing follows it.
    int level = 0;
    while (w > 1 || h > 1) {
      ++level;
      w = std::max(1, w / 2);
      h = std::max(1, h / 2);
      ASSERT_EQ(levelParameter(level, GL_TEXTURE_WIDTH), w) << "level " << level;
      ASSERT_EQ(levelParameter(level, GL_TEXTURE_HEIGHT), h) << "level " << level;
    }
    EXPECT_EQ(levelParameter(level + 1, GL_TEXTURE_WIDTH), 0);
    int tw = 0, th = 0;
    const auto texels = readTexture(textures[p.slot], 0, &tw, &th);
    const size_t middle = (size_t(th / 2) * size_t(tw) + size_t(tw / 2)) * 4;
    EXPECT_NEAR(texels[middle], p.r, 6);
    EXPECT_NEAR(texels[middle + 1], p.g, 6);
    EXPECT_NEAR(texels[middle + 2], p.b, 6);
  }

  for (int slot : {TEX_SURFACE_RT, TEX_BLUR_RT, TEX_CARD_RT}) {
    SCOPED_TRACE(slot);
    glBindTexture(GL_TEXTURE_2D, textures[slot]);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 256);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_HEIGHT), 256);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), slot == TEX_CARD_RT ? GL_RGBA : GL_RGB);
    EXPECT_EQ(levelParameter(1, GL_TEXTURE_WIDTH), 0) << "render targets have a single level";
    EXPECT_EQ(texParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(texParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
  }

  for (int slot = 17; slot < TEX_SLOT_COUNT; ++slot) {
    EXPECT_FALSE(glIsTexture(textures[slot])) << "slot " << slot << " is named but never bound";
  }
}

TEST_F(LoadTexturesTest, OddWidthPictureDrawsUpright) {
  // 301 pixels of three bytes leave rows that a four-byte alignment would read skewed: the stripe
  // would lean by a third of a pixel per row and the colours would rotate.
  ScratchDir dir;
  TestPicture picture(301, 200);
  picture.fill(0, 0, 301, 200, {200, 40, 40});
  picture.fill(140, 0, 161, 200, {40, 40, 220});
  picture.fill(0, 0, 301, 20, {40, 220, 40});  // the top rows mark which way is up
  ASSERT_TRUE(writeJpeg(dir.file("odd.jpg"), picture));

  GLuint table[1] = {0};
  loadTexture(table, dir.file("odd.jpg").c_str(), 0);
  ASSERT_NE(table[0], 0u);

  glMatrixMode(GL_PROJECTION);
  glOrtho(0, 640, 0, 480, -1, 1);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, table[0]);
  glBegin(GL_QUADS);  // t = 0 is the picture's top row, drawn at the top of the screen
  glTexCoord2f(0, 1); glVertex2f(0, 0);
  glTexCoord2f(1, 1); glVertex2f(640, 0);
  glTexCoord2f(1, 0); glVertex2f(640, 480);
  glTexCoord2f(0, 0); glVertex2f(0, 480);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  const auto screen = readPixels(0, 0, 640, 480);

  for (int y : {10, 120, 240, 360}) {
    SCOPED_TRACE(y);
    long sum = 0, count = 0;
    for (int x = 0; x < 640; ++x) {
      const uint8_t* p = &screen[(size_t(y) * 640 + x) * 4];
      if (p[2] > 128 && p[0] < 100) {
        sum += x;
        ++count;
      }
    }
    ASSERT_GT(count, 30);
    EXPECT_NEAR(double(sum) / count, 150.5 / 301 * 640, 4) << "the stripe leans";
    const uint8_t* side = &screen[(size_t(y) * 640 + 100) * 4];
    EXPECT_GT(side[0], 150);
    EXPECT_LT(side[2], 90);
  }
  const uint8_t* top = &screen[(size_t(475) * 640 + 100) * 4];
  EXPECT_GT(top[1], 150);
  EXPECT_LT(top[0], 100);
  glDeleteTextures(1, table);
}

TEST_F(LoadTexturesTest, MissingPictureEndsTheProcessNamingTheFile) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // the child needs its own GL context
  EXPECT_EXIT(
      {
        ScratchDir dir;
        writeShowPictures(dir, 3);  // everything before data/metalli.jpg
        WorkingDirectory inside(dir.path());
        loadTextures();
      },
      testing::ExitedWithCode(1), "^kaikuranta: cannot open data/metalli\\.jpg: No such file or directory\n$");
}

}  // namespace
