#include "platform/glyphs.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace platform {
namespace {

// The font file fontconfig considers closest to the family and weight asked for; on a bare
// machine without the family itself this is whatever the configuration substitutes.
bool matchFont(const char* family, int weight, int pixelHeight, std::string* file, int* faceIndex) {
  if (!FcInit()) return false;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixelHeight);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* path = nullptr;
  int index = 0;
  const bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path;
  if (found) {
    *file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    *faceIndex = index;
  }
  FcPatternDestroy(match);
  return found;
}

// Copies FreeType's bitmap into rows of exactly (width + 7) / 8 bytes, bottom row first, as
// glBitmap reads them with an unpack alignment of one. FreeType pads its rows and, for mono
// bitmaps, stores the top row first.
void repack(const FT_Bitmap& bitmap, GlyphBitmap* glyph) {
  const int width = int(bitmap.width);
  const int height = int(bitmap.rows);
  glyph->width = width;
  glyph->height = height;
  const int rowBytes = (width + 7) / 8;
  glyph->rows.assign(size_t(rowBytes) * size_t(height), 0);
  if (width == 0 || height == 0 || !bitmap.buffer) return;
  const int pitch = bitmap.pitch;
  // A negative pitch means the rows are stored bottom-up; find the picture's top row either way.
  const unsigned char* top = pitch >= 0 ? bitmap.buffer : bitmap.buffer + size_t(height - 1) * size_t(-pitch);
  for (int y = 0; y < height; ++y) {
    const unsigned char* source = top + ptrdiff_t(y) * pitch;
    uint8_t* target = &glyph->rows[size_t(height - 1 - y) * size_t(rowBytes)];
    for (int x = 0; x < width; ++x) {
      bool on = false;
      if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
        on = (source[x >> 3] >> (7 - (x & 7))) & 1;
      } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
        on = source[x] >= 128;  // a face that only renders in grey still gets one-bit glyphs
      }
      if (on) target[x >> 3] |= uint8_t(0x80 >> (x & 7));
    }
  }
}

}  // namespace

bool rasteriseGlyphs(const char* family, int weight, int pixelHeight, int first, int count,
                     std::vector<GlyphBitmap>* out, std::string* matchedFile) {
  out->clear();
  if (matchedFile) matchedFile->clear();
  std::string file;
  int faceIndex = 0;
  if (!matchFont(family, weight, pixelHeight, &file, &faceIndex)) return false;
  if (matchedFile) *matchedFile = file;

  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return false;
  FT_Face face = nullptr;
  if (FT_New_Face(library, file.c_str(), faceIndex, &face) != 0 ||
      FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelHeight)) != 0) {
    if (face) FT_Done_Face(face);
    FT_Done_FreeType(library);
    return false;
  }

  const FT_Int32 flags = FT_LOAD_RENDER | FT_LOAD_TARGET_MONO;
  // Characters the face lacks move the pen like its missing-glyph box but draw nothing.
  float defaultAdvance = 0;
  if (FT_Load_Glyph(face, 0, flags) == 0) defaultAdvance = float(face->glyph->advance.x) / 64.0f;

  out->resize(size_t(count));
  for (int i = 0; i < count; ++i) {
    GlyphBitmap& glyph = (*out)[size_t(i)];
    const FT_UInt index = FT_Get_Char_Index(face, FT_ULong(first + i));
    if (index == 0 || FT_Load_Glyph(face, index, flags) != 0) {
      glyph.advance = defaultAdvance;
      continue;
    }
    const FT_GlyphSlot slot = face->glyph;
    repack(slot->bitmap, &glyph);
    glyph.originX = float(-slot->bitmap_left);
    glyph.originY = float(int(slot->bitmap.rows) - slot->bitmap_top);
    glyph.advance = float(slot->advance.x) / 64.0f;
  }

  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return true;
}

}  // namespace platform
