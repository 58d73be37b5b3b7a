#include "assets/bitmap_font.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/frame_size.h"
#include "platform/glyphs.h"
#include "platform/report.h"

GLuint fontListBase = 0;

int fontPixelHeight() { return scaledPixels(FONT_PIXEL_HEIGHT); }

void buildFont() {
  fontListBase = glGenLists(FONT_CHAR_COUNT);
  // The show asks for a heavy sans face; whatever the system matches for it is drawn as is.
  // Without any font the lists stay empty, text draws nothing and the show goes on; the line
  // says why its messages are missing.
  std::vector<platform::GlyphBitmap> glyphs;
  std::string file;
  if (!platform::rasteriseGlyphs(FONT_FAMILY, FONT_WEIGHT, fontPixelHeight(), FONT_FIRST_CHAR, FONT_CHAR_COUNT,
                                 &glyphs, &file)) {
    if (file.empty()) {
      platform::report("no font found for \"%s\"; the messages will not show", FONT_FAMILY);
    } else {
      platform::report("cannot read the font %s found for \"%s\"; the messages will not show",
                       file.c_str(), FONT_FAMILY);
    }
    return;
  }
  // glBitmap copies its rows into the list when compiled; they are packed to whole bytes.
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
  // Mesa refuses a null bitmap inside a list even when it is empty, so an empty glyph gets a
  // byte that is never read.
  static const GLubyte nothing = 0;
  for (int i = 0; i < FONT_CHAR_COUNT; ++i) {
    const platform::GlyphBitmap& glyph = glyphs[size_t(i)];
    glNewList(fontListBase + GLuint(i), GL_COMPILE);
    glBitmap(glyph.width, glyph.height, glyph.originX, glyph.originY, glyph.advance, 0,
             glyph.rows.empty() ? &nothing : glyph.rows.data());
    glEndList();
  }
  glPopClientAttrib();
}

void printText(const char* format, ...) {
  if (!format) return;
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  // Only codes 32..127 have lists of ours; any other byte would call whatever list happens to
  // carry that name, so it is dropped and, as a missing glyph, neither draws nor moves.
  size_t length = 0;
  for (size_t i = 0; text[i] != '\0'; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= FONT_FIRST_CHAR && c < FONT_FIRST_CHAR + FONT_CHAR_COUNT) text[length++] = char(c);
  }
  text[length] = '\0';
  glPushAttrib(GL_LIST_BIT);
  glListBase(fontListBase - FONT_FIRST_CHAR);
  glCallLists(GLsizei(std::strlen(text)), GL_UNSIGNED_BYTE, text);
  glPopAttrib();
}
