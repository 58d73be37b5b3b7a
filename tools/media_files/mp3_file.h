#pragma once
// MP3 files made with libmp3lame, for the data generator, the tests and the fuzzers' seeds: any
// rate, mono or stereo, constant or variable bit rate, with or without LAME's gapless tag, tagged
// as taggers do. Plain functions, any thread.
#include <cstdint>
#include <vector>

enum class Mp3Tag { NONE, ID3V1, ID3V2, APE };

struct Mp3Settings {
  int rate = 44100;
  int channels = 2;
  bool vbr = false;           // LAME's default variable bit rate
  Mp3Tag tag = Mp3Tag::NONE;  // titled "Tone"; ID3v2 goes ahead of the audio, the others after
  int kbps = 0;               // the constant bit rate; 0 keeps LAME's default (128 kbps)
  // LAME's Info tag in the first frame: it tells a gapless decoder the encoder delay and the
  // padding, so that sample 0 of the input is sample 0 of the decoded stream.
  bool lameTag = true;
};

// pcm: 16-bit samples, interleaved when stereo. Returns an empty file if the encoder fails.
std::vector<uint8_t> encodeMp3(const Mp3Settings& settings, const std::vector<int16_t>& pcm);
