#pragma once
// Keeps the loop at the display's rate when the buffer swap does not wait for the refresh
// (a refused swap interval, or a driver that accepts it and paces nothing, as under Xvfb):
// pulsePhase grows once per pass, so the show only looks right at the display rate, and a
// spinning loop would burn a whole core.
#include <cstdint>

class FramePacer {
 public:
  explicit FramePacer(int refreshHz = 60);
  // A new context: the swap interval was accepted or not; what the swaps do is measured again.
  void reset(bool swapIntervalAccepted);
  // Called right after each swap with the time the swap began and now; returns how many
  // microseconds to sleep before the next pass (0 when the swap itself keeps the rate).
  uint64_t afterSwap(uint64_t swapStartMicros, uint64_t nowMicros);
  bool swapPaces() const { return swapPaces_; }
  uint64_t periodMicros() const { return period_; }

 private:
  uint64_t period_;
  bool intervalAccepted_ = false;
  bool swapPaces_ = false;
  uint64_t deadline_ = 0;
  uint64_t swapTotal_ = 0;
  int swapCount_ = 0;
};
