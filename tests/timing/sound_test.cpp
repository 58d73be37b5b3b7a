// The music player on real MP3 files made here with LAME, played through SDL's dummy audio
// driver (a real device that discards the sound at the real rate).
#include <gtest/gtest.h>
#include <lame/lame.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/sound.h"

namespace {

// A stereo tone of `seconds` at 44.1 kHz, CBR, with the gapless tag written over the first frame.
std::string makeMp3(double seconds) {
  char path[] = "/tmp/kk-sound-XXXXXX.mp3";
  int fd = mkstemps(path, 4);
  if (fd < 0) return {};
  close(fd);
  lame_t lame = lame_init();
  lame_set_in_samplerate(lame, 44100);
  lame_set_num_channels(lame, 2);
  lame_set_brate(lame, 128);
  lame_set_quality(lame, 7);
  lame_set_bWriteVbrTag(lame, 1);
  lame_init_params(lame);
  const int frames = int(seconds * 44100);
  std::vector<short> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    left[size_t(i)] = right[size_t(i)] = short(8000 * std::sin(2 * M_PI * 440.0 * i / 44100.0));
  }
  std::vector<unsigned char> out(size_t(1.25 * frames + 7200) + 16384);
  int n = lame_encode_buffer(lame, left.data(), right.data(), frames, out.data(), int(out.size()));
  n += lame_encode_flush(lame, out.data() + n, int(out.size()) - n);
  FILE* f = std::fopen(path, "wb");
  std::fwrite(out.data(), 1, size_t(n), f);
  std::vector<unsigned char> tag(4096);
  size_t tagSize = lame_get_lametag_frame(lame, tag.data(), tag.size());
  std::fseek(f, 0, SEEK_SET);
  std::fwrite(tag.data(), 1, tagSize, f);
  std::fclose(f);
  lame_close(lame);
  return path;
}

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::useSimulatedClock(false);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  void TearDown() override { platform::soundShutdown(); }
};

TEST_F(SoundTest, PositionAdvancesAtRealRateSmoothlyAndSeeksBack) {
  const std::string path = makeMp3(4.0);
  ASSERT_FALSE(path.empty());
  ASSERT_TRUE(platform::soundInit(44100));
  ::testing::internal::CaptureStderr();
  platform::SoundStream* s = platform::soundStreamOpen(path.c_str());
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // a good file plays, no complaint
  platform::soundStreamPlay(s);
  platform::soundStreamSetTime(s, 0);

  const uint64_t start = platform::monotonicMicros();
  int previous = platform::soundStreamGetTime(s);
  int largestStep = 0;
  while (platform::monotonicMicros() - start < 1200000) {
    platform::sleepMs(4);
    const int now = platform::soundStreamGetTime(s);
    ASSERT_GE(now, previous) << "the position went backwards";
    largestStep = std::max(largestStep, now - previous);
    previous = now;
  }
  const double wallMs = double(platform::monotonicMicros() - start) / 1000.0;
  // Behind the wall clock by the device's buffering at most, never ahead of it.
  EXPECT_LE(previous, wallMs + 5);
  EXPECT_GE(previous, wallMs - 80);
  // Interpolated between callbacks: no 23 ms jumps (the readings are about 4-5 ms apart).
  EXPECT_LT(largestStep, 15);

  platform::soundStreamSetTime(s, 0);
  EXPECT_LT(platform::soundStreamGetTime(s), 5);
  platform::sleepMs(300);
  const int afterSeek = platform::soundStreamGetTime(s);
  EXPECT_GT(afterSeek, 200);
  EXPECT_LT(afterSeek, 330);
  std::remove(path.c_str());
}

TEST_F(SoundTest, PositionRunsOnPastTheEndOfAShortStream) {
  const std::string path = makeMp3(0.3);
  ASSERT_TRUE(platform::soundInit(44100));
  platform::SoundStream* s = platform::soundStreamOpen(path.c_str());
  platform::soundStreamPlay(s);
  platform::soundStreamSetTime(s, 0);
  platform::sleepMs(700);
  EXPECT_GT(platform::soundStreamGetTime(s), 550);
  std::remove(path.c_str());
}

TEST_F(SoundTest, MissingOrBrokenMusicPlaysSilentOnTheClock) {
  ASSERT_TRUE(platform::soundInit(44100));
  char garbage[] = "/tmp/kk-garbage-XXXXXX.mp3";
  int fd = mkstemps(garbage, 4);
  std::string junk(20000, 'x');
  ASSERT_EQ(write(fd, junk.data(), junk.size()), ssize_t(junk.size()));
  close(fd);

  for (const char* path : {"/no/such/dir/music.mp3", static_cast<const char*>(garbage)}) {
    ::testing::internal::CaptureStderr();
    platform::SoundStream* s = platform::soundStreamOpen(path);
    const std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_NE(s, nullptr);
    EXPECT_NE(said.find(path), std::string::npos) << said;
    EXPECT_NE(said.find("plays silent"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    platform::soundStreamPlay(s);
    platform::soundStreamSetTime(s, 1000);
    platform::sleepMs(200);
    const int ms = platform::soundStreamGetTime(s);
    EXPECT_GE(ms, 1190);
    EXPECT_LT(ms, 1300);
  }
  std::remove(garbage);
}

TEST_F(SoundTest, NoAudioDeviceMeansSilentPlaybackOnTheClock) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  const std::string path = makeMp3(1.0);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(platform::soundInit(44100));
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("audio"), std::string::npos) << said;
  EXPECT_NE(said.find("plays silent"), std::string::npos) << said;

  platform::SoundStream* s = platform::soundStreamOpen(path.c_str());
  platform::soundStreamPlay(s);
  platform::soundStreamSetTime(s, 0);
  platform::sleepMs(250);
  const int ms = platform::soundStreamGetTime(s);
  EXPECT_GE(ms, 240);
  EXPECT_LT(ms, 350);
  std::remove(path.c_str());
}

TEST_F(SoundTest, ASimulatedClockDrivesThePositionWithoutADevice) {
  platform::useSimulatedClock(true, 5000);
  EXPECT_FALSE(platform::soundInit(44100));
  const std::string path = makeMp3(1.0);
  platform::SoundStream* s = platform::soundStreamOpen(path.c_str());
  platform::soundStreamPlay(s);
  platform::soundStreamSetTime(s, 0);
  platform::setSimulatedTime(5000 + 1234);
  EXPECT_EQ(platform::soundStreamGetTime(s), 1234);
  platform::useSimulatedClock(false);
  std::remove(path.c_str());
}

}  // namespace
