// Whole frames of the show from the offline renderer, checked by what a viewer must see.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
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

Frame frameAt(double seconds) {
  Frame f;
  EXPECT_TRUE(renderer().runTo(renderer().passAt(seconds), false, &f)) << seconds;
  return f;
}

// Over the rectangle [x0, x1) x [y0, y1): the mean brightness, the share of white pixels (as the
// bubble's body is) and the brightest channel.
struct Area { double mean = 0, white = 0; int brightest = 0; };
Area area(const Frame& f, int x0, int y0, int x1, int y1) {
  Area a;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const uint8_t* p = &f[(size_t(y) * 640 + size_t(x)) * 4];
      a.mean += (p[0] + p[1] + p[2]) / 3.0;
      a.white += std::min({p[0], p[1], p[2]}) > 200;
      a.brightest = std::max({a.brightest, int(p[0]), int(p[1]), int(p[2])});
    }
  }
  const double n = double((x1 - x0) * (y1 - y0));
  return {a.mean / n, a.white / n, a.brightest};
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
  const std::string a = std::string(dir) + "/a", b = std::string(dir) + "/b";
  std::string out;
  ASSERT_EQ(runRenderer({"--at", "2.5", "--at", "0.5", "--out", a}, &out), 0) << out;
  EXPECT_NE(out.find("drew 2 frames"), std::string::npos) << out;
  ASSERT_EQ(runRenderer({"--fps", "60", "--at", "0.5", "--out", b}, &out), 0) << out;
  const std::string seeked = readFile(a + "/000030.png");
  ASSERT_FALSE(seeked.empty());
  EXPECT_TRUE(seeked == readFile(b + "/000030.png")) << "two renders of pass 30 differ";
  EXPECT_FALSE(readFile(a + "/000150.png").empty());

  ASSERT_EQ(renderer().nextPass(), 0);
  Frame every;
  ASSERT_TRUE(renderer().runTo(30, true, &every));
  EXPECT_EQ(renderer().frameMillis().size(), 31u);
  ASSERT_TRUE(writePng(std::string(dir) + "/every.png", 640, 480, every));
  EXPECT_TRUE(seeked == readFile(std::string(dir) + "/every.png")) << "seeking changed the frame";
  EXPECT_EQ(std::system(("rm -rf " + std::string(dir)).c_str()), 0);
}

TEST(RendererFrames, TheShowAsAViewerSeesIt) {
  // Beats 3 and 5 are odd; beat 4 puts a picture in the lower right corner, beat 6 in the lower left.
  std::vector<Frame> beats;
  for (double s : {0.95, 1.40, 1.85, 2.30}) beats.push_back(frameAt(s));
  const auto left = [&](int beat) { return area(beats[size_t(beat - 3)], 4, 0, 90, 58).mean; };
  const auto right = [&](int beat) { return area(beats[size_t(beat - 3)], 550, 0, 636, 58).mean; };
  EXPECT_GT(right(4), right(3) + 25) << "no picture lower right on beat 4";
  EXPECT_GT(right(4), right(5) + 25) << "the beat-4 picture is still there on beat 5";
  EXPECT_GT(left(6), left(5) + 25) << "no picture lower left on beat 6";
  EXPECT_LT(right(6), right(4) - 25) << "beat 6 shows a right picture";

  // Message 0 holds in the upper position, message 1 in the lower; their tails show no bubble.
  // Rows a little above the bubble's centres (200, 312) and (200, 120), where no text runs.
  const struct { double at; bool upper, lower; } bubbles[] = {
      {20.0, true, false}, {30.5, false, false}, {40.0, false, true}, {47.5, false, false}};
  for (const auto& c : bubbles) {
    const Frame f = frameAt(c.at);
    const double upper = area(f, 110, 340, 290, 341).white, lower = area(f, 110, 148, 290, 149).white;
    EXPECT_TRUE(c.upper ? upper > 0.8 : upper < 0.5) << c.at << " s: " << upper;
    EXPECT_TRUE(c.lower ? lower > 0.8 : lower < 0.5) << c.at << " s: " << lower;
  }

  // After 148 s the glow is gone: only the figure, the bubble and the beat pictures remain.
  const Frame late = frameAt(150.0);
  EXPECT_LT(area(late, 0, 450, 640, 480).brightest, 8) << "the background is not black at 150 s";
  EXPECT_LT(area(late, 370, 0, 640, 40).brightest, 8);
  EXPECT_GT(area(late, 330, 100, 640, 400).brightest, 100) << "the figure is missing at 150 s";

  // The show ends by itself: nothing is drawn after 154.5 s.
  Frame none;
  EXPECT_FALSE(renderer().runTo(renderer().passAt(154.6), false, &none));
  EXPECT_TRUE(renderer().ended());
}

TEST(RendererProgram, RefusesWhatItCannotDo) {
  const struct {
    std::vector<std::string> args;
    const char* says;
    std::string dir;
    std::map<std::string, std::string> env;
  } cases[] = {
      {{"--help"}, "--video", buildDirectory(), {}},
      {{"--frobnicate"}, "unknown argument --frobnicate", buildDirectory(), {}},
      {{"--fps", "sixty", "--at", "1", "--out", "/tmp"}, "--fps", buildDirectory(), {}},
      {{"--at", "1"}, "--out", buildDirectory(), {}},
      // Times the show never reaches are refused before any work, not turned into pass numbers.
      {{"--at", "2e17", "--out", "/tmp/kk-nothing"}, "the show ends at 154.5 s", buildDirectory(), {}},
      {{"--at", "154.51", "--out", "/tmp/kk-nothing"}, "the show ends at 154.5 s", buildDirectory(), {}},
      {{"--at", "nan", "--out", "/tmp/kk-nothing"}, "--at wants a show time", buildDirectory(), {}},
      {{"--at", "-inf", "--out", "/tmp/kk-nothing"}, "--at wants a show time", buildDirectory(), {}},
      {{"--at", "-0.5", "--out", "/tmp/kk-nothing"}, "--at wants a show time", buildDirectory(), {}},
      // Away from data/, the missing files are named.
      {{"--at", "1", "--out", "/tmp/kk-nothing"}, "missing data file data/", "/", {}},
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
