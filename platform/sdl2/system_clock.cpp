#include <time.h>

#include "platform/clock.h"
#include "platform/system_timer.h"

namespace platform {

uint64_t monotonicMicros() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint64_t(ts.tv_sec) * 1000000u + uint64_t(ts.tv_nsec) / 1000u;
}

void sleepMs(uint32_t ms) {
  if (ms == 0) return;
  timespec ts{time_t(ms / 1000), long(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

// The low 32 bits of a monotonic millisecond count wrap like the Windows timer.
uint32_t systemMilliseconds() { return uint32_t(monotonicMicros() / 1000u); }

}  // namespace platform
