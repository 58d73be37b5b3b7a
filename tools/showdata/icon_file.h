#pragma once
// The Windows icon file: several square PNG pictures of one icon in one .ico, which Windows
// (Vista and later) reads as they are.
#include <cstdint>
#include <vector>

struct IconImage {
  int size = 0;               // pixels on a side, 1 to 256
  std::vector<uint8_t> png;
};

std::vector<uint8_t> iconFile(const std::vector<IconImage>& images);
