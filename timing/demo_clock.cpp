#include "timing/demo_clock.h"

#include <cmath>

#include "platform/clock.h"

DemoClock showClock;
float sceneTime = 0.0f;

DemoClock::DemoClock() : startMs(platform::milliseconds()) {}

uint32_t DemoClock::start() {
  startMs = platform::milliseconds();
  return startMs;
}

void DemoClock::setSeconds(float s) {
  // Truncation toward zero in double precision, then the low 32 bits: a time larger than the
  // timer reading wraps the start ahead of the timer, exactly as the unsigned reading expects.
  double wanted = std::trunc(double(platform::milliseconds()) - double(s) * 1000.0);
  startMs = uint32_t(int64_t(wanted));
}

double DemoClock::seconds() const { return secondsOf(platform::milliseconds() - startMs); }

double DemoClock::secondsOf(uint32_t elapsedMs) {
  // 0.0010000000474974513 is the single-precision value of 0.001.
  return double(elapsedMs) * 0.0010000000474974513;
}
