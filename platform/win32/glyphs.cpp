#include "platform/glyphs.h"

#include "platform/win32/windows_api.h"

namespace platform {
namespace {

// GDI hands a one-bit glyph top row first, each row padded to whole 32-bit words; glBitmap reads
// rows of whole bytes, bottom row first.
void repack(const std::vector<uint8_t>& gdiRows, int width, int height, GlyphBitmap* glyph) {
  const int rowBytes = (width + 7) / 8;
  const int pitch = ((width + 31) / 32) * 4;
  glyph->width = width;
  glyph->height = height;
  glyph->rows.assign(size_t(rowBytes) * size_t(height), 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t* source = &gdiRows[size_t(y) * size_t(pitch)];
    uint8_t* target = &glyph->rows[size_t(height - 1 - y) * size_t(rowBytes)];
    for (int b = 0; b < rowBytes; ++b) target[b] = source[b];
    // Bits past the glyph's width in its last byte are padding: clear them.
    if (width % 8 != 0) target[rowBytes - 1] &= uint8_t(0xFF << (8 - width % 8));
  }
}

}  // namespace

bool rasteriseGlyphs(const char* family, int weight, int pixelHeight, int first, int count,
                     std::vector<GlyphBitmap>* out, std::string* matchedFile) {
  out->clear();
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return false;
  // A negative height asks for the character height (the em) without the internal leading.
  HFONT font = CreateFontA(-pixelHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                           CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, family);
  if (!font) {
    DeleteDC(dc);
    return false;
  }
  HGDIOBJ previous = SelectObject(dc, font);
  if (matchedFile) {
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, LF_FACESIZE, face);
    *matchedFile = face;
  }

  const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  out->resize(size_t(count));
  std::vector<uint8_t> rows;
  for (int i = 0; i < count; ++i) {
    GlyphBitmap& glyph = (*out)[size_t(i)];
    const UINT character = UINT(first + i);
    GLYPHMETRICS metrics{};
    const DWORD size = GetGlyphOutlineA(dc, character, GGO_BITMAP, &metrics, 0, nullptr, &identity);
    if (size == GDI_ERROR) {
      // A character the font cannot draw still moves the pen by its width.
      INT advance = 0;
      if (GetCharWidth32A(dc, character, character, &advance)) glyph.advance = float(advance);
      continue;
    }
    glyph.advance = float(metrics.gmCellIncX);
    if (size == 0) continue;  // a blank character: nothing to draw, only the advance
    rows.assign(size, 0);
    if (GetGlyphOutlineA(dc, character, GGO_BITMAP, &metrics, size, rows.data(), &identity) == GDI_ERROR) continue;
    const int width = int(metrics.gmBlackBoxX);
    const int height = int(metrics.gmBlackBoxY);
    if (size_t(((width + 31) / 32) * 4) * size_t(height) > rows.size()) continue;
    repack(rows, width, height, &glyph);
    glyph.originX = float(-metrics.gmptGlyphOrigin.x);
    glyph.originY = float(height - metrics.gmptGlyphOrigin.y);
  }

  SelectObject(dc, previous);
  DeleteObject(font);
  DeleteDC(dc);
  return true;
}

}  // namespace platform
