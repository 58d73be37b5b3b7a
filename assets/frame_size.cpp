#include "assets/frame_size.h"

#include <algorithm>
#include <cmath>

namespace {
FrameSize size{BASE_FRAME_WIDTH, BASE_FRAME_HEIGHT};
FrameOrigin origin{0, 0};
// The captured corner of the 640x480 frame.
constexpr int BASE_CORNER = 256;
}  // namespace

bool frameHeightAllowed(int height) {
  return height >= MIN_FRAME_HEIGHT && height <= MAX_FRAME_HEIGHT && height % 3 == 0;
}

bool setFrameHeight(int height) {
  if (!frameHeightAllowed(height)) return false;
  size = FrameSize{height / 3 * 4, height};
  return true;
}

const FrameSize& frameSize() { return size; }

void placeFrameIn(int drawableWidth, int drawableHeight) {
  origin = FrameOrigin{std::max(0, (drawableWidth - size.width) / 2), std::max(0, (drawableHeight - size.height) / 2)};
}

const FrameOrigin& frameOrigin() { return origin; }

int fittingFrameHeight(int width, int height) {
  // A height h is 4h/3 wide; a multiple of 3 keeps that whole and no wider than the width.
  int fits = std::min({height, int(int64_t(std::max(width, 0)) * 3 / 4), MAX_FRAME_HEIGHT});
  fits -= fits % 3;
  return std::max(fits, MIN_FRAME_HEIGHT);
}

double frameScale() { return double(size.height) / double(BASE_FRAME_HEIGHT); }

int scaledPixels(double basePixels) { return int(std::lround(basePixels * frameScale())); }

int cornerSize() { return scaledPixels(BASE_CORNER); }
