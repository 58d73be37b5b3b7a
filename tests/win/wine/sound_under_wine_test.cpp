// kaikuranta.exe's music reaching a real sound server: Wine's waveOut into a PulseAudio null
// sink, recorded from the sink's monitor and laid against the decoded MP3.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/mp3_decoder.h"
#include "platform/show_files.h"
#include "tests/support/pulse_sink.h"
#include "tests/win/wine/wine_session.h"

namespace {

constexpr int RATE = 44100;

// The stereo frames without the runs of exact silence a sound server plays when its client
// has not kept up (music never holds both channels at exactly 0 for 1.5 ms); the milliseconds
// taken out go to `removedMs`.
std::vector<int16_t> withoutDropouts(const std::vector<int16_t>& stereo, double* removedMs) {
  const size_t frames = stereo.size() / 2;
  std::vector<int16_t> out;
  size_t removed = 0;
  for (size_t i = 0; i < frames;) {
    size_t run = 0;
    while (i + run < frames && stereo[2 * (i + run)] == 0 && stereo[2 * (i + run) + 1] == 0) ++run;
    if (run >= 64) {
      removed += run;
    } else {
      out.insert(out.end(), stereo.begin() + long(2 * i), stereo.begin() + long(2 * (i + std::max<size_t>(run, 1))));
    }
    i += std::max<size_t>(run, 1);
  }
  *removedMs = 1000.0 * double(removed) / RATE;
  return out;
}

TEST(SoundUnderWine, TheFirstSecondsReachTheServerAsTheMusicInOrder) {
  std::vector<int16_t> music;
  std::string why;
  ASSERT_TRUE(platform::decodeMp3File((windowsBuildDir() + "/" + DATA_MUSIC).c_str(), RATE, &music, &why)) << why;

  PulseSink sound;
  ASSERT_TRUE(sound.ok()) << sound.log();
  sound.record();
  WineSession wine;
  ASSERT_TRUE(wine.ok());
  wine.start(windowsBuildDir() + "/kaikuranta.exe", {}, windowsBuildDir(), {{"PULSE_SERVER", sound.address()}});
  const Window w = wine.waitForWindow("Kaikuranta", UNTIL_TIMEOUT);
  ASSERT_NE(w, 0u) << wine.output();
  // On a busy machine Wine's sound thread can miss its turn, and the server fills in silence;
  // taken out, what remains is every sample the show handed over, in order. Four seconds of it
  // and a little more are compared, however long they take to come.
  double dropoutMs = 0;
  within(UNTIL_TIMEOUT, [&] {
    const std::vector<int16_t> heard = withoutDropouts(sound.recorded(), &dropoutMs);
    return heard.size() / 2 > firstLoudFrame(heard) + size_t(4.2 * RATE) || wine.ended(0) >= 0;
  });
  wine.expectEndsOn(w, "Escape");
  EXPECT_EQ(wine.output(), "");  // a device was found: nothing to say
  const std::vector<int16_t> heard = withoutDropouts(sound.stopRecording(), &dropoutMs);
  ASSERT_GT(heard.size() / 2, firstLoudFrame(heard) + size_t(4.2 * RATE)) << "recorded " << heard.size() / 2 << " frames";
  RecordProperty("server_dropout_ms", int(dropoutMs));

  // Every 50 ms of the recording, for the first four seconds, begins with a piece of the music
  // found sample for sample (so at its own rate and level) where the piece before it leads one
  // to expect it, or a little later: the music, in order, nothing repeated. Where the server ran
  // dry (a busy machine keeps Wine's sound thread waiting) it skips ahead to keep its latency,
  // so the pieces may slip forward, by less than a second in all.
  const size_t heardStart = firstLoudFrame(heard);
  const size_t window = RATE / 20;
  long previousMatch = -1;     // the music frame the last piece found began with
  size_t previousAt = heardStart;  // and where in the recording that was
  long slipFrames = 0;
  int found = 0, pieces = 0;
  for (size_t at = heardStart; at + window < heardStart + size_t(4 * RATE); at += window, ++pieces) {
    const long expected = previousMatch < 0 ? long(at - heardStart) : previousMatch + long(at - previousAt);
    const long lo = std::max(0L, expected - 64);
    const long hi = expected + long(RATE);
    long match = -1;
    for (long m = lo; m <= hi && match < 0 && size_t(m + 16) * 2 < music.size(); ++m) {
      bool same = true;
      for (size_t k = 0; k < 32 && same; ++k) same = std::abs(music[size_t(2 * m) + k] - heard[2 * at + k]) <= 2;
      if (same) match = m;
    }
    if (match < 0) continue;
    ++found;
    slipFrames += std::max(0L, match - expected);
    previousMatch = match;
    previousAt = at;
  }
  RecordProperty("skipped_ms", int(1000 * slipFrames / RATE));
  // A piece that straddles a skip is found in neither place; most are found.
  EXPECT_GE(found, pieces * 8 / 10) << found << " of " << pieces << " pieces of the music were heard";
  EXPECT_LT(slipFrames, long(RATE)) << "the server skipped " << 1000 * slipFrames / RATE << " ms";
}

// The contract's sound cases in the Windows test program, on a device that really plays: each
// time the program asks, the server stops taking sound until it asks again (a file in its
// working folder says which holds).
TEST(SoundUnderWine, TheContractHoldsOnARealDevice) {
  PulseSink sound;
  ASSERT_TRUE(sound.ok()) << sound.log();
  WineSession wine;
  ASSERT_TRUE(wine.ok());
  const std::string held = windowsBuildDir() + "/kk-sound-held";
  std::remove(held.c_str());
  wine.start(windowsBuildDir() + "/tests/win_unit_tests.exe", {"--gtest_filter=ContractSound.*"}, windowsBuildDir(),
             {{"PULSE_SERVER", sound.address()}});
  int holds = 0, status = -1;
  bool holding = false;
  while ((status = wine.ended(0.005)) < 0) {
    const std::string said = wine.output();
    const size_t hold = said.rfind("hold the sound device"), release = said.rfind("release the sound device");
    if ((hold != std::string::npos && (release == std::string::npos || hold > release)) == holding) continue;
    holding = !holding;
    holds += holding;
    sound.hold(holding);
    holding ? void(std::ofstream(held)) : void(std::remove(held.c_str()));
  }
  sound.hold(false);
  std::remove(held.c_str());
  const std::string said = wine.output();
  EXPECT_EQ(status, 0) << said;
  EXPECT_NE(said.find("[  PASSED  ] 2 tests"), std::string::npos) << said;
  EXPECT_EQ(holds, 2) << said;
}

}  // namespace
