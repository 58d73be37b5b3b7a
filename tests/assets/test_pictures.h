#pragma once
// Test pictures made on the spot with libjpeg's compressor, so every decoding test uses a real
// JPEG file whose contents it knows.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

struct TestPicture {
  int width = 0;
  int height = 0;
  int components = 3;          // 1 grey, 3 RGB, 4 CMYK
  std::vector<uint8_t> bytes;  // top row first, rows packed

  TestPicture(int w, int h, int c = 3) : width(w), height(h), components(c), bytes(size_t(w) * h * c) {}
  uint8_t* at(int x, int y) { return &bytes[(size_t(y) * width + x) * components]; }
  void fill(int x0, int y0, int x1, int y1, std::initializer_list<uint8_t> value);  // [x0,x1) x [y0,y1)
};

// Writes `picture` as a JPEG file; false on failure.
bool writeJpeg(const std::string& path, const TestPicture& picture, bool progressive = false,
               int quality = 95);

// A colour picture in four flat quadrants: red top left, green top right, blue bottom left,
// white bottom right.
TestPicture quadrantPicture(int w, int h);
