#pragma once
// Glyph bitmaps for the show's font: the system's best match for a family and weight (fontconfig
// and FreeType on Linux, GDI on Windows), rasterised as one-bit bitmaps at a pixel em height.
// Plain data, ready for glBitmap. Program thread.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct GlyphBitmap {
  int width = 0;          // pixels
  int height = 0;         // pixels
  float originX = 0;      // glBitmap xorig: pixels from the bitmap's left edge to the pen position
  float originY = 0;      // glBitmap yorig: pixels from the bitmap's bottom row down to the baseline
  float advance = 0;      // pixels the pen moves right after the glyph
  std::vector<uint8_t> rows;  // height rows of (width + 7) / 8 bytes, bottom row first, MSB leftmost
};

// Rasterises characters first .. first + count - 1 of the best match for `family` at `weight`
// (100..900, 700 is bold) with an em height of `pixelHeight` pixels. Fills `out` with `count`
// glyphs (a character the face lacks gets an empty glyph with the face's default advance) and
// `matchedFile` with the font used: its file on Linux, its face's name on Windows. False when no
// font at all can be loaded; `matchedFile` then names the file that matched but could not be
// read (Linux), or is empty.
bool rasteriseGlyphs(const char* family, int weight, int pixelHeight, int first, int count,
                     std::vector<GlyphBitmap>* out, std::string* matchedFile);

}  // namespace platform
