// The beat counter, its envelopes and the pull onto the music, driven by the simulated clock
// and a silent music stream whose position the test sets.
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/sound.h"
#include "timing/beat_timing.h"
#include "timing/demo_clock.h"
#include "timing/music.h"

namespace {

constexpr uint32_t kBase = 100000;  // the simulated timer's reading during a test

class BeatTimingTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    platform::useSimulatedClock(true, kBase);
    if (!musicStream) {
      ::testing::internal::CaptureStderr();
      musicStream = platform::soundStreamOpen("no/such/music.mp3");
      ::testing::internal::GetCapturedStderr();
      platform::soundStreamPlay(musicStream);
    }
  }
  static void TearDownTestSuite() { platform::useSimulatedClock(false); }

  void SetUp() override {
    platform::setSimulatedTime(kBase);
    resetBeatState();
    resetBeatIndex();
    beatPulse = accentPulse = 0.0f;
  }

  // One pass at show time `ms`: the music reports ms and the clock reads it.
  static void passAt(int ms) {
    platform::soundStreamSetTime(musicStream, ms);
    showClock.setSeconds(float(ms * 0.001));
    updateTiming();
  }
};

TEST_F(BeatTimingTest, CountsBeatsAtTheWorkedTimes) {
  const struct {
    int ms;
    int beat;
  } cases[] = {{0, 1}, {300, 1}, {412, 2}, {1000, 3}, {10000, 22}};
  for (const auto& c : cases) {
    passAt(c.ms);
    EXPECT_EQ(beatIndex, c.beat) << c.ms << " ms";
  }
  // From 140 s the music is no longer asked; set the clock directly.
  showClock.setSeconds(140.0f);
  updateTiming();
  EXPECT_EQ(beatIndex, 304);
  showClock.setSeconds(154.5f);
  updateTiming();
  EXPECT_EQ(beatIndex, 335);
}

TEST_F(BeatTimingTest, EnvelopesRestartOnBeatsAndAccentsOnlyOnEvenOnes) {
  passAt(0);  // 0 -> 1: the beat pulse starts, the accent does not
  EXPECT_EQ(beatIndex, 1);
  EXPECT_NEAR(beatPulse, 1.0f, 1e-5f);
  EXPECT_EQ(accentPulse, 0.0f);
  EXPECT_NEAR(pulsePhase, beatPulse, 1e-6f);

  passAt(115);  // half-way down the 0.23 s ramp
  EXPECT_NEAR(beatPulse, 0.5f, 0.01f);
  const float phaseSoFar = pulsePhase;

  passAt(412);  // beat 2: both restart
  EXPECT_EQ(beatIndex, 2);
  EXPECT_NEAR(beatPulse, 1.0f, 1e-5f);
  EXPECT_NEAR(accentPulse, 1.0f, 1e-5f);
  EXPECT_NEAR(pulsePhase, phaseSoFar + beatPulse, 1e-5f);

  passAt(660);  // past the 0.23 s ramp the beat pulse is exactly 0; the accent runs on
  EXPECT_EQ(beatPulse, 0.0f);
  EXPECT_NEAR(accentPulse, (0.922 - 0.71) / 0.46, 0.01);

  passAt(1000);  // beat 3: only the beat pulse restarts; the accent has run out, never negative
  EXPECT_EQ(beatIndex, 3);
  EXPECT_NEAR(beatPulse, 1.0f, 1e-5f);
  EXPECT_EQ(accentPulse, 0.0f);
}

TEST_F(BeatTimingTest, SkippedAndBackwardBeatsCountAsChanges) {
  passAt(1900);  // beat 5
  EXPECT_EQ(beatIndex, 5);
  passAt(2200);  // still 5: the pulse decays
  EXPECT_LT(beatPulse, 0.1f);

  passAt(2800);  // a stall jumps 5 -> 7: one restart, no accent (7 is odd)
  EXPECT_EQ(beatIndex, 7);
  EXPECT_NEAR(beatPulse, 1.0f, 1e-5f);
  EXPECT_EQ(accentPulse, 0.0f);

  passAt(3000);
  passAt(2300);  // the music pulls the clock back to beat 6: a change, and 6 is even
  EXPECT_EQ(beatIndex, 6);
  EXPECT_NEAR(beatPulse, 1.0f, 1e-5f);
  EXPECT_NEAR(accentPulse, 1.0f, 1e-5f);
}

TEST_F(BeatTimingTest, FollowsTheMusicOnlyBelow140Seconds) {
  // Below 140 s the clock is set to the stream's position, whatever it read.
  showClock.setSeconds(50.0f);
  platform::soundStreamSetTime(musicStream, 20000);
  updateTiming();
  EXPECT_NEAR(showClock.seconds(), 20.0, 0.002);

  // At 140 s and after, the stream is not consulted: the clock keeps its own time.
  showClock.setSeconds(140.0f);
  updateTiming();
  EXPECT_NEAR(showClock.seconds(), 140.0, 0.002);
  platform::setSimulatedTime(kBase + 500);
  updateTiming();
  EXPECT_NEAR(showClock.seconds(), 140.5, 0.002);
}

}  // namespace
