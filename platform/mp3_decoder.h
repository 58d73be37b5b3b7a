#pragma once
// Whole-file MP3 decoding with libmpg123 (and libsyn123's resampler for other rates) into the
// format the sound output plays: interleaved stereo 16-bit at one rate. Plain C++, no audio
// device: every sound backend plays what it returns. Keeps no state; call from any thread.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Decodes the MPEG audio stream at `path` (Layer III at 8 to 48 kHz, MPEG-1, 2 or 2.5, mono or
// stereo, constant or variable bit rate, with or without ID3v1, ID3v2 or APE tags) into
// `samples`: interleaved stereo int16 at `outputRate` Hz. Decoding is gapless: sample 0 is the
// music's first, the encoder's delay and padding are gone. A stream at `outputRate` is decoded
// as it stands; one at another rate is resampled at its pitch and speed.
// False on failure, with `samples` empty and one line in `why` that names the file and the cause
// (not there, not MPEG audio, out of memory). Never throws.
bool decodeMp3File(const char* path, int outputRate, std::vector<int16_t>* samples,
                   std::string* why);

}  // namespace platform
