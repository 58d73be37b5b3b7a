#include "platform/clock.h"
#include "platform/system_timer.h"
#include "platform/win32/windows_api.h"

namespace platform {
namespace {

// The show counts milliseconds with winmm's timeGetTime and sleeps between frames where the
// swap does not wait: both need the system timer at 1 ms, not the 15.6 ms it may default to. Raised for
// the life of the process, given back when it ends.
struct TimerResolution {
  bool raised = timeBeginPeriod(1) == TIMERR_NOERROR;
  ~TimerResolution() {
    if (raised) timeEndPeriod(1);
  }
} timerResolution;

int64_t performanceFrequency() {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return f.QuadPart;
}

}  // namespace

uint32_t systemMilliseconds() { return timeGetTime(); }

uint64_t monotonicMicros() {
  static const int64_t frequency = performanceFrequency();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  // Whole seconds and the remainder apart, so the product never overflows.
  const int64_t seconds = now.QuadPart / frequency;
  const int64_t rest = now.QuadPart % frequency;
  return uint64_t(seconds) * 1000000u + uint64_t(rest * 1000000 / frequency);
}

void sleepMs(uint32_t ms) {
  if (ms > 0) Sleep(ms);
}

}  // namespace platform
