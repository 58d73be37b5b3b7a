// The offline renderer: seeking draws what drawing every pass draws, the replayed show ends by
// itself, and the program refuses what it cannot do.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/build_paths.h"
#include "tests/support/child_process.h"
#include "tools/png_file.h"
#include "tools/render/offline_renderer.h"

namespace {

using Frame = std::vector<uint8_t>;  // RGBA rows, bottom row first

// One replayed show for the whole program: frames are asked for in time order.
OfflineRenderer& renderer() {
  static OfflineRenderer r;
  static std::string error;
  static const bool started = r.start(60, &error);
  EXPECT_TRUE(started) << error;
  return r;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The renderer program's exit status and what it printed.
int runRenderer(const std::vector<std::string>& args, std::string* output, const std::string& dir = buildDirectory(),
                const std::map<std::string, std::string>& env = {}) {
  std::vector<std::string> argv = {buildDirectory() + "/tools/render/kaikuranta-render"};
  argv.insert(argv.end(), args.begin(), args.end());
  ChildProcess child(argv, dir, env);
  int status = -1;
  EXPECT_TRUE(child.wait(300, &status));
  *output = child.output();
  return status;
}

// Runs first: the replayed show of this program is still at its start.
TEST(RendererFrames, SeekingDrawsTheFrameThatDrawingEveryPassDraws) {
  char dir[] = "/tmp/kk-render-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string a = std::string(dir) + "/a";
  std::string out;
  ASSERT_EQ(runRenderer({"--at", "2.5", "--fps", "60", "--at", "0.5", "--out", a}, &out), 0) << out;
  EXPECT_NE(out.find("drew 2 frames"), std::string::npos) << out;
  const std::string seeked = readFile(a + "/000030.png");
  ASSERT_FALSE(seeked.empty());
  EXPECT_FALSE(readFile(a + "/000150.png").empty());

  ASSERT_EQ(renderer().nextPass(), 0);
  Frame every;
  ASSERT_TRUE(renderer().runTo(30, true, &every));
  EXPECT_EQ(renderer().frameMillis().size(), 31u);
  ASSERT_TRUE(writePng(std::string(dir) + "/every.png", 640, 480, every));
  EXPECT_TRUE(seeked == readFile(std::string(dir) + "/every.png")) << "seeking changed the frame";
  EXPECT_EQ(std::system(("rm -rf " + std::string(dir)).c_str()), 0);
}

// The replayed show ends as the show does: nothing is drawn after 154.5 s.
TEST(RendererFrames, TheReplayedShowEndsByItselfAfter154AndAHalfSeconds) {
  Frame last, none;
  EXPECT_TRUE(renderer().runTo(renderer().passAt(154.4), false, &last));
  EXPECT_FALSE(renderer().ended());
  EXPECT_FALSE(renderer().runTo(renderer().passAt(154.6), true, &none));
  EXPECT_TRUE(renderer().ended());
}

TEST(RendererProgram, RefusesWhatItCannotDo) {
  const struct {
    std::vector<std::string> args;
    const char* says;
    std::string dir = buildDirectory();
    std::map<std::string, std::string> env = {};
  } cases[] = {
      {{"--help"}, "--video"},
      {{"--frobnicate"}, "unknown argument --frobnicate"},
      {{"--fps", "sixty", "--at", "1", "--out", "/tmp"}, "--fps"},
      {{"--at", "1"}, "--out"},
      // Times the show never reaches are refused before any work, not turned into pass numbers.
      {{"--at", "2e17", "--out", "/tmp/kk-nothing"}, "the show ends at 154.5 s"},
      {{"--at", "154.51", "--out", "/tmp/kk-nothing"}, "the show ends at 154.5 s"},
      {{"--at", "nan", "--out", "/tmp/kk-nothing"}, "--at wants a show time"},
      {{"--at", "-inf", "--out", "/tmp/kk-nothing"}, "--at wants a show time"},
      {{"--at", "-0.5", "--out", "/tmp/kk-nothing"}, "--at wants a show time"},
      // Sizes: WxH in digits; a 4:3 picture from 480 to 4320 high must fit; a video's sides even.
      {{"--size", "1920x", "--at", "1", "--out", "/tmp/kk-nothing"}, "--size wants WIDTHxHEIGHT"},
      {{"--size", "+640x480", "--at", "1", "--out", "/tmp/kk-nothing"}, "--size wants WIDTHxHEIGHT"},
      {{"--size", "800x400", "--at", "1", "--out", "/tmp/kk-nothing"}, "the show draws from 480 to 4320"},
      {{"--size", "123456x480", "--at", "1", "--out", "/tmp/kk-nothing"}, "--size wants WIDTHxHEIGHT"},
      {{"--size", "8000x6000", "--at", "1", "--out", "/tmp/kk-nothing"}, "the show draws from 480 to 4320"},
      {{"--size", "1921x1080", "--video", "/tmp/kk.mp4"}, "--video wants an even width and height"},
      // No ffmpeg on the path: a clear word before any work is done.
      {{"--video", "/tmp/kk.mp4"}, "ffmpeg", buildDirectory(), {{"PATH", "/nonexistent"}}},
  };
  for (const auto& c : cases) {
    std::string out;
    EXPECT_EQ(runRenderer(c.args, &out, c.dir, c.env) == 0, c.args[0] == "--help") << c.args[0];
    EXPECT_NE(out.find(c.says), std::string::npos) << out;
  }
}

TEST(RendererProgram, AnEncoderThatQuitsIsReportedNotAKillingSignal) {
  // Stands in for an ffmpeg that cannot write its file: it reads nothing and fails.
  char dir[] = "/tmp/kk-encoder-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string encoder = std::string(dir) + "/ffmpeg";
  std::ofstream(encoder) << "#!/bin/sh\nexit 1\n";
  ASSERT_EQ(chmod(encoder.c_str(), 0755), 0);
  std::string out;
  const int status = runRenderer({"--video", std::string(dir) + "/show.mp4"}, &out, buildDirectory(),
                                 {{"PATH", std::string(dir) + ":/usr/bin:/bin"}});
  EXPECT_EQ(status, 2) << out;
  EXPECT_NE(out.find("ffmpeg stopped taking frames"), std::string::npos) << out;
  EXPECT_EQ(std::system(("rm -rf " + std::string(dir)).c_str()), 0);
}

}  // namespace
