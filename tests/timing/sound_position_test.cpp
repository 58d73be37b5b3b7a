// The position rules both sound backends share, fed with the times and device reports a device
// would give (so they hold on any machine); run natively and in the Windows test program.
#include "platform/sound_position.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using platform::DeviceCountUnit;
using platform::SoundPosition;

constexpr int RATE = 44100;
// The millisecond clock stands just short of its wrap, which the silent clock must not notice.
constexpr uint32_t CLOCK_MS = 0xFFFFFF00u;
constexpr uint64_t START_MICROS = 5000000;

static platform::SoundClocks at(int64_t ms) {
  return {uint32_t(CLOCK_MS + uint32_t(ms)), START_MICROS + uint64_t(ms) * 1000};
}
static uint64_t micros(int64_t ms) { return at(ms).micros; }
static int64_t frames(int64_t ms) { return ms * RATE / 1000; }
static int64_t lines(const std::string& said) { return std::count(said.begin(), said.end(), '\n'); }

TEST(SoundPosition, SmoothBetweenReportsNeverBackNorAheadOfTheDevice) {
  SoundPosition p(RATE, 93000);  // a 93 ms buffer
  p.play(at(0));
  EXPECT_EQ(p.read(at(50)), 0);  // nothing heard yet
  p.deviceTook(frames(100), micros(100));
  EXPECT_EQ(p.read(at(140)), 140);  // on with the clock between reports
  EXPECT_EQ(p.read(at(250)), 193);  // but no further than the device's buffer
  p.deviceTook(frames(150), micros(251));
  EXPECT_EQ(p.read(at(252)), 193);  // a report behind what was read never takes it back

  p.seek(500, at(300));
  EXPECT_EQ(p.read(at(301)), 500);
  // A device that counts what it passed on, not what was heard: never ahead of the time since
  // it was handed the seek's frame.
  p.deviceStarted(frames(500), micros(300));
  p.deviceTook(frames(700), micros(310));
  EXPECT_EQ(p.read(at(320)), 520);
}

TEST(SoundPosition, AStalledDeviceHandsThePositionToTheClockAndTheMusicCatchesUp) {
  SoundPosition p(RATE, 93000);
  p.play(at(0));
  p.deviceTook(frames(800), micros(1000));
  // 200 ms without a report is a hiccup; past it the position stands where it stood, then goes
  // on with the clock, after one line.
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(p.read(at(1200)), 893);
  EXPECT_EQ(p.read(at(1201)), 893);
  EXPECT_EQ(p.read(at(1501)), 1193);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("audio device took no sound for 201 ms"), std::string::npos) << said;
  EXPECT_EQ(lines(said), 1) << said;

  // Taking samples again, the music goes on where the clock is, and the device drives again.
  int64_t frame = 0;
  ASSERT_TRUE(p.catchUp(micros(1601), &frame));
  EXPECT_EQ(frame, frames(1293));
  EXPECT_FALSE(p.catchUp(micros(1602), &frame));
  EXPECT_EQ(p.read(at(1602)), 1293);
  p.deviceTook(frames(1300), micros(1610));
  EXPECT_EQ(p.read(at(1650)), 1340);

  // A second stall is noticed again; a seek during it goes on with the clock from the new place.
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(p.read(at(1811)), 1393);
  p.seek(5000, at(1900));
  EXPECT_EQ(p.read(at(2000)), 5100);
  EXPECT_EQ(lines(::testing::internal::GetCapturedStderr()), 1);
}

TEST(SoundPosition, WithoutADeviceOrAfterItFailsTheSilentClockRuns) {
  ::testing::internal::CaptureStderr();
  SoundPosition silent(RATE, 93000);
  silent.goSilent(at(0));
  silent.seek(1000, at(10));
  EXPECT_EQ(silent.read(at(20)), 1000);  // not playing yet: where it was put
  silent.play(at(100));
  EXPECT_EQ(silent.read(at(350)), 250);  // across the millisecond clock's wrap
  silent.seek(7000, at(400));
  EXPECT_EQ(silent.read(at(1900)), 8500);  // no device, no stall

  SoundPosition failed(RATE, 93000);
  failed.play(at(0));
  failed.deviceTook(frames(100), micros(150));
  failed.goSilent(at(160));  // from where it stands
  EXPECT_EQ(failed.read(at(1000)), 950);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(SoundPosition, ADeviceCountInBytesSamplesOrMillisecondsBecomesFrames) {
  // One second of 16-bit stereo in each unit; a count past 2^32 / 44100 ms must not overflow.
  EXPECT_EQ(platform::deviceCountFrames(DeviceCountUnit::BYTES, 176400, RATE, 4), RATE);
  EXPECT_EQ(platform::deviceCountFrames(DeviceCountUnit::SAMPLES, 44100, RATE, 4), RATE);
  EXPECT_EQ(platform::deviceCountFrames(DeviceCountUnit::MILLISECONDS, 1000, RATE, 4), RATE);
  EXPECT_EQ(platform::deviceCountFrames(DeviceCountUnit::MILLISECONDS, 200000, RATE, 4), 200 * RATE);
  EXPECT_EQ(platform::deviceCountFrames(DeviceCountUnit::OTHER, 1000, RATE, 4), -1);
}
