#pragma once
// MP3 encoding of the soundtrack with libmp3lame: constant 192 kbps, 44.1 kHz joint stereo, and
// the LAME/Info tag in the first frame, which tells a gapless decoder the encoder delay and the
// padding so that sample 0 of the input is sample 0 of the decoded stream.
#include <cstdint>
#include <vector>

// pcm: interleaved 16-bit stereo at 44.1 kHz. Returns false (out empty) if the encoder fails.
bool encodeMp3(const std::vector<int16_t>& pcm, std::vector<uint8_t>& out);
