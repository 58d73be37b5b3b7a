#include "platform/glyphs.h"

#include <gtest/gtest.h>

#include <bitset>

namespace {

const platform::GlyphBitmap& glyphOf(const std::vector<platform::GlyphBitmap>& glyphs, char c) {
  return glyphs[size_t(c - 32)];
}

int rowBits(const platform::GlyphBitmap& glyph, int row) {
  const int rowBytes = (glyph.width + 7) / 8;
  int bits = 0;
  for (int i = 0; i < rowBytes; ++i) bits += int(std::bitset<8>(glyph.rows[size_t(row * rowBytes + i)]).count());
  return bits;
}

}  // namespace

// Which face fontconfig picks depends on the fonts installed, so these check only what any
// face must give: sizes that follow the em height, packed bottom-up rows, sane metrics.
TEST(RasteriseGlyphs, GivesPackedBottomUpBitmapsAtTheEmHeight) {
  std::vector<platform::GlyphBitmap> glyphs;
  std::string file;
  ASSERT_TRUE(platform::rasteriseGlyphs("Arial Black", 700, 35, 32, 96, &glyphs, &file));
  ASSERT_EQ(glyphs.size(), 96u);
  EXPECT_FALSE(file.empty());

  for (char c = 33; c < 127; ++c) {
    const platform::GlyphBitmap& glyph = glyphOf(glyphs, c);
    SCOPED_TRACE(std::string(1, c));
    EXPECT_GT(glyph.advance, 0);
    EXPECT_GT(glyph.width, 0);
    EXPECT_GT(glyph.height, 0);
    const int rowBytes = (glyph.width + 7) / 8;
    ASSERT_EQ(glyph.rows.size(), size_t(rowBytes * glyph.height));
    // Bits past the width would be drawn by glBitmap as stray pixels.
    const uint8_t unused = uint8_t(0xFF >> (glyph.width - (rowBytes - 1) * 8));
    for (int row = 0; row < glyph.height; ++row) {
      EXPECT_EQ(glyph.rows[size_t(row * rowBytes + rowBytes - 1)] & unused, 0) << "row " << row;
    }
  }

  const platform::GlyphBitmap& space = glyphOf(glyphs, ' ');
  for (int row = 0; row < space.height; ++row) EXPECT_EQ(rowBits(space, row), 0);
  EXPECT_GT(space.advance, 0);

  const platform::GlyphBitmap& a = glyphOf(glyphs, 'A');
  EXPECT_GE(a.height, 20);  // capitals are roughly 0.7 em in any sans face
  EXPECT_LE(a.height, 35);
  EXPECT_NEAR(a.originY, 0, 1) << "a capital sits on the baseline";
  EXPECT_GT(glyphOf(glyphs, 'g').originY, 3) << "a descender reaches below it";

  // First row stored is the bottom one: a T is wide on top, an L at the bottom.
  const platform::GlyphBitmap& t = glyphOf(glyphs, 'T');
  EXPECT_GT(rowBits(t, t.height - 1), 2 * rowBits(t, 0));
  const platform::GlyphBitmap& l = glyphOf(glyphs, 'L');
  EXPECT_GT(rowBits(l, 0), 2 * rowBits(l, l.height - 1));

  std::vector<platform::GlyphBitmap> large;
  ASSERT_TRUE(platform::rasteriseGlyphs("Arial Black", 700, 70, 65, 1, &large, nullptr));
  ASSERT_EQ(large.size(), 1u);
  EXPECT_NEAR(large[0].height, 2 * a.height, 2);
  EXPECT_NEAR(large[0].advance, 2 * a.advance, 2);
}
