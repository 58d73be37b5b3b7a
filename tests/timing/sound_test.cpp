// The music player on real MP3 files made here with LAME, played through SDL's dummy audio
// driver (a real device that discards the sound at the real rate).
#include "platform/sound.h"

#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>
#include <string>

#include "platform/clock.h"
#include "tests/timing/lame_files.h"

namespace {

using platform::SoundStream;

// The one output device open, found by its status (SDL numbers devices from 2).
SDL_AudioDeviceID openOutput() {
  for (SDL_AudioDeviceID id = 1; id < 64; ++id) {
    if (SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED) return id;
  }
  return 0;
}

// Plays from `fromMs` for about `waitMs`; how far the position moved, and the milliseconds the
// wall clock measured meanwhile (a loaded machine may sleep longer than asked).
struct Played {
  int moved;
  double wallMs;
};
Played play(SoundStream* s, int fromMs, uint32_t waitMs) {
  platform::soundStreamPlay(s);
  platform::soundStreamSetTime(s, fromMs);
  const uint64_t start = platform::monotonicMicros();
  platform::sleepMs(waitMs);
  const int position = platform::soundStreamGetTime(s);
  return {position - fromMs, double(platform::monotonicMicros() - start) / 1000.0};
}

// How far a stream played by SDL's dummy device may fall behind the wall clock: its buffering,
// and the device's own lag, since it paces itself with sleeps that overrun on a loaded machine
// (it was seen 3 % slow with two cores shared ten ways). It is never fast.
double deviceLag(double wallMs) { return 220 + 0.1 * wallMs; }

// Behind the wall clock by at most `lagMs`, never ahead of it.
void expectFollowsWallClock(const Played& p, double lagMs) {
  EXPECT_LE(p.moved, p.wallMs + 5) << "ahead of the wall clock";
  EXPECT_GE(p.moved, p.wallMs - lagMs) << "behind the wall clock";
}

// Reads the position every 4 ms for `ms`: it never goes back. Returns the last reading; the
// largest step beyond the wall time between two readings goes to `largestJump`.
int watch(SoundStream* s, uint32_t ms, int previous, double* largestJump = nullptr) {
  const uint64_t start = platform::monotonicMicros();
  for (uint64_t before = start, now = start; now - start < ms * 1000u; before = now) {
    platform::sleepMs(4);
    const int position = platform::soundStreamGetTime(s);
    now = platform::monotonicMicros();
    EXPECT_GE(position, previous) << "the position went backwards";
    if (largestJump) *largestJump = std::max(*largestJump, (position - previous) - double(now - before) / 1000.0);
    previous = position;
  }
  return previous;
}

void expectOneSilentLine(const std::string& said, const std::string& naming) {
  EXPECT_NE(said.find(naming), std::string::npos) << said;
  EXPECT_NE(said.find("plays silent"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }
  void TearDown() override { platform::soundShutdown(); }
};

TEST_F(SoundTest, PositionAdvancesAtRealRateSmoothlyAndSeeksBack) {
  const std::string path = makeMp3(4.0);
  ASSERT_TRUE(platform::soundInit(44100));
  ::testing::internal::CaptureStderr();
  SoundStream* s = platform::soundStreamOpen(path.c_str());
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // a good file plays, no complaint
  platform::soundStreamPlay(s);
  platform::soundStreamSetTime(s, 0);
  const uint64_t start = platform::monotonicMicros();
  double largestJump = 0;
  const int position = watch(s, 1200, 0, &largestJump);
  const double wallMs = double(platform::monotonicMicros() - start) / 1000.0;
  // Behind the wall clock by the device's buffering at most (the dummy driver takes a 93 ms
  // buffer at once, the position allows for one more queued), never ahead of it.
  expectFollowsWallClock({position, wallMs}, deviceLag(wallMs));
  EXPECT_LT(largestJump, 10);  // interpolated between callbacks, not in 93 ms steps

  platform::soundStreamSetTime(s, 0);
  EXPECT_LT(platform::soundStreamGetTime(s), 5);
  Played p = play(s, 0, 300);
  expectFollowsWallClock(p, deviceLag(p.wallMs));
  // Past the end of the stream the position keeps advancing.
  p = play(s, 3800, 700);
  expectFollowsWallClock(p, deviceLag(p.wallMs));
  std::remove(path.c_str());
}

TEST_F(SoundTest, MissingOrBrokenMusicOrNoDevicePlaysSilentOnTheClock) {
  ASSERT_TRUE(platform::soundInit(44100));
  char garbage[] = "/tmp/kk-garbage-XXXXXX.mp3";
  const int fd = mkstemps(garbage, 4);
  const std::string junk(20000, 'x');
  ASSERT_EQ(write(fd, junk.data(), junk.size()), ssize_t(junk.size()));
  close(fd);
  for (const char* path : {"/no/such/dir/music.mp3", static_cast<const char*>(garbage)}) {
    ::testing::internal::CaptureStderr();
    SoundStream* s = platform::soundStreamOpen(path);
    expectOneSilentLine(::testing::internal::GetCapturedStderr(), path);
    expectFollowsWallClock(play(s, 1000, 200), 10);  // the millisecond clock itself
  }
  std::remove(garbage);

  platform::soundShutdown();
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  const std::string path = makeMp3(1.0);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(platform::soundInit(44100));
  expectOneSilentLine(::testing::internal::GetCapturedStderr(), "audio");
  expectFollowsWallClock(play(platform::soundStreamOpen(path.c_str()), 0, 250), 10);
  std::remove(path.c_str());
}

TEST_F(SoundTest, AMusicFileThatIsAFifoPlaysSilentWithoutWaitingForAWriter) {
  ASSERT_TRUE(platform::soundInit(44100));
  char dir[] = "/tmp/kk-fifo-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string fifo = std::string(dir) + "/music.mp3";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ::testing::internal::CaptureStderr();
  auto opening = std::async(std::launch::async, [&] { return platform::soundStreamOpen(fifo.c_str()); });
  if (opening.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
    ADD_FAILURE() << "opening the FIFO waits for a writer";
    // Every open that waits is let go by a writer that comes and goes: the stream then ends.
    while (opening.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
      const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0) close(writer);
    }
  }
  SoundStream* s = opening.get();
  expectOneSilentLine(::testing::internal::GetCapturedStderr(), fifo + ": is not a regular file");
  expectFollowsWallClock(play(s, 1000, 200), 10);
  std::remove(fifo.c_str());
  rmdir(dir);
}

// The stall rule itself is tested in sound_position_test.cpp; here the SDL device feeds it.
TEST_F(SoundTest, AStalledDeviceHandsThePositionToTheClockUntilItTakesSamplesAgain) {
  const std::string path = makeMp3(4.0);
  ASSERT_TRUE(platform::soundInit(44100));
  SoundStream* s = platform::soundStreamOpen(path.c_str());
  platform::soundStreamPlay(s);
  platform::soundStreamSetTime(s, 0);
  const SDL_AudioDeviceID output = openOutput();
  ASSERT_NE(output, 0u);
  platform::sleepMs(300);
  // Holding the device's lock (its thread waits for it before every callback) stalls it: the
  // position goes on with the clock after one line; it runs on once the device takes samples
  // again, and a second stall is noticed again.
  for (int stall = 0; stall < 2; ++stall) {
    const int from = platform::soundStreamGetTime(s);
    ::testing::internal::CaptureStderr();
    SDL_LockAudioDevice(output);
    const uint64_t start = platform::monotonicMicros();
    const int during = watch(s, 500, from);
    SDL_UnlockAudioDevice(output);
    const double wallMs = double(platform::monotonicMicros() - start) / 1000;
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("audio device"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    // Held for the detection time and one buffer of interpolation at most, then on.
    EXPECT_GE(during - from, wallMs - 200 - 100) << "stalled " << wallMs << " ms";
    const int after = watch(s, 300, during);
    EXPECT_GT(after, during) << "the device drives the position again";
  }
  std::remove(path.c_str());
}

}  // namespace
