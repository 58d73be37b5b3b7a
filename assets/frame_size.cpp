#include "assets/frame_size.h"

#include <cmath>

namespace {
FrameSize size{BASE_FRAME_WIDTH, BASE_FRAME_HEIGHT};
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

double frameScale() { return double(size.height) / double(BASE_FRAME_HEIGHT); }

int scaledPixels(double basePixels) { return int(std::lround(basePixels * frameScale())); }

int cornerSize() { return scaledPixels(BASE_CORNER); }
