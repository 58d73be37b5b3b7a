// The show's music through a real sound server: a private PulseAudio daemon with a null sink,
// played the way the show plays it, recorded from the sink's monitor and compared with the
// decoded music.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/mp3_decoder.h"
#include "platform/show_files.h"
#include "tests/support/pulse_sink.h"
#include "timing/music.h"

constexpr int RATE = 44100;
constexpr size_t PLAY_SECONDS = 20;

TEST(AudioServerTest, TheShowsMusicReachesAPulseAudioSinkWholeAndInOrder) {
  std::vector<int16_t> music;
  std::string why;
  ASSERT_TRUE(platform::decodeMp3File(DATA_MUSIC, RATE, &music, &why)) << why;
  const size_t musicStart = firstLoudFrame(music), compared = 2 * RATE * PLAY_SECONDS;
  ASSERT_GT(music.size(), 2 * musicStart + compared);

  PulseSink sink;
  ASSERT_TRUE(sink.ok()) << sink.log();
  setenv("PULSE_SERVER", sink.address().c_str(), 1);
  setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
  sink.record();
  ASSERT_TRUE(within(UNTIL_TIMEOUT, [&] { return sink.recorded().size() > 2 * RATE / 5; }))
      << "the monitor records nothing";

  ::testing::internal::CaptureStderr();
  startMusic();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // the server is there and the music decodes
  int previous = 0;
  for (const double end = nowSeconds() + PLAY_SECONDS + 1; nowSeconds() < end; platform::sleepMs(5)) {
    const int position = platform::soundStreamGetTime(musicStream);
    ASSERT_GE(position, previous);
    previous = position;
  }
  platform::soundShutdown();

  // From its first sound on, the recording is the music sample for sample: a dropout, a gap
  // or a repeat moves the one against the other, and the samples after it stop matching. The
  // player's thread must keep the server fed on a busy machine too: there is one run.
  const std::vector<int16_t> heard = sink.stopRecording();
  const size_t from = firstLoudFrame(heard);
  ASSERT_GT(heard.size(), 2 * from + compared) << "too little recorded";
  // The sink replays what it had rendered ahead as silence once the stream starts, and its
  // monitor cannot take back the silence it already recorded: the recording may begin up to
  // one sink latency into the music. From that point on nothing may be missing.
  size_t start = 2 * musicStart;
  const auto joins = [&](size_t at) { return std::equal(&heard[2 * from], &heard[2 * from + 64], &music[at]); };
  while (start < 2 * (musicStart + RATE / 20) && !joins(start)) start += 2;
  size_t same = 0;
  while (same < compared && heard[2 * from + same] == music[start + same]) ++same;
  EXPECT_EQ(same, compared) << "the recording leaves the music " << double(same) / 2 / RATE << " s in";
}
