// The MP3 decoder on files made here with LAME in every MPEG rate, layout and tag, and the music
// decoded on its own thread: the same samples as a whole-file decode, handed out in any ranges,
// silence outside the music, and a file that cannot play refused before any thread (a file that
// is no MPEG audio is refused as the player's tests show).
#include "platform/decoded_music.h"
#include "platform/mp3_decoder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/media_files/bytes_file.h"
#include "tools/media_files/mp3_file.h"

constexpr int RATE = 44100;
constexpr double TONE_HZ = 440.0;
constexpr double TONE_PEAK = 8000.0;

// `seconds` of a 440 Hz tone in /tmp, with LAME's gapless tag (which it writes only at 16 kHz
// and above); the caller removes the file.
static std::string makeMp3(double seconds, Mp3Settings format = {}) {
  char path[] = "/tmp/kk-sound-XXXXXX.mp3";
  close(mkstemps(path, 4));
  std::vector<int16_t> tone(size_t(seconds * format.rate) * size_t(format.channels));
  for (size_t i = 0; i < tone.size(); ++i) {
    tone[i] = int16_t(TONE_PEAK * std::sin(2 * M_PI * TONE_HZ * double(i / size_t(format.channels)) / format.rate));
  }
  writeBytes(path, encodeMp3(format, tone));
  return path;
}

// The rate of the left channel's rising zero crossings between 10 % and 90 % of the output.
static double toneHz(const std::vector<int16_t>& s) {
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
  return (crossings - 1) * double(RATE) / (last - first);
}

static double rmsDbOfMiddle(const std::vector<int16_t>& s) {
  double sum = 0;
  for (size_t i = s.size() / 10; i < s.size() * 9 / 10; ++i) sum += double(s[i]) * s[i];
  return 10 * std::log10(sum / double(s.size() * 8 / 10));
}

TEST(Mp3DecoderTest, EveryMpegRateLayoutAndTagDecodesAtItsPitchAndLength) {
  // Each format with the seconds the encoder's delay and padding may add.
  const std::pair<Mp3Settings, double> cases[] = {
      {{22050, 1, true, Mp3Tag::ID3V2}, 0},  {{48000, 2, false, Mp3Tag::ID3V1}, 0},
      {{16000, 2, true, Mp3Tag::APE}, 0},    {{32000, 1, false, Mp3Tag::NONE}, 0},
      {{44100, 2, false, Mp3Tag::NONE}, 0},  {{44100, 1, true, Mp3Tag::APE}, 0},
      // MPEG-2.5: LAME writes no gapless tag at these rates.
      {{8000, 1, true, Mp3Tag::ID3V2}, 0.2}, {{11025, 2, false, Mp3Tag::APE}, 0.2},
  };
  const double seconds = 2.0;
  for (const auto& [format, extraSeconds] : cases) {
    const std::string path = makeMp3(seconds, format);
    SCOPED_TRACE(testing::Message() << format.rate << " Hz, " << format.channels << " ch, tag " << int(format.tag));
    std::vector<int16_t> pcm;
    std::string why;
    ASSERT_TRUE(platform::decodeMp3File(path.c_str(), RATE, &pcm, &why)) << why;
    const double decoded = double(pcm.size() / 2) / RATE;
    if (format.rate == RATE) {
      // Gapless to the sample: the encoder delay (1105 samples here) and padding are gone.
      EXPECT_EQ(pcm.size(), size_t(2 * seconds * RATE));
    }
    EXPECT_GE(decoded, seconds * 0.99);
    EXPECT_LE(decoded, seconds * 1.01 + extraSeconds);
    EXPECT_NEAR(toneHz(pcm), TONE_HZ, TONE_HZ * 0.01);
    EXPECT_NEAR(rmsDbOfMiddle(pcm), 20 * std::log10(TONE_PEAK / std::sqrt(2.0)), 1.0);
    if (format.channels == 1) {
      for (size_t i = 0; i < pcm.size(); i += 2) ASSERT_EQ(pcm[i], pcm[i + 1]) << "mono plays on both sides";
    }
    std::remove(path.c_str());
  }
}

