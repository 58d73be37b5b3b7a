#pragma once
// MP3 files made here with LAME for the music player's tests: a 440 Hz tone in any MPEG format,
// tagged as taggers do. Files go to /tmp; the caller removes them.
#include <string>

enum class Mp3Tag { NONE, ID3V1, ID3V2, APE };

struct Mp3Format {
  int rate = 44100;
  int channels = 2;
  bool vbr = false;
  Mp3Tag tag = Mp3Tag::NONE;
};

constexpr double TONE_HZ = 440.0;
constexpr double TONE_PEAK = 8000.0;

// `seconds` of the tone, with LAME's gapless tag (which it writes only at 16 kHz and above).
std::string makeMp3(double seconds, Mp3Format format = {});
