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

namespace {

// The show's own digits, kept as they are; each is the double nearest the value it names.
constexpr double BEATS_PER_SECOND = 2.1666666666666665;  // 130 beats a minute: 130 / 60
constexpr double BEAT_PULSE_SECONDS = 0.23;
constexpr double BEAT_PULSE_FALL = 4.3478260869565215;    // 1 / 0.23: falls from 1 to 0 in 0.23 s
constexpr double ACCENT_PULSE_SECONDS = 0.46;
constexpr double ACCENT_PULSE_FALL = 2.1739130434782608;  // 1 / 0.46
// Beats are counted this early so the flashes land on the heard kick, not after it.
constexpr double BEAT_LEAD_SECONDS = 0.05;
// Until here the clock follows the music; from here on it runs freely, so the ending never
// waits on the stream.
constexpr double MUSIC_LEADS_UNTIL_SECONDS = 140.0;

}  // namespace

void resetBeatState() {
  beatPulseEnd = -9999999.0f;
  accentPulseEnd = -999999.0f;
  previousBeat = 0;
  pulsePhase = 0.0f;
}

void updateTiming() {
  double t = showClock.seconds();
  if (t < MUSIC_LEADS_UNTIL_SECONDS) {
    int ms = platform::soundStreamGetTime(musicStream);
    showClock.setSeconds(float(double(ms) * 0.001));
  }

  double x = showClock.seconds() + BEAT_LEAD_SECONDS;
  int32_t b = 1 + int32_t(std::trunc(x * BEATS_PER_SECOND));
  beatIndex = b;

  if (b != previousBeat) {
    beatPulseEnd = float(x + BEAT_PULSE_SECONDS);
    if (b % 2 == 0) accentPulseEnd = float(x + ACCENT_PULSE_SECONDS);
    previousBeat = b;
  }

  beatPulse = x < beatPulseEnd ? float((beatPulseEnd - x) * BEAT_PULSE_FALL) : 0.0f;
  accentPulse = x < accentPulseEnd ? float((accentPulseEnd - x) * ACCENT_PULSE_FALL) : 0.0f;
  pulsePhase = float(pulsePhase + beatPulse);
}

void resetBeatIndex() { beatIndex = 0; }
