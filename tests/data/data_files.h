#pragma once
// Reading the generated data the way the show does: pictures through libjpeg, the music
// through libmpg123 with gapless decoding. Failures come back as empty results with a reason,
// so a broken file fails a test instead of ending the test program.
#include <cstdint>
#include <string>
#include <vector>

struct DecodedJpeg {
  std::string error;  // empty when the file decoded
  int width = 0, height = 0, components = 0;
  bool progressive = false;
  std::vector<uint8_t> pixels;  // rows top first, `components` bytes per pixel

  const uint8_t* at(int x, int y) const { return &pixels[(size_t(y) * size_t(width) + size_t(x)) * size_t(components)]; }
  int maxChannel(int x, int y) const;
  int minChannel(int x, int y) const;
  double luma(int x, int y) const;
};

DecodedJpeg decodeJpeg(const std::string& path);

struct DecodedMp3 {
  std::string error;
  long rate = 0;
  int channels = 0;
  std::vector<int16_t> samples;  // interleaved
  size_t frames() const { return channels ? samples.size() / size_t(channels) : 0; }
};

DecodedMp3 decodeMp3(const std::string& path);

std::vector<uint8_t> readFileBytes(const std::string& path);
