#pragma once
// The rules both sound backends keep for the position being heard (monotonic, smooth between
// device reports, the stall rule and its catch-up, the silent clock), fed with times and device
// counts: it reads no clock. Not locked: each backend calls it under its own lock.
#include <cstdint>

namespace platform {

// The two clocks the position reads: the show's millisecond clock (milliseconds, which a replayed
// run simulates) for the silent clock, and the monotonic microseconds that time the device.
struct SoundClocks {
  uint32_t ms;
  uint64_t micros;
};

// The units a device may count what it has played in (waveOut's MMTIME answers in one of them).
enum class DeviceCountUnit { BYTES, SAMPLES, MILLISECONDS, OTHER };

// A device's count as frames of `rate` Hz with `bytesPerFrame` bytes each; -1 for a unit that
// says nothing about time played (bars, SMPTE, ticks).
int64_t deviceCountFrames(DeviceCountUnit unit, uint32_t value, int rate, int bytesPerFrame);

class SoundPosition {
 public:
  // No device report for this long while playing: the device has stopped taking samples. More
  // than two SDL buffers, and past the longest hiccup seen on a loaded machine (180 ms).
  static constexpr uint64_t STALL_MICROS = 200000;

  // `rate`: the output's frames per second. `smoothMicros`: how far the position moves on with
  // the clock past the device's last report (its buffer, or its count's step).
  SoundPosition(int rate, int64_t smoothMicros) : rate_(rate), smoothMicros_(smoothMicros) {}

  // From here on the position follows the millisecond clock from where it stands: no device, no
  // music, or a device that failed. For good.
  void goSilent(SoundClocks now);
  bool silent() const { return silent_; }

  // Playback starts at 0 (a stall is forgotten); a seek moves it to `ms`. Until the device
  // reports from there, the position holds.
  void play(SoundClocks now);
  void seek(int64_t ms, SoundClocks now);

  // The device was handed stream frame `frame` at `micros`: nothing later can have been heard
  // sooner, however far its count runs (for devices that count what they passed on).
  void deviceStarted(int64_t frame, uint64_t micros);

  // The device took samples at `micros`; stream frame `heardFrame` is being heard then.
  void deviceTook(int64_t heardFrame, uint64_t micros);

  // Called when the device takes samples: after a stall, ends it and gives the stream frame the
  // clock has reached, where the music is to go on; false when there was no stall.
  bool catchUp(uint64_t micros, int64_t* frame);
  bool stalled() const { return stalled_; }

  // The position in milliseconds. The first reading 200 ms after the device's last report
  // starts the stall, with one line on standard error.
  int64_t read(SoundClocks now);

 private:
  int64_t stallPositionAt(uint64_t micros) const;
  int64_t computed(SoundClocks now) const;

  int rate_;
  int64_t smoothMicros_;
  bool playing_ = false;
  bool silent_ = false;

  // The silent clock: basePositionMs_ at the millisecond clock's baseClockMs_.
  int64_t basePositionMs_ = 0;
  uint32_t baseClockMs_ = 0;

  // The device's last report, or the play or seek waiting for one.
  bool reported_ = false;
  int64_t heardFrame_ = 0;
  uint64_t reportMicros_ = 0;

  // Where the device was last handed its first frame, when the backend says so.
  bool started_ = false;
  int64_t startFrame_ = 0;
  uint64_t startMicros_ = 0;

  // A stalled device: the position runs on the monotonic clock from stallPositionMs_ at
  // stallMicros_.
  bool stalled_ = false;
  int64_t stallPositionMs_ = 0;
  uint64_t stallMicros_ = 0;

  int64_t lastReadMs_ = 0;  // keeps the reading monotonic between seeks
};

}  // namespace platform
