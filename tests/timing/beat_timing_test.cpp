// The beat counter, its envelopes and the pull onto the music, driven by the simulated clock
// and a silent music stream whose position the test sets.
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/sound.h"
#include "timing/beat_timing.h"
#include "timing/demo_clock.h"
#include "timing/music.h"

constexpr uint32_t kBase = 100000;  // the simulated timer's reading during a test

class BeatTimingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::useSimulatedClock(true, kBase);
    showClock.setSeconds(0.0f);
    ::testing::internal::CaptureStderr();
    musicStream = platform::soundStreamOpen("no/such/music.mp3");
    ::testing::internal::GetCapturedStderr();
    platform::soundStreamPlay(musicStream);
    resetBeatState();
    resetBeatIndex();
  }
  void TearDown() override { platform::useSimulatedClock(false); }
};

TEST_F(BeatTimingTest, BeatsAndEnvelopesFollowTheMusic) {
  // ms: the music's position; the pulses restart on every change, the accent only on even beats.
  const struct { int ms, beat; float pulse, accent; } passes[] = {
      {0, 1, 1, 0},        {115, 1, 0.5f, 0},  // half-way down the 0.23 s ramp
      {300, 1, 0, 0},      {412, 2, 1, 1},
      {660, 2, 0, 0.461f},                     // the accent runs on past the pulse
      {1000, 3, 1, 0},     {1900, 5, 1, 0},    // 4 skipped: one restart
      {2200, 5, 0, 0},     {2800, 7, 1, 0},    // 6 skipped: 7 is odd, no accent
      {3000, 7, 0.13f, 0}, {2300, 6, 1, 1},    // pulled back to 6: a change, and even
      {10000, 22, 1, 1},
  };
  for (const auto& p : passes) {
    const float phaseBefore = pulsePhase;
    platform::soundStreamSetTime(musicStream, p.ms);
    updateTiming();
    EXPECT_EQ(beatIndex, p.beat) << p.ms;
    EXPECT_NEAR(beatPulse, p.pulse, 0.01f) << p.ms;
    EXPECT_NEAR(accentPulse, p.accent, 0.01f) << p.ms;
    EXPECT_GE(accentPulse, 0.0f);
    EXPECT_FLOAT_EQ(pulsePhase, phaseBefore + beatPulse) << p.ms;
  }
}

TEST_F(BeatTimingTest, FollowsTheMusicOnlyBelow140Seconds) {
  showClock.setSeconds(50.0f);
  platform::soundStreamSetTime(musicStream, 20000);
  updateTiming();
  EXPECT_NEAR(showClock.seconds(), 20.0, 0.002);

  // From 140 s the stream (still near 20 s) is not consulted: the clock keeps its own time.
  showClock.setSeconds(140.0f);
  updateTiming();
  EXPECT_NEAR(showClock.seconds(), 140.0, 0.002);
  EXPECT_EQ(beatIndex, 304);
  platform::setSimulatedTime(kBase + 500);
  updateTiming();
  EXPECT_NEAR(showClock.seconds(), 140.5, 0.002);
  showClock.setSeconds(154.5f);
  updateTiming();
  EXPECT_EQ(beatIndex, 335);
}
