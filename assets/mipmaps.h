#pragma once
// Mipmap levels of an RGB picture made on the CPU, texel for texel as the GL utility library's
// gluBuild2DMipmaps makes them for a picture whose sides are powers of two: each level halves
// the one above it, and each texel is the rounded mean of the 2x2 texels above it (of the two
// above it once one side is down to 1). Plain C++ with no GL: a picture's levels can be made on
// any thread while the window opens, and only the upload needs the context.
#include <cstdint>
#include <vector>

struct MipLevel {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // 3 x width x height bytes, top row first, rows unpadded
};

// True when both sides are powers of two no larger than `maxSide`: the pictures whose levels
// the utility library makes by halving alone, without rescaling first.
bool halvesExactly(int width, int height, int maxSide);

// Levels 1 and below, down to 1x1, of the `width` x `height` picture `rgb` (level 0 itself is
// the picture). Both sides must be powers of two. Throws std::bad_alloc when memory runs out.
std::vector<MipLevel> buildMipChain(const uint8_t* rgb, int width, int height);
