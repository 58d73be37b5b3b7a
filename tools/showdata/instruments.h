#pragma once
// The soundtrack's instruments. Each call renders one note (or hit) from its first sample into
// the mix buses; notes past the end of the track are cut off there. Noise is seeded from the
// note's start, so a note sounds the same whatever order the arrangement plays them in.
#include "tools/showdata/synth.h"

#include <vector>

struct MixBuses {
  // Buses for the whole band, or (tonalOnly) just the music bus and the reverb send, which is
  // all that the pads use.
  explicit MixBuses(size_t frames, bool tonalOnly = false)
      : drums(tonalOnly ? 0 : frames), music(frames), echoSend(tonalOnly ? 0 : frames, 0.0f), reverbSend(frames, 0.0f) {}
  StereoBus drums;                // kick and percussion: never ducked
  StereoBus music;                // tonal parts: ducked under the kick and faded with the show
  std::vector<float> echoSend;    // mono sends, returned into music
  std::vector<float> reverbSend;
};

// Kick: a pitch-swept sine that starts at its peak, so its onset is sharp to the sample.
void playKick(MixBuses& mix, long start, double gain);
void playClap(MixBuses& mix, long start, double gain);
void playHat(MixBuses& mix, long start, double gain, bool open);
void playSnare(MixBuses& mix, long start, double gain);
void playCrash(MixBuses& mix, long start, double gain);
// Band-pass noise sweeping upwards between start and end, growing louder.
void playRiser(MixBuses& mix, long start, long end, double gain);
// Noise whoosh shaped like a half sine between start and end.
void playSwell(MixBuses& mix, long start, long end, double gain);

void playBass(MixBuses& mix, long start, long length, double note, double cutoff, double envAmount, double gain);
// A held chord: detuned saws per note, filtered together.
void playPad(MixBuses& mix, long start, long length, const std::vector<double>& notes, double brightness,
             double gain);
void playPluck(MixBuses& mix, long start, long length, double note, double cutoff, double gain, double pan,
               double echo);
void playLead(MixBuses& mix, long start, long length, double note, double gain);
void playBell(MixBuses& mix, long start, double note, double gain, double pan);
