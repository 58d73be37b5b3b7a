// The music decoded on its own thread: the same samples as a whole-file decode, handed out in
// any ranges, silence outside the music, and a file that cannot play refused before any thread
// (a file that is no MPEG audio is refused as the player's tests show).
#include "platform/decoded_music.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/mp3_decoder.h"
#include "tests/timing/lame_files.h"

namespace {

constexpr int RATE = 44100;

// Frames [first, first + count) of `pcm`, silence outside it.
std::vector<int16_t> expectedRange(const std::vector<int16_t>& pcm, int64_t first, int count) {
  std::vector<int16_t> out(size_t(2 * count), 0);
  for (int i = 0; i < count; ++i) {
    const int64_t f = first + i;
    if (f < 0 || f >= int64_t(pcm.size() / 2)) continue;
    out[size_t(2 * i)] = pcm[size_t(2 * f)];
    out[size_t(2 * i + 1)] = pcm[size_t(2 * f + 1)];
  }
  return out;
}

TEST(DecodedMusicTest, HandsOutTheWholeFileDecodesSamplesInAnyRangesWithSilenceAround) {
  // 4 s at 22050 Hz: resampled, and longer than two of the buffer's blocks.
  const std::string path = makeMp3(4.0, {22050, 2, true, Mp3Tag::ID3V2});
  std::vector<int16_t> whole;
  std::string why;
  ASSERT_TRUE(platform::decodeMp3File(path.c_str(), RATE, &whole, &why)) << why;
  const int64_t total = int64_t(whole.size() / 2);

  platform::DecodedMusic music;
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
  std::remove(path.c_str());
}

TEST(DecodedMusicTest, StoppedEarlyKeepsAWholePrefixAndAMissingFileStartsNothing) {
  const std::string path = makeMp3(6.0);
  std::vector<int16_t> whole;
  std::string why;
  ASSERT_TRUE(platform::decodeMp3File(path.c_str(), RATE, &whole, &why)) << why;

  platform::DecodedMusic music;
  ASSERT_TRUE(music.start(path.c_str(), RATE, 1, &why)) << why;
  music.stop();
  EXPECT_TRUE(music.finished());
  const int64_t kept = music.decodedFrames();
  EXPECT_GE(kept, 1);
  EXPECT_LE(kept, int64_t(whole.size() / 2));
  std::vector<int16_t> got(size_t(2 * (kept + 100)));
  ASSERT_TRUE(music.copyFrames(0, int(kept + 100), got.data()));
  const std::vector<int16_t> prefix(whole.begin(), whole.begin() + 2 * kept);
  EXPECT_EQ(got, expectedRange(prefix, 0, int(kept + 100))) << "the prefix, then silence";

  // Started again on a file that is not there: refused with the reason, nothing left playing.
  EXPECT_FALSE(music.start("/no/such/dir/music.mp3", RATE, 1, &why));
  EXPECT_NE(why.find("/no/such/dir/music.mp3"), std::string::npos) << why;
  EXPECT_TRUE(music.finished());
  EXPECT_EQ(music.decodedFrames(), 0);
  std::remove(path.c_str());
}

TEST(DecodedMusicTest, ALongFileDecodesOnlyWhatTheShowCanPlay) {
  // 200 s at 8000 Hz mono: quick to make, and resampled like any rate but the output's. LAME
  // writes no gapless tag at this rate.
  const std::string path = makeMp3(200.0, {8000, 1, false, Mp3Tag::NONE, 0, false});
  const int64_t most = int64_t(platform::MP3_MAX_SECONDS) * RATE;
  EXPECT_GE(most, int64_t(154.5 * RATE)) << "the show plays 154.5 s of its music";
  std::string why;
  platform::DecodedMusic music;
  ASSERT_TRUE(music.start(path.c_str(), RATE, 1, &why)) << why;
  music.waitFor(200 * RATE);
  EXPECT_TRUE(music.finished());
  EXPECT_EQ(music.decodedFrames(), most);
  std::vector<int16_t> whole;
  ASSERT_TRUE(platform::decodeMp3File(path.c_str(), RATE, &whole, &why)) << why;
  EXPECT_EQ(int64_t(whole.size() / 2), most);
  std::remove(path.c_str());
}

}  // namespace
