#pragma once
// Pictures as the show reads them: RGB bytes, rows from the top, compressed as baseline JPEG.
#include <cstdint>
#include <vector>

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // width × height × 3, top row first
};

// Baseline JPEG, quality 90, three components with full-resolution colour (no chroma
// subsampling: the badges' coloured edges stay crisp).
std::vector<uint8_t> encodeJpeg(const Picture& picture);

// Top row to the bottom: for pictures that the show draws with their top row at the bottom.
Picture flippedVertically(const Picture& picture);
