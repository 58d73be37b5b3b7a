// The offline renderer: the replayed show ends by itself, and the program refuses what it cannot
// do. (That seeking draws what drawing every pass draws, FrameIdentity shows: it seeks.)
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/support/build_paths.h"
#include "tests/support/child_process.h"
#include "tools/render/offline_renderer.h"

const std::string RENDERER = buildDirectory() + "/tools/render/kaikuranta-render";

// The replayed show ends as the show does, on the pass the program's up-front check names.
TEST(RendererFrames, TheReplayedShowEndsByItselfAfter154AndAHalfSeconds) {
  OfflineRenderer renderer;
  std::string error;
  ASSERT_TRUE(renderer.start(60, &error)) << error;
  std::vector<uint8_t> last, none;
  const int64_t lastPass = OfflineRenderer::lastPass(60);
  EXPECT_GE(lastPass, renderer.passAt(154.4));
  EXPECT_TRUE(renderer.runTo(lastPass, false, &last));
  EXPECT_FALSE(renderer.ended());
  EXPECT_FALSE(renderer.runTo(lastPass + 1, true, &none));
  EXPECT_TRUE(renderer.ended());
}

TEST(RendererProgram, ShowTimesAreDecimalDigitsWithAnOptionalFraction) {
  // Each text and the seconds it stands for; -1 where it is refused.
  for (const auto& [text, expected] : std::map<std::string, double>{
           {"0", 0}, {"16", 16}, {"150.75", 150.75}, {"007.50", 7.5}, {"154.5", 154.5}, {"", -1}, {"0x10", -1},
           {" 5", -1}, {"5 ", -1}, {"+5", -1}, {"-0", -1}, {"1e2", -1}, {"inf", -1}, {"nan", -1}, {".5", -1},
           {"5.", -1}, {"1,5", -1}, {"5s", -1}, {"1.2.3", -1}}) {
    double seconds = -1;
    const bool taken = parseShowTime(text.c_str(), &seconds);
    EXPECT_EQ(taken ? seconds : -1, expected) << '"' << text << '"';
  }
}

TEST(RendererProgram, RefusesWhatItCannotDo) {
  // Stands in for an ffmpeg that cannot write its file: it reads nothing and fails.
  const TempDir dir("kk-encoder");
  std::ofstream(dir.path + "/ffmpeg") << "#!/bin/sh\nexit 1\n";
  std::filesystem::permissions(dir.path + "/ffmpeg", std::filesystem::perms::owner_all);
  const struct {
    std::vector<std::string> args;
    const char* says;
    std::map<std::string, std::string> env = {};
  } cases[] = {
      {{"--help"}, "--video"},
      {{"--frobnicate"}, "unknown argument --frobnicate"},
      {{"--fps", "sixty", "--at", "1", "--out", "/tmp"}, "--fps"},
      {{"--at", "1"}, "--out"},
      // Times the show never reaches are refused before any work, not turned into pass numbers.
      {{"--at", "200000000000000000", "--out", "/tmp/kk-nothing"}, "the show ends at 154.5 s"},
      {{"--at", "154.51", "--out", "/tmp/kk-nothing"}, "the show ends at 154.5 s"},
      // The clock reads 154500 ms as past the end: that frame is never drawn, at any rate.
      {{"--at", "154.5", "--out", "/tmp/kk-nothing"}, "last frame at 60 per second is at 154.483 s"},
      {{"--at", "154.5", "--digest", "--fps", "2"}, "last frame at 2 per second is at 154.000 s"},
      // What a time may be written as, the parser's own test holds.
      {{"--at", "0x10", "--out", "/tmp/kk-nothing"}, "--at wants a show time"},
      // Sizes: WxH in digits; a 4:3 picture from 480 to 4320 high must fit; a video's sides even.
      {{"--size", "1920x", "--at", "1", "--out", "/tmp/kk-nothing"}, "--size wants WIDTHxHEIGHT"},
      {{"--size", "+640x480", "--at", "1", "--out", "/tmp/kk-nothing"}, "--size wants WIDTHxHEIGHT"},
      {{"--size", "800x400", "--at", "1", "--out", "/tmp/kk-nothing"}, "the show draws from 480 to 4320"},
      {{"--size", "123456x480", "--at", "1", "--out", "/tmp/kk-nothing"}, "--size wants WIDTHxHEIGHT"},
      {{"--size", "8000x6000", "--at", "1", "--out", "/tmp/kk-nothing"}, "the show draws from 480 to 4320"},
      {{"--size", "1921x1080", "--video", "/tmp/kk.mp4"}, "--video wants an even width and height"},
      // No ffmpeg on the path: a clear word before any work is done.
      {{"--video", "/tmp/kk.mp4"}, "ffmpeg", {{"PATH", "/nonexistent"}}},
      // An encoder that quits is reported, not taken for a killing signal.
      {{"--video", dir.path + "/show.mp4"}, "ffmpeg stopped taking frames", {{"PATH", dir.path + ":/usr/bin:/bin"}}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv = {RENDERER};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    std::string out;
    EXPECT_EQ(runToEnd(argv, buildDirectory(), &out, c.env), c.args[0] == "--help" ? 0 : 2) << c.args[0];
    EXPECT_NE(out.find(c.says), std::string::npos) << out;
  }
}

TEST(RendererProgram, AFrameThatCannotBeWrittenLeavesNoFileAndOneLine) {
  const TempDir dir("kk-full");
  // A real failed write: no file of the renderer's may grow past 50 KB, a third of a frame.
  std::string out;
  const std::string command = "trap '' XFSZ; ulimit -f 100; exec " + RENDERER + " --at 1 --out " + dir.path;
  EXPECT_EQ(runToEnd({"/bin/sh", "-c", command}, buildDirectory(), &out), 1) << out;
  EXPECT_EQ(out.rfind("kaikuranta-render: cannot write " + dir.path + "/000060.png: ", 0), 0u) << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
  EXPECT_TRUE(std::filesystem::is_empty(dir.path)) << "a file is left behind";
}

// Interrupt and terminate end the renderer before its next frame, with the status a shell
// reports for them, rather than after the last frame asked for.
TEST(RendererProgram, InterruptAndTerminateEndItBeforeTheNextFrame) {
  for (int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    const TempDir dir("kk-signal");
    std::vector<std::string> argv = {RENDERER, "--out", dir.path};
    for (int second = 1; second <= 100; ++second) argv.insert(argv.end(), {"--at", std::to_string(second)});
    ChildProcess child(argv, buildDirectory());
    ASSERT_TRUE(within(UNTIL_TIMEOUT, [&] { return std::filesystem::exists(dir.path + "/000060.png"); }));
    child.signal(sig);
    int status = -1;
    ASSERT_TRUE(child.wait(300, &status));
    EXPECT_EQ(status, 128 + sig) << child.output();
    EXPECT_LT(std::distance(std::filesystem::directory_iterator(dir.path), std::filesystem::directory_iterator()), 100);
  }
}

