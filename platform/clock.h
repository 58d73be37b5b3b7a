#pragma once
// The show's millisecond clock: a wrapping unsigned 32-bit count from the system's timer.
// The offline renderer and the tests switch it to a simulated count that they set themselves,
// so a run can be replayed frame for frame. Call from the program's thread only.
#include <cstdint>

namespace platform {

// Milliseconds since the timer's epoch; wraps after 2^32 ms. On Windows winmm's millisecond
// timer; on Linux a monotonic clock read the same way.
uint32_t milliseconds();

// Switches the clock to a simulated count, starting at `ms`; milliseconds then returns only what
// setSimulatedTime gave it. Passing false goes back to the real clock.
void useSimulatedClock(bool on, uint32_t ms = 0);
bool simulatedClock();
void setSimulatedTime(uint32_t ms);

// Sleeps the calling thread for about `ms` milliseconds (no-op for 0).
void sleepMs(uint32_t ms);

// Microseconds from a monotonic clock, for pacing and benchmarks (never simulated).
uint64_t monotonicMicros();

}  // namespace platform
