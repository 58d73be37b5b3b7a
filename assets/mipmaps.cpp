#include "assets/mipmaps.h"

#include <cstddef>

namespace {

constexpr int MIPMAP_CHANNELS = 3;

bool powerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// One level below `src`: halves both sides, or the longer one once the other is 1.
MipLevel halve(const uint8_t* src, int width, int height) {
  MipLevel out;
  out.width = width > 1 ? width / 2 : 1;
  out.height = height > 1 ? height / 2 : 1;
  out.rgb.resize(size_t(out.width) * size_t(out.height) * MIPMAP_CHANNELS);
  uint8_t* dst = out.rgb.data();
  const size_t row = size_t(width) * MIPMAP_CHANNELS;
  if (width > 1 && height > 1) {
    for (int y = 0; y < out.height; ++y) {
      const uint8_t* top = src + size_t(2 * y) * row;
      const uint8_t* bottom = top + row;
      for (int x = 0; x < out.width; ++x) {
        for (int c = 0; c < MIPMAP_CHANNELS; ++c) {
          const int i = 2 * x * MIPMAP_CHANNELS + c;
          *dst++ = uint8_t((top[i] + top[i + MIPMAP_CHANNELS] + bottom[i] + bottom[i + MIPMAP_CHANNELS] + 2) / 4);
        }
      }
    }
  } else {
    // A single row or column: neighbours along it pair up.
    const size_t step = width > 1 ? MIPMAP_CHANNELS : row;
    const int pairs = width > 1 ? out.width : out.height;
    for (int p = 0; p < pairs; ++p) {
      const uint8_t* a = src + size_t(2 * p) * step;
      for (int c = 0; c < MIPMAP_CHANNELS; ++c) *dst++ = uint8_t((a[c] + a[c + step]) / 2);
    }
  }
  return out;
}

}  // namespace

bool halvesExactly(int width, int height, int maxSide) {
  return powerOfTwo(width) && powerOfTwo(height) && width <= maxSide && height <= maxSide;
}

std::vector<MipLevel> buildMipChain(const uint8_t* rgb, int width, int height) {
  std::vector<MipLevel> chain;
  chain.reserve(32);  // more levels than any side has bits
  const uint8_t* above = rgb;
  while (width > 1 || height > 1) {
    chain.push_back(halve(above, width, height));
    above = chain.back().rgb.data();
    width = chain.back().width;
    height = chain.back().height;
  }
  return chain;
}