// A FIFO waits for a writer when it is opened for reading: the decoder refuses anything that is
// not a regular file without opening it that way, so the show plays silent instead of hanging
// (and this test would hang until its timeout).
TEST(Mp3DecoderTest, AFifoIsRefusedWithoutWaitingForAWriter) {
  const std::string fifo = testing::TempDir() + "kk-fifo-" + std::to_string(getpid()) + ".mp3";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string why;
  EXPECT_FALSE(platform::Mp3Decoder().open(fifo.c_str(), RATE, &why));
  EXPECT_NE(why.find(fifo + ": is not a regular file"), std::string::npos) << why;
  std::remove(fifo.c_str());
}

// Frames [first, first + count) of `pcm`, silence outside it.
static std::vector<int16_t> expectedRange(const std::vector<int16_t>& pcm, int64_t first, int count) {
  std::vector<int16_t> out(size_t(2 * count), 0);
  const int64_t from = std::max<int64_t>(first, 0), to = std::min<int64_t>(first + count, int64_t(pcm.size() / 2));
  if (from < to) std::copy(pcm.begin() + 2 * from, pcm.begin() + 2 * to, out.begin() + 2 * (from - first));
  return out;
}

// Each file decoded to its end and handed out, then decoded again and stopped at once; then a file
// that is not there.
TEST(DecodedMusicTest, HandsOutWholeFileDecodesUpToTheShowsLengthInAnyRangesAPrefixWhenStoppedAndRefusesNoFile) {
  // 4 s at 22050 Hz: resampled, and longer than two of the buffer's blocks. 200 s at 8000 Hz mono:
  // quick to make, and longer than the show can play (LAME writes no gapless tag at this rate).
  const std::pair<double, Mp3Settings> files[] = {{4.0, {22050, 2, true, Mp3Tag::ID3V2}},
                                                  {200.0, {8000, 1, false, Mp3Tag::NONE, 0, false}}};
  platform::DecodedMusic music;
  std::string why;
  for (const auto& [seconds, format] : files) {
    SCOPED_TRACE(testing::Message() << seconds << " s");
    const std::string path = makeMp3(seconds, format);
    std::vector<int16_t> whole;
    ASSERT_TRUE(platform::decodeMp3File(path.c_str(), RATE, &whole, &why)) << why;
    const int64_t total = int64_t(whole.size() / 2);
    EXPECT_TRUE(seconds < platform::MP3_MAX_SECONDS || total == int64_t(platform::MP3_MAX_SECONDS) * RATE) << total;

    ASSERT_TRUE(music.start(path.c_str(), RATE, RATE / 2, &why)) << why;
    EXPECT_GE(music.decodedFrames(), RATE / 2) << "start returns once the first frames are there";
    music.waitFor(total + 1);  // more than there is: returns when the decoding ends
    ASSERT_TRUE(music.finished());
    EXPECT_EQ(music.decodedFrames(), total);

    // Odd-sized ranges from before the start to past the end, across every block boundary.
    const int count = 4099;
    std::vector<int16_t> got(2 * count);
    for (int64_t first = -3000; first < total + 5000; first += count) {
      ASSERT_TRUE(music.copyFrames(first, count, got.data())) << first;
      ASSERT_EQ(got, expectedRange(whole, first, count)) << "frames from " << first;
    }

    // Stopped early, it keeps a whole prefix.
    ASSERT_TRUE(music.start(path.c_str(), RATE, 1, &why)) << why;
    music.stop();
    EXPECT_TRUE(music.finished());
    const int64_t kept = music.decodedFrames();
    EXPECT_TRUE(kept >= 1 && kept <= total) << kept;
    got.resize(size_t(2 * (kept + 100)));
    ASSERT_TRUE(music.copyFrames(0, int(kept + 100), got.data()));
    EXPECT_EQ(got, expectedRange({whole.begin(), whole.begin() + 2 * kept}, 0, int(kept + 100))) << "prefix, silence";
    std::remove(path.c_str());
  }

  // Started again on a file that is not there: refused with the reason, nothing left playing.
  EXPECT_FALSE(music.start("/no/such/dir/music.mp3", RATE, 1, &why));
  EXPECT_NE(why.find("/no/such/dir/music.mp3"), std::string::npos) << why;
  EXPECT_TRUE(music.finished());
  EXPECT_EQ(music.decodedFrames(), 0);
}
