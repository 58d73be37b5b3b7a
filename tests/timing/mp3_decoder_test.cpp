// The MP3 decoder on files made here with LAME in every MPEG rate, layout and tag.
#include "platform/mp3_decoder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/timing/lame_files.h"

namespace {

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

TEST(Mp3DecoderTest, EveryMpegRateLayoutAndTagDecodesAtItsPitchAndLength) {
  struct Case {
    Mp3Settings format;
    double extraSeconds;  // what the encoder's delay and padding may add
  };
  const Case cases[] = {
      {{22050, 1, true, Mp3Tag::ID3V2}, 0},  {{48000, 2, false, Mp3Tag::ID3V1}, 0},
      {{16000, 2, true, Mp3Tag::APE}, 0},    {{32000, 1, false, Mp3Tag::NONE}, 0},
      {{44100, 2, false, Mp3Tag::NONE}, 0},  {{44100, 1, true, Mp3Tag::APE}, 0},
      // MPEG-2.5: LAME writes no gapless tag at these rates.
      {{8000, 1, true, Mp3Tag::ID3V2}, 0.2}, {{11025, 2, false, Mp3Tag::APE}, 0.2},
  };
  const double seconds = 2.0;
  for (const Case& c : cases) {
    const std::string path = makeMp3(seconds, c.format);
    SCOPED_TRACE(std::to_string(c.format.rate) + " Hz, " + std::to_string(c.format.channels) +
                 " channels, tag " + std::to_string(int(c.format.tag)));
    std::vector<int16_t> pcm;
    std::string why;
    ASSERT_TRUE(platform::decodeMp3File(path.c_str(), 44100, &pcm, &why)) << why;
    const double decoded = double(pcm.size() / 2) / 44100;
    if (c.format.rate == 44100) {
      // Gapless to the sample: the encoder delay (1105 samples here) and padding are gone.
      EXPECT_EQ(pcm.size(), size_t(2 * seconds * 44100));
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

// A FIFO waits for a writer when it is opened for reading: the decoder refuses anything that is
// not a regular file without opening it that way, so the show plays silent instead of hanging
// (and this test would hang until its timeout).
TEST(Mp3DecoderTest, AFifoIsRefusedWithoutWaitingForAWriter) {
  char dir[] = "/tmp/kk-fifo-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string fifo = std::string(dir) + "/music.mp3";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string why;
  EXPECT_FALSE(platform::Mp3Decoder().open(fifo.c_str(), 44100, &why));
  EXPECT_NE(why.find(fifo + ": is not a regular file"), std::string::npos) << why;
  std::remove(fifo.c_str());
  rmdir(dir);
}

}  // namespace
