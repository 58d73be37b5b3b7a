#pragma once
// The show's soundtrack, composed and rendered here: 130 beats per minute in A minor, a kick on
// every beat from beat 1 at 0 s to the show's last beat, arranged along the show's time line
// (fade-in, groove, breakdown with accents on the spiral flashes, drop at 88 s, wind-down, outro).
#include <cstdint>
#include <vector>

constexpr double SOUNDTRACK_SECONDS = 158.0;

// Interleaved 16-bit stereo at 44.1 kHz, peaks at -3 dBFS so that the encoded file stays below -1 dBFS.
std::vector<int16_t> renderSoundtrack();
