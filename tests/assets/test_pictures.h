#pragma once
// Test pictures made on the spot with libjpeg's compressor, and pictures decoded by the loader.
// The pictures made are smooth gradients, so JPEG keeps every pixel close and a misplaced row,
// column or channel stands out at once.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/jpeg_loader.h"
#include "tools/media_files/bytes_file.h"
#include "tools/media_files/jpeg_file.h"

// Channel `ch` at (u, v) in [0,1]: red follows x, green follows y (top row 0), blue is flat;
// grey mixes both so that either way of turning the picture shows.
inline int shade(int components, int ch, double u, double v) {
  if (components == 1) return int(180 * u + 75 * v);
  return ch == 0 ? int(255 * u) : ch == 1 ? int(255 * v) : 64;
}

// Largest difference between the first `rows` rows of a picture (packed RGB rows, top row first)
// and the w x h gradient it was made from.
inline int worstError(const uint8_t* pixels, int w, int h, int components, int rows) {
  int worst = 0;
  for (int i = 0; i < rows * w * 3; ++i) {
    const int x = i % (w * 3) / 3, y = i / (w * 3);
    worst = std::max(worst, std::abs(pixels[i] - shade(components, i % 3, x / (w - 1.0), y / (h - 1.0))));
  }
  return worst;
}

// Decodes with whatever the loader prints captured; `image` is null when the loader refused.
struct Decoded {
  explicit Decoded(const std::string& path) {
    testing::internal::CaptureStderr();
    image = decodeJpegFile(path.c_str(), &failure);
    printed = testing::internal::GetCapturedStderr();
  }
  ~Decoded() { freeRgbImage(image); }
  RgbImage* image = nullptr;
  std::string failure, printed;
};

// A file of this process in the temporary folder, gone with its TempFile.
struct TempFile {
  explicit TempFile(const char* name) : path(testing::TempDir() + "kk-" + std::to_string(getpid()) + "-" + name) {}
  ~TempFile() { std::remove(path.c_str()); }
  std::string path;
};

// Writes a w x h gradient with 1 (grey), 3 (RGB) or 4 (CMYK) components.
inline void writeJpeg(const std::string& path, int w, int h, int components, bool progressive = false) {
  const JpegSettings settings{w, h, components, 95, true, progressive};  // quality 95, chroma subsampled
  ASSERT_TRUE(writeBytes(path, encodeJpeg(settings, [&](int y, uint8_t* row) {
    for (int i = 0; i < w * components; ++i) row[i] = uint8_t(shade(components, i % components, i / components / (w - 1.0), y / (h - 1.0)));
  }))) << path;
}
