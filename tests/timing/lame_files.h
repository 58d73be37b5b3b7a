#pragma once
// MP3 files made here with LAME for the music player's tests: a 440 Hz tone in any MPEG format,
// tagged as taggers do. Files go to /tmp; the caller removes them.
#include <unistd.h>

#include <cmath>
#include <string>

#include "tools/media_files/bytes_file.h"
#include "tools/media_files/mp3_file.h"

constexpr double TONE_HZ = 440.0;
constexpr double TONE_PEAK = 8000.0;

// `seconds` of the tone, with LAME's gapless tag (which it writes only at 16 kHz and above).
inline std::string makeMp3(double seconds, Mp3Settings format = {}) {
  char path[] = "/tmp/kk-sound-XXXXXX.mp3";
  close(mkstemps(path, 4));
  std::vector<int16_t> tone(size_t(seconds * format.rate) * size_t(format.channels));
  for (size_t i = 0; i < tone.size(); ++i) {
    tone[i] = int16_t(TONE_PEAK * std::sin(2 * M_PI * TONE_HZ * double(i / size_t(format.channels)) / format.rate));
  }
  writeBytes(path, encodeMp3(format, tone));
  return path;
}
