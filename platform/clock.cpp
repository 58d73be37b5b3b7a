#include "platform/clock.h"

#include "platform/system_timer.h"

namespace platform {
namespace {
bool simulated = false;
uint32_t simulatedMs = 0;
}  // namespace

void useSimulatedClock(bool on, uint32_t ms) {
  simulated = on;
  simulatedMs = ms;
}

bool simulatedClock() { return simulated; }

void setSimulatedTime(uint32_t ms) { simulatedMs = ms; }

uint32_t milliseconds() { return simulated ? simulatedMs : systemMilliseconds(); }

}  // namespace platform
