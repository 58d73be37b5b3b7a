#pragma once
// JPEG files made with libjpeg's compressor, for the data generator, the benchmark, the tests and
// the fuzzers' seeds: the pixels come a row at a time, so a picture of any size fits in memory
// as long as its file does. Plain functions, any thread.
#include <cstdint>
#include <functional>
#include <vector>

struct JpegSettings {
  int width = 0;
  int height = 0;
  int components = 3;       // 1 grey, 3 RGB, 4 CMYK
  int quality = 75;
  bool subsampled = true;   // libjpeg's default 2x2 chroma; false keeps every component at full size
  bool progressive = false; // libjpeg's simple progression
  bool arithmetic = false;
  int restartRows = 0;      // a restart marker every so many rows of blocks; 0: none
};

// Fills row `y` (top row 0): width × components bytes, red (or grey, or cyan) first.
using JpegRow = std::function<void(int y, uint8_t* row)>;

std::vector<uint8_t> encodeJpeg(const JpegSettings& settings, const JpegRow& fillRow);
