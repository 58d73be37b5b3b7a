// The music's position through waveOut on a real audio device. The Wine tests run this with a
// PulseAudio server, which they stop for a while once it says "playing", as a headset that is
// unplugged or hangs; where the system has no audio device it is skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "platform/clock.h"
#include "platform/show_files.h"
#include "platform/sound.h"

namespace {

TEST(WindowsSound, PositionFollowsThePlayedMusicSmoothlyNeverAheadAndSeeks) {
  if (!platform::soundInit(44100)) GTEST_SKIP() << "no audio device here";
  platform::SoundStream* stream = platform::soundStreamOpen(DATA_MUSIC);
  const uint64_t start = platform::monotonicMicros();
  ASSERT_TRUE(platform::soundStreamPlay(stream));
  ASSERT_TRUE(platform::soundStreamSetTime(stream, 0));
  std::printf("playing\n");
  std::fflush(stdout);

  // Between two readings the position moves on by the time between them, give or take one of
  // the device's 10 ms steps, and never past the time since playback began. It stands still no
  // longer than the stall rule allows (a step, 200 ms, a reading) when the device stops.
  uint64_t longestHold = 0;
  auto follow = [&](int from, uint64_t since, double seconds) {
    int previous = from;
    uint64_t previousMicros = since, heldSince = since;
    while (platform::monotonicMicros() - since < uint64_t(seconds * 1e6)) {
      platform::sleepMs(2);
      const int now = platform::soundStreamGetTime(stream);
      const uint64_t nowMicros = platform::monotonicMicros();
      EXPECT_GE(now, previous);
      EXPECT_LE(now - previous, int((nowMicros - previousMicros) / 1000) + 12);
      EXPECT_LE(now - from, int((nowMicros - since) / 1000) + 2) << "ahead of the sound";
      if (now != previous) heldSince = nowMicros;
      longestHold = std::max(longestHold, nowMicros - heldSince);
      previous = now;
      previousMicros = nowMicros;
    }
    return previous;
  };
  const int played = follow(0, start, 2.5);
  // It moves with the music: behind real time by the output's latency and whatever the sound
  // server lost while a busy machine kept it waiting, which is far less than half.
  EXPECT_GT(played, 2500 / 2);

  const uint64_t seek = platform::monotonicMicros();
  ASSERT_TRUE(platform::soundStreamSetTime(stream, 60000));
  EXPECT_GE(platform::soundStreamGetTime(stream), 60000);
  EXPECT_GT(follow(60000, seek, 0.5), 60000 + 500 / 2);
  std::printf("the longest the position stood still: %d ms\n", int(longestHold / 1000));
  EXPECT_LT(longestHold, 300000u);
  platform::soundShutdown();
}

}  // namespace
