#pragma once
// Pictures for the effect tests: a sphere-map stand-in for the metal picture, and PNG output of
// what the effects drew, for looking at.
#include <cstdint>
#include <string>
#include <vector>

// 256x256 RGB: red grows with s, green with t, blue rings around the centre.
std::vector<uint8_t> sphereMapPicture();

// Writes RGBA rows (bottom row first) to test_output/fx/<name> under the build folder.
bool writeFxPicture(const std::string& name, int w, int h, const std::vector<uint8_t>& rgba);
