#pragma once
// The message font: one display list per character 32..127, each drawing its glyph with glBitmap
// at the raster position and moving the raster position on by the glyph's advance.
#include "platform/gl.h"

// The face the messages ask for; whatever the system matches for it is drawn as is.
constexpr const char* FONT_FAMILY = "Arial Black";
constexpr int FONT_WEIGHT = 700;
constexpr int FONT_PIXEL_HEIGHT = 35;  // in the 640x480 frame
constexpr int FONT_FIRST_CHAR = 32;
constexpr int FONT_CHAR_COUNT = 96;

// The em height the glyphs are rasterised at for the frame's size: 35 pixels at 640x480.
int fontPixelHeight();

extern GLuint fontListBase;  // list of character n is fontListBase + (n - 32)

// Builds the 96 lists in the current GL context, at the frame's glyph height.
void buildFont();

// Formats printf-style into a 256-byte buffer (never past it) and draws it at the raster
// position in the raster colour. A null format draws nothing; bytes outside 32..127 have no glyph
// and neither draw nor move the raster position.
void printText(const char* format, ...);
