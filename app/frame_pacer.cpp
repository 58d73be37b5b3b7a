#include "app/frame_pacer.h"

FramePacer::FramePacer(int refreshHz)
    : period_(uint64_t(1000000 / (refreshHz > 0 ? refreshHz : 60))) {}

void FramePacer::reset(bool swapIntervalAccepted) {
  intervalAccepted_ = swapIntervalAccepted;
  swapPaces_ = false;
  deadline_ = 0;
  swapTotal_ = 0;
  swapCount_ = 0;
}

uint64_t FramePacer::afterSwap(uint64_t swapStart, uint64_t now) {
  // A swap that blocks on the refresh takes a good part of a period on average; one that does
  // not returns in well under a millisecond. Judge over a few swaps, then keep the verdict.
  constexpr int PACER_JUDGE_SWAPS = 16;
  if (intervalAccepted_ && swapCount_ < PACER_JUDGE_SWAPS) {
    swapTotal_ += now > swapStart ? now - swapStart : 0;
    if (++swapCount_ == PACER_JUDGE_SWAPS) swapPaces_ = swapTotal_ / PACER_JUDGE_SWAPS >= period_ / 4;
  }
  if (swapPaces_) return 0;

  if (deadline_ == 0 || deadline_ + period_ < now) {
    // First pass, or we fell a whole period behind: start counting from now instead of
    // rushing through frames to catch up.
    deadline_ = now;
  } else {
    deadline_ += period_;
  }
  return deadline_ > now ? deadline_ - now : 0;
}
