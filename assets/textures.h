#pragma once
// The texture slot table: every picture and off-screen image of the show, by fixed slot.
#include "platform/gl.h"

enum TextureSlot {
  TEX_SPIRAL = 0,
  TEX_FIGURE = 1,
  TEX_FIGURE_MASK = 2,
  TEX_METAL = 3,
  TEX_SURFACE_RT = 4,
  TEX_BLUR_RT = 5,
  TEX_STAR = 6,
  TEX_SIDE_A = 7,
  TEX_SIDE_B = 8,
  TEX_SIDE_C = 9,
  TEX_SIDE_D = 10,
  TEX_SPECIAL_A = 11,
  TEX_SPECIAL_B = 12,
  TEX_SPECIAL_C = 13,
  TEX_BUBBLE = 14,
  TEX_BUBBLE_MASK = 15,
  TEX_CARD_RT = 16,
};

constexpr int TEX_SLOT_COUNT = 17;

extern GLuint textures[TEX_SLOT_COUNT];

// Names and defines the three render targets (squares of cornerSize(), the corner of the frame
// an effect draws into and captures: 256 at 640x480) and loads the fourteen pictures from data/,
// one texture name per slot; frames at least twice the show's height take the copies drawn at
// twice the size (data/2x/) where the folder has them. A picture that cannot be used ends the process (status 1, one line on standard error
// naming the file).
bool loadTextures();

// Names a texture into `table[slot]` and loads the JPEG at `path` into it as mipmapped RGB; a
// file that is no usable picture ends the process with status 1 after one line on standard error.
void loadTexture(GLuint* table, const char* path, int slot);
