#pragma once
// Frames as PNG files: RGBA rows as GL reads them (bottom row first), stored top row first as
// opaque RGB. Any thread.
#include <cstdint>
#include <string>
#include <vector>

// The file is written under a temporary name beside `path` and renamed once complete, so a full
// disk never leaves a short frame under the frame's name. False after one line on standard error
// naming `path` and the cause; nothing is left behind then.
bool writePng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgbaBottomUp);
