// The music player on real MP3 files made here with LAME, played through SDL's dummy audio
// driver (a real device that discards the sound at the real rate).
#include <gtest/gtest.h>
#include <lame/lame.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/mp3_decoder.h"
#include "platform/sound.h"

namespace {

using platform::SoundStream;

enum class Tag { NONE, ID3V1, ID3V2, APE };
struct Mp3Format {
  int rate = 44100;
  int channels = 2;
  bool vbr = false;
  Tag tag = Tag::NONE;
};
constexpr double TONE_HZ = 440.0;
constexpr double TONE_PEAK = 8000.0;

void appendLe32(std::vector<unsigned char>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back((v >> (8 * i)) & 0xff);
}

// An APEv2 tag (header, one item, footer) as taggers append it after the last frame.
std::vector<unsigned char> apeTag() {
  std::vector<unsigned char> item;
  appendLe32(&item, 4);
  appendLe32(&item, 0);
  for (char c : std::string("Title\0Tone", 10)) item.push_back((unsigned char)c);
  std::vector<unsigned char> tag;
  for (uint32_t flags : {0xa0000000u, 0x80000000u}) {
    const std::string magic = "APETAGEX";
    tag.insert(tag.end(), magic.begin(), magic.end());
    for (uint32_t v : {2000u, uint32_t(item.size() + 32), 1u, flags}) appendLe32(&tag, v);
    tag.resize(tag.size() + 8, 0);
    if (flags & 0x20000000u) tag.insert(tag.end(), item.begin(), item.end());
  }
  return tag;
}

// A 440 Hz tone made by LAME, with its gapless tag after any ID3v2 tag.
std::string makeMp3(double seconds, Mp3Format format = {}) {
  char path[] = "/tmp/kk-sound-XXXXXX.mp3";
  close(mkstemps(path, 4));
  lame_t lame = lame_init();
  lame_set_in_samplerate(lame, format.rate);
  lame_set_out_samplerate(lame, format.rate);
  lame_set_num_channels(lame, format.channels);
  lame_set_mode(lame, format.channels == 1 ? MONO : JOINT_STEREO);
  if (format.vbr) lame_set_VBR(lame, vbr_default);
  lame_set_quality(lame, 7);
  id3tag_init(lame);
  if (format.tag == Tag::ID3V1) id3tag_v1_only(lame);
  if (format.tag == Tag::ID3V2) id3tag_v2_only(lame);
  id3tag_set_title(lame, "Tone");
  lame_set_write_id3tag_automatic(lame, format.tag == Tag::ID3V1 || format.tag == Tag::ID3V2);
  lame_init_params(lame);
  const int n = int(seconds * format.rate);
  std::vector<short> tone(size_t(n), 0);
  for (int i = 0; i < n; ++i) tone[size_t(i)] = short(TONE_PEAK * std::sin(2 * M_PI * TONE_HZ * i / format.rate));
  std::vector<unsigned char> out(size_t(1.25 * n) + 16384);
  int bytes = lame_encode_buffer(lame, tone.data(), tone.data(), n, out.data(), int(out.size()));
  bytes += lame_encode_flush(lame, out.data() + bytes, int(out.size()) - bytes);
  if (format.tag == Tag::APE) {
    const std::vector<unsigned char> ape = apeTag();
    std::copy(ape.begin(), ape.end(), out.begin() + bytes);
    bytes += int(ape.size());
  }
  FILE* f = std::fopen(path, "w+b");
  std::fwrite(out.data(), 1, size_t(bytes), f);
  lame_mp3_tags_fid(lame, f);
  std::fclose(f);
  lame_close(lame);
  return path;
}

// The rate of the left channel's rising zero crossings between 10 % and 90 % of the output.
double toneHz(const std::vector<int16_t>& s) {
  const size_t frames = s.size() / 2;
  double first = -1, last = -1;
  int crossings = 0;
  for (size_t i = frames / 10; i + 1 < frames * 9 / 10; ++i) {
    const double a = s[2 * i], b = s[2 * i + 2];
    if (a >= 0 || b < 0) continue;
    last = double(i) + a / (a - b);
    if (first < 0) first = last;
    ++crossings;
  }
  return (crossings - 1) * 44100.0 / (last - first);
}

double rmsDbOfMiddle(const std::vector<int16_t>& s) {
  double sum = 0;
  for (size_t i = s.size() / 10; i < s.size() * 9 / 10; ++i) sum += double(s[i]) * s[i];
  return 10 * std::log10(sum / double(s.size() * 8 / 10));
}

// Plays from `fromMs`, waits `waitMs` and returns the position.
int positionAfter(SoundStream* s, int fromMs, uint32_t waitMs) {
  platform::soundStreamPlay(s);
  platform::soundStreamSetTime(s, fromMs);
  platform::sleepMs(waitMs);
  return platform::soundStreamGetTime(s);
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
  EXPECT_LT(largestStep, 15);  // interpolated between callbacks, readings 4-5 ms apart

  platform::soundStreamSetTime(s, 0);
  EXPECT_LT(platform::soundStreamGetTime(s), 5);
  const int afterSeek = positionAfter(s, 0, 300);
  EXPECT_GT(afterSeek, 200);
  EXPECT_LT(afterSeek, 330);
  // Past the end of the stream the position keeps advancing.
  EXPECT_GT(positionAfter(s, 3800, 700), 4350);
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
    const int ms = positionAfter(s, 1000, 200);
    EXPECT_GE(ms, 1190);
    EXPECT_LT(ms, 1300);
  }
  std::remove(garbage);

