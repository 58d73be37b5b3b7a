#pragma once
// Writing frames as PNG files: RGBA rows as GL reads them (bottom row first), stored top row
// first as opaque RGB.
#include <cstdint>
#include <string>
#include <vector>

bool writePng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgbaBottomUp);
