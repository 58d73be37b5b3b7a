#include "platform/clock.h"

#include <time.h>

namespace platform {
namespace {
bool simulated = false;
uint32_t simulatedMs = 0;
}  // namespace

uint64_t monotonicMicros() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint64_t(ts.tv_sec) * 1000000u + uint64_t(ts.tv_nsec) / 1000u;
}

void useSimulatedClock(bool on, uint32_t ms) {
  simulated = on;
  simulatedMs = ms;
}

bool simulatedClock() { return simulated; }

void setSimulatedTime(uint32_t ms) { simulatedMs = ms; }

void sleepMs(uint32_t ms) {
  if (ms == 0) return;
  timespec ts{time_t(ms / 1000), long(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

}  // namespace platform

uint32_t timeGetTime() {
  if (platform::simulated) return platform::simulatedMs;
  // The low 32 bits of a monotonic millisecond count wrap like the Windows timer.
  return uint32_t(platform::monotonicMicros() / 1000u);
}