  platform::soundShutdown();
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  const std::string path = makeMp3(1.0);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(platform::soundInit(44100));
  expectOneSilentLine(::testing::internal::GetCapturedStderr(), "audio");
  const int ms = positionAfter(platform::soundStreamOpen(path.c_str()), 0, 250);
  EXPECT_GE(ms, 240);
  EXPECT_LT(ms, 350);
  std::remove(path.c_str());
}

TEST_F(SoundTest, ASimulatedClockDrivesThePositionWithoutADevice) {
  platform::useSimulatedClock(true, 5000);
  EXPECT_FALSE(platform::soundInit(44100));
  const std::string path = makeMp3(1.0);
  SoundStream* s = platform::soundStreamOpen(path.c_str());
  platform::soundStreamPlay(s);
  platform::soundStreamSetTime(s, 0);
  platform::setSimulatedTime(5000 + 1234);
  EXPECT_EQ(platform::soundStreamGetTime(s), 1234);
  platform::useSimulatedClock(false);
  std::remove(path.c_str());
}

TEST_F(SoundTest, EveryMpegRateLayoutAndTagDecodesAtItsPitchAndLength) {
  struct Case {
    Mp3Format format;
    double extraSeconds;  // what the encoder's delay and padding may add
  };
  const Case cases[] = {
      {{22050, 1, true, Tag::ID3V2}, 0},  {{48000, 2, false, Tag::ID3V1}, 0},
      {{16000, 2, true, Tag::APE}, 0},    {{32000, 1, false, Tag::NONE}, 0},
      {{44100, 2, false, Tag::NONE}, 0},  {{44100, 1, true, Tag::APE}, 0},
      // MPEG-2.5: LAME writes no gapless tag at these rates.
      {{8000, 1, true, Tag::ID3V2}, 0.2}, {{11025, 2, false, Tag::APE}, 0.2},
  };
  const double seconds = 2.0;
  for (const Case& c : cases) {
    const std::string path = makeMp3(seconds, c.format);
    SCOPED_TRACE(std::to_string(c.format.rate) + " Hz, " + std::to_string(c.format.channels) +
                 " channels, tag " + std::to_string(int(c.format.tag)));
    ::testing::internal::CaptureStderr();
    platform::soundStreamOpen(path.c_str());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // the player takes it

    std::vector<int16_t> pcm;
    std::string why;
    ASSERT_TRUE(platform::decodeMp3File(path.c_str(), 44100, &pcm, &why)) << why;
    const double decoded = double(pcm.size() / 2) / 44100;
    if (c.format.rate == 44100) {
      EXPECT_EQ(pcm.size(), size_t(2 * seconds * 44100));  // gapless to the sample
    }
    EXPECT_GE(decoded, seconds * 0.99);
    EXPECT_LE(decoded, seconds * 1.01 + c.extraSeconds);
    EXPECT_NEAR(toneHz(pcm), TONE_HZ, TONE_HZ * 0.01);
    EXPECT_NEAR(rmsDbOfMiddle(pcm), 20 * std::log10(TONE_PEAK / std::sqrt(2.0)), 1.0);
    if (c.format.channels == 1) {
      bool same = true;
      for (size_t i = 0; i < pcm.size(); i += 2) same = same && pcm[i] == pcm[i + 1];
      EXPECT_TRUE(same) << "mono plays on both sides";
    }
    std::remove(path.c_str());
  }
}

}  // namespace
