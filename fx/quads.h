#pragma once
// Textured quads centred on the modelview origin, and the capture of the back buffer's
// lower-left 256x256 pixels into a render-target texture.
#include "platform/gl.h"

#include "assets/textures.h"

// The show's screen: every layer draws for 640x480, and a capture draws into its lower-left
// RENDER_TARGET_SIZE square.
constexpr int SCREEN_WIDTH = 640;
constexpr int SCREEN_HEIGHT = 480;

extern GLuint captureSlot;  // texture name the next endCapture copies into

// How the corner reaches a texture: copied by the driver, or read back and uploaded again, which
// is the same texels for fewer waits on a software rasteriser. Unchosen picks by the renderer on
// the next copy.
enum class CornerCopy { Unchosen, Copy, ReadAndUpload };
extern CornerCopy cornerCopy;

// Half-height h, 1.3333 times as wide; t = 0 at the bottom edge (captured images upright).
void drawWideQuad(float h);
// The same corners with t reversed: pictures uploaded top row first show upright.
void drawWideQuadFlipped(float h);
// A square of half-size h with the flipped texture coordinates.
void drawSquare(float h);

// Copies the back buffer's lower-left 256x256 into `texture`, a 256x256 texture, and leaves it
// bound.
void copyCorner(GLuint texture);

// Viewport 256x256; the next endCapture copies into `texture` (a GL texture name, not a slot).
void beginCapture(GLuint texture);
// Copies the lower-left 256x256 into the capture texture and gives back the 640x480 viewport.
void endCapture();
