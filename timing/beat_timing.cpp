#include "timing/beat_timing.h"

#include <cmath>

#include "timing/demo_clock.h"
#include "timing/music.h"

int32_t beatIndex = 0;
float beatPulse = 0.0f;
float accentPulse = 0.0f;
float pulsePhase = 0.0f;
int32_t previousBeat = 0;
float beatPulseEnd = -9999999.0f;
float accentPulseEnd = -999999.0f;

void resetBeatState() {
  beatPulseEnd = -9999999.0f;
  accentPulseEnd = -999999.0f;
  previousBeat = 0;
  pulsePhase = 0.0f;
}

void updateTiming() {
  // The clock follows the music only while the show is young enough for the music to lead;
  // from 140 s on it runs freely so the ending never waits on the stream.
  double t = showClock.seconds();
  if (t < 140.0) {
    int ms = platform::soundStreamGetTime(musicStream);
    showClock.setSeconds(float(double(ms) * 0.001));
  }

  // Beats are counted 50 ms early so the flashes land on the heard kick, not after it.
  double x = showClock.seconds() + 0.05;
  int32_t b = 1 + int32_t(std::trunc(x * 2.1666666666666665));
  beatIndex = b;

  if (b != previousBeat) {
    beatPulseEnd = float(x + 0.23);
    if (b % 2 == 0) accentPulseEnd = float(x + 0.46);
    previousBeat = b;
  }

  beatPulse = x < beatPulseEnd ? float((beatPulseEnd - x) * 4.3478260869565215) : 0.0f;
  accentPulse = x < accentPulseEnd ? float((accentPulseEnd - x) * 2.1739130434782608) : 0.0f;
  pulsePhase = float(pulsePhase + beatPulse);
}

void resetBeatIndex() { beatIndex = 0; }
