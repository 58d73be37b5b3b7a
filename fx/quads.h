#pragma once
// Textured quads centred on the modelview origin, and the capture of the back buffer's
// lower-left corner (cornerSize() square: 256x256 at 640x480) into a render-target texture.
#include "platform/gl.h"

#include "assets/frame_size.h"
#include "assets/textures.h"

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

// Copies the back buffer's lower-left corner into `texture`, a render target of the corner's
// size, and leaves it bound.
void copyCorner(GLuint texture);

// The viewport on the whole frame, and on its captured corner, wherever the frame sits.
void frameViewport();
void cornerViewport();

// Viewport on the corner; the next endCapture copies into `texture` (a GL texture name, not a
// slot).
void beginCapture(GLuint texture);
// Copies the corner into the capture texture and gives back the whole frame's viewport.
void endCapture();
