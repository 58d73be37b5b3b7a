#include "platform/sound_position.h"

#include <algorithm>

#include "platform/report.h"

namespace platform {

int64_t deviceCountFrames(DeviceCountUnit unit, uint32_t value, int rate, int bytesPerFrame) {
  switch (unit) {
    case DeviceCountUnit::BYTES: return int64_t(value) / bytesPerFrame;
    case DeviceCountUnit::SAMPLES: return int64_t(value);
    case DeviceCountUnit::MILLISECONDS: return int64_t(value) * rate / 1000;
    case DeviceCountUnit::OTHER: break;
  }
  return -1;
}

void SoundPosition::goSilent(SoundClocks now) {
  if (silent_) return;
  basePositionMs_ = playing_ ? std::max(computed(now), lastReadMs_) : basePositionMs_;
  baseClockMs_ = now.ms;
  silent_ = true;
  stalled_ = false;
}

void SoundPosition::play(SoundClocks now) {
  playing_ = true;
  stalled_ = false;
  seek(0, now);
}

void SoundPosition::seek(int64_t ms, SoundClocks now) {
  const int64_t position = std::max<int64_t>(0, ms);
  basePositionMs_ = position;
  baseClockMs_ = now.ms;
  reported_ = false;
  reportMicros_ = now.micros;
  lastReadMs_ = position;
  // A seek while stalled: the clock goes on from the new place, and the music joins it there.
  stallPositionMs_ = position;
  stallMicros_ = now.micros;
}

void SoundPosition::deviceStarted(int64_t frame, uint64_t micros) {
  started_ = true;
  startFrame_ = frame;
  startMicros_ = micros;
}

void SoundPosition::deviceTook(int64_t heardFrame, uint64_t micros) {
  reported_ = true;
  heardFrame_ = heardFrame;
  reportMicros_ = micros;
}

bool SoundPosition::catchUp(uint64_t micros, int64_t* frame) {
  if (!stalled_) return false;
  stalled_ = false;
  *frame = stallPositionAt(micros) * rate_ / 1000;
  // Nothing heard from the new place yet: the position holds until the device reports.
  reported_ = false;
  reportMicros_ = micros;
  lastReadMs_ = std::max(lastReadMs_, stallPositionAt(micros));
  return true;
}

int64_t SoundPosition::stallPositionAt(uint64_t micros) const {
  return stallPositionMs_ + int64_t(micros - stallMicros_) / 1000;
}

int64_t SoundPosition::computed(SoundClocks now) const {
  if (silent_) return basePositionMs_ + int64_t(uint32_t(now.ms - baseClockMs_));
  if (stalled_) return stallPositionAt(now.micros);
  if (!reported_) return lastReadMs_;  // nothing heard from here yet
  // Between reports the heard position moves on with the clock, but never past what the device
  // has, nor past the time since it was handed its first frame.
  const int64_t sinceMicros = int64_t(now.micros - reportMicros_);
  int64_t micros = heardFrame_ * 1000000 / rate_ + std::min(sinceMicros, smoothMicros_);
  if (started_) {
    micros = std::min(micros, startFrame_ * 1000000 / rate_ + int64_t(now.micros - startMicros_));
  }
  return micros / 1000;
}

int64_t SoundPosition::read(SoundClocks now) {
  if (!playing_) return basePositionMs_;
  int64_t ms = computed(now);
  const int64_t sinceMicros = int64_t(now.micros - reportMicros_);
  if (!silent_ && !stalled_ && sinceMicros > int64_t(STALL_MICROS)) {
    // Unplugged or hung: the show must not wait for it. The position goes on with the clock
    // from where it stands, and the music joins it when the device takes samples again.
    stalled_ = true;
    stallPositionMs_ = std::max(ms, lastReadMs_);
    stallMicros_ = now.micros;
    report("the audio device took no sound for %d ms; the show goes on with its own clock",
           int(sinceMicros / 1000));
  }
  ms = std::max(ms, lastReadMs_);
  lastReadMs_ = ms;
  return ms;
}

}  // namespace platform
