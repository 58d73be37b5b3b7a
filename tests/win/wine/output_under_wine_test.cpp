// What the Windows programs under Wine put out, against the same data read on Linux: the frames
// kaikuranta-render.exe draws (on a hidden WGL window) against the Linux kaikuranta-render's,
// and kaikuranta.exe's music reaching a real sound server (Wine's waveOut into a PulseAudio null
// sink, recorded from the sink's monitor) against the decoded MP3.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/mp3_decoder.h"
#include "platform/show_files.h"
#include "tests/support/build_paths.h"
#include "tests/support/pulse_sink.h"
#include "tests/win/wine/wine_session.h"

namespace {

// The frame lines of the renderer's --digest output ("<pass> <digest> text|-"). The fonts of the
// two systems may differ, so a frame with text keeps only its pass and that it shows text.
std::vector<std::string> frames(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() < 25 || line[6] != ' ' || line.find_first_not_of("0123456789") != 6) continue;
    if (line.substr(24) == "text") line.replace(7, 16, "(text)");
    lines.push_back(line);
  }
  return lines;
}

TEST(RendererUnderWine, DrawsTheLinuxFramesPixelForPixel) {
  // Without text: the opening, the early glow, and the pauses between two messages. With text:
  // 20 s, the first message in the upper bubble. At the show's own size, and as an HD video's
  // frame: the picture 2.25 times as large, placed between black bars.
  WineSession wine;
  ASSERT_TRUE(wine.ok());
  for (const char* size : {"640x480", "1920x1080"}) {
    SCOPED_TRACE(size);
    const std::vector<std::string> argv = {buildDirectory() + "/tools/render/kaikuranta-render", "--size", size,
                                           "--digest", "--at", "0.5", "--at", "10", "--at", "30.5", "--at", "70.5",
                                           "--at", "20"};
    std::string linuxFrames;
    ASSERT_EQ(runToEnd(argv, buildDirectory(), &linuxFrames, {{"SDL_VIDEODRIVER", "offscreen"}}), 0) << linuxFrames;
    ASSERT_EQ(frames(linuxFrames).size(), 5u) << linuxFrames;

    const std::string windowsRenderer = windowsBuildDir() + "/tools/render/kaikuranta-render.exe";
    wine.start(windowsRenderer, {argv.begin() + 1, argv.end()}, windowsBuildDir());
    ASSERT_EQ(wine.ended(UNTIL_TIMEOUT), 0) << wine.output();
    EXPECT_EQ(frames(wine.output()), frames(linuxFrames));
  }
}

constexpr int RATE = 44100;

// The stereo frames without the runs of exact silence a sound server plays when its client
// has not kept up (music never holds both channels at exactly 0 for 1.5 ms); the milliseconds
// taken out go to `removedMs`.
std::vector<int16_t> withoutDropouts(const std::vector<int16_t>& stereo, double* removedMs) {
  const size_t frames = stereo.size() / 2;
  std::vector<int16_t> out;
  for (size_t i = 0; i < frames;) {
    size_t run = 0;
    while (i + run < frames && stereo[2 * (i + run)] == 0 && stereo[2 * (i + run) + 1] == 0) ++run;
    const size_t next = i + std::max<size_t>(run, 1);
    if (run < 64) out.insert(out.end(), stereo.begin() + long(2 * i), stereo.begin() + long(2 * next));
    i = next;
  }
  *removedMs = 1000.0 * double(frames - out.size() / 2) / RATE;
  return out;
}

// The contract's sound cases in the Windows test program hold on a device that really plays; and
// kaikuranta.exe's first seconds reach it as the music, in order.
TEST(SoundUnderWine, TheContractHoldsOnARealDeviceAndTheMusicReachesItInOrder) {
  PulseSink sound;
  ASSERT_TRUE(sound.ok()) << sound.log();
  WineSession wine;
  ASSERT_TRUE(wine.ok());
  // Each time the program asks, the server stops taking sound until it asks again (a file in its
  // working folder says which holds).
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

  std::vector<int16_t> music;
  std::string why;
  ASSERT_TRUE(platform::decodeMp3File((windowsBuildDir() + "/" + DATA_MUSIC).c_str(), RATE, &music, &why)) << why;
  sound.record();
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
  ASSERT_GT(heard.size() / 2, firstLoudFrame(heard) + size_t(4.2 * RATE));
  RecordProperty("server_dropout_ms", int(dropoutMs));

  // Every 50 ms of the recording, for the first four seconds, begins with a piece of the music
  // found sample for sample (so at its own rate and level) where the piece before it leads one
  // to expect it, or a little later: the music, in order, nothing repeated. Where the server ran
  // dry (a busy machine keeps Wine's sound thread waiting) it skips ahead to keep its latency,
  // so the pieces may slip forward, by less than a second in all.
  const size_t heardStart = firstLoudFrame(heard);
  long offset = -long(heardStart);  // music frame minus recording frame, where the last piece was found
  const auto alike = [](int16_t a, int16_t b) { return std::abs(a - b) <= 2; };
  long slipFrames = 0;
  int found = 0, pieces = 0;
  for (size_t at = heardStart; at + RATE / 20 < heardStart + size_t(4 * RATE); at += RATE / 20, ++pieces) {
    const long expected = long(at) + offset;
    const long lo = std::max(0L, expected - 64);
    const long hi = expected + long(RATE);
    const auto piece = heard.begin() + long(2 * at);
    long match = -1;
    for (long m = lo; m <= hi && match < 0 && size_t(m + 16) * 2 < music.size(); ++m) {
      if (std::equal(piece, piece + 32, music.begin() + 2 * m, alike)) match = m;
    }
    if (match < 0) continue;
    ++found;
    slipFrames += std::max(0L, match - expected);
    offset = match - long(at);
  }
  RecordProperty("skipped_ms", int(1000 * slipFrames / RATE));
  // A piece that straddles a skip is found in neither place; most are found.
  EXPECT_GE(found, pieces * 8 / 10) << found << " of " << pieces << " pieces of the music were heard";
  EXPECT_LT(slipFrames, long(RATE)) << "the server skipped " << 1000 * slipFrames / RATE << " ms";
}

}  // namespace
