#pragma once
// The beat counter and its pulse envelopes, advanced once per loop pass by updateTiming.
// Owned here; the effects only read beatIndex, beatPulse, accentPulse and pulsePhase.
#include <cstdint>

extern int32_t beatIndex;     // 1 at show time 0, one more every 6/13 s; 0 before the first pass
extern float beatPulse;       // 1 -> 0 over 0.23 s after each beat change
extern float accentPulse;     // 1 -> 0 over 0.46 s after each change to an even beat
extern float pulsePhase;      // running sum of beatPulse, one addition per pass
extern int32_t previousBeat;  // beatIndex at the last detected change
extern float beatPulseEnd;    // beat time (show time + 0.05 s) at which beatPulse reaches 0
extern float accentPulseEnd;  // beat time at which accentPulse reaches 0

// The start-up reset of the beat state.
void resetBeatState();

// One pass: resynchronise the clock to the music (below 140 s only), then the beat counter,
// the two envelopes and pulsePhase.
void updateTiming();

// Start-up: no beat has been counted yet.
void resetBeatIndex();
