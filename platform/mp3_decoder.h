#pragma once
// Decoding a whole MP3 file with libmpg123 into interleaved 16-bit stereo at a given rate,
// gapless, so sample 0 is the music's first. Shared by every sound backend; any thread.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Decodes the file at `path` into `interleavedStereo` (left, right, left, ...) at `outputRate`
// Hz. False, with `why` saying what went wrong (and the vector empty), when the file cannot be
// opened or holds no MP3 stream at that rate.
bool decodeMp3(const char* path, int outputRate, std::vector<int16_t>* interleavedStereo, std::string* why);

}  // namespace platform
