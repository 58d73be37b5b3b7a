// The message font's glyphs from GDI: one-bit bitmaps, bottom row first, packed to whole bytes,
// with the origin and advance glBitmap needs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/glyphs.h"

namespace {

int litInRow(const platform::GlyphBitmap& g, int row) {
  const int rowBytes = (g.width + 7) / 8;
  int lit = 0;
  for (int x = 0; x < g.width; ++x) lit += (g.rows[size_t(row * rowBytes + x / 8)] >> (7 - x % 8)) & 1;
  return lit;
}

TEST(WindowsGlyphs, HeavyFaceAt35PixelsBottomRowFirst) {
  std::vector<platform::GlyphBitmap> glyphs;
  std::string face;
  ASSERT_TRUE(platform::rasteriseGlyphs("Arial Black", 700, 35, 32, 96, &glyphs, &face));
  ASSERT_EQ(glyphs.size(), 96u);
  EXPECT_FALSE(face.empty());

  const platform::GlyphBitmap& space = glyphs[0];
  EXPECT_TRUE(space.rows.empty() || litInRow(space, 0) == 0);
  EXPECT_GT(space.advance, 4.0f);

  for (char c : std::string("AHTLWgy")) {
    const platform::GlyphBitmap& g = glyphs[size_t(c - 32)];
    SCOPED_TRACE(std::string(1, c));
    ASSERT_GT(g.width, 5);
    // A 35-pixel em: capitals stand about 25 pixels tall, descenders hang below the baseline.
    EXPECT_GT(g.height, 18);
    EXPECT_LT(g.height, 40);
    EXPECT_EQ(g.rows.size(), size_t((g.width + 7) / 8) * size_t(g.height));
    EXPECT_GE(g.advance, float(g.width));
    EXPECT_LT(g.advance, 50.0f);
    // No bit beyond the glyph's width is set in a row's last byte.
    const int rowBytes = (g.width + 7) / 8;
    for (int y = 0; y < g.height && g.width % 8; ++y) {
      EXPECT_EQ(g.rows[size_t(y * rowBytes + rowBytes - 1)] & (0xFF >> (g.width % 8)), 0) << y;
    }
  }
  // Capitals sit on the baseline; g and y hang below it.
  EXPECT_NEAR(glyphs['H' - 32].originY, 0.0f, 1.0f);
  EXPECT_GT(glyphs['g' - 32].originY, 3.0f);
  // Bottom row first: T is wide at its top (the last row), L at its bottom (the first).
  const platform::GlyphBitmap& t = glyphs['T' - 32];
  const platform::GlyphBitmap& l = glyphs['L' - 32];
  EXPECT_GT(litInRow(t, t.height - 1), 2 * litInRow(t, 0));
  EXPECT_GT(litInRow(l, 0), 2 * litInRow(l, l.height - 1));
}

}  // namespace
