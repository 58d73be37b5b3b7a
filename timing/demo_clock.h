#pragma once
// The show clock: platform::milliseconds since the start of the music, read as seconds.
// Owned here; started by initShow, pulled onto the music position by updateTiming. Also the
// clock's reading for the frame being drawn, which every layer and effect reads.
#include <cstdint>

class DemoClock {
 public:
  DemoClock();
  // Makes now show time 0; returns the new start.
  uint32_t start();
  // Makes the clock read `s` seconds now.
  void setSeconds(float s);
  // Show time in seconds. The difference is unsigned, so a start ahead of the timer reads as a
  // huge time, never a negative one.
  double seconds() const;
  // What the clock reads `elapsedMs` milliseconds after its start (154500 ms read as a little
  // over 154.5 s).
  static double secondsOf(uint32_t elapsedMs);

  uint32_t startMs;
};

extern DemoClock showClock;

// Show time of the current frame in seconds: written only by drawFrame, once per frame, from
// showClock; read by every layer drawn after that, effects included. Program thread.
extern float sceneTime;
