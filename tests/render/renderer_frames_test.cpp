// Whole frames of the show from the offline renderer, checked by what a viewer must see.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/build_paths.h"
#include "tests/support/xvfb.h"
#include "tools/png_file.h"
#include "tools/render/offline_renderer.h"

namespace {

struct Frame {
  std::vector<uint8_t> rgba;  // bottom row first
  const uint8_t* at(int x, int y) const { return &rgba[(size_t(y) * 640 + size_t(x)) * 4]; }
  double meanBrightness(int x0, int y0, int x1, int y1) const {
    double sum = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) sum += (at(x, y)[0] + at(x, y)[1] + at(x, y)[2]) / 3.0;
    return sum / double((x1 - x0) * (y1 - y0));
  }
  // Share of a row's pixels that are white, as the bubble's body is.
  double whiteShare(int y, int x0, int x1) const {
    int white = 0;
    for (int x = x0; x < x1; ++x) {
      const uint8_t* p = at(x, y);
      if (std::min({p[0], p[1], p[2]}) > 200) ++white;
    }
    return double(white) / double(x1 - x0);
  }
  int brightest(int x0, int y0, int x1, int y1) const {
    int most = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) most = std::max({most, int(at(x, y)[0]), int(at(x, y)[1]), int(at(x, y)[2])});
    return most;
  }
};

// One replayed show for the whole program: frames are asked for in time order.
OfflineRenderer& renderer() {
  static OfflineRenderer* r = [] {
    auto* made = new OfflineRenderer;
    std::string error;
    if (!made->start(60, &error)) ADD_FAILURE() << error;
    return made;
  }();
  return *r;
}

Frame frameAt(double seconds) {
  Frame f;
  EXPECT_TRUE(renderer().runTo(renderer().passAt(seconds), false, &f.rgba)) << seconds;
  return f;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The renderer program, run from the build folder; returns its exit status.
int runRenderer(const std::vector<std::string>& args, const std::string& workingDir, std::string* output,
                const std::map<std::string, std::string>& env = {}) {
  std::vector<std::string> argv = {buildDirectory() + "/tools/render/kaikuranta-render"};
  argv.insert(argv.end(), args.begin(), args.end());
  ChildProcess child(argv, workingDir, env);
  int status = -1;
  EXPECT_TRUE(child.wait(300, &status));
  if (output) *output = child.output();
  return status;
}

// The bubble's body, a little above its centre, where no text runs: upper centre (200, 312),
// lower centre (200, 120).
constexpr int kUpperBodyRow = 312 + 28;
constexpr int kLowerBodyRow = 120 + 28;

// Runs first: the replayed show of this program is still at its start.
TEST(RendererFrames, SeekingDrawsTheFrameThatDrawingEveryPassDraws) {
  char dir[] = "/tmp/kk-render-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string a = std::string(dir) + "/a", b = std::string(dir) + "/b";
  std::string out;
  ASSERT_EQ(runRenderer({"--at", "2.5", "--at", "0.5", "--out", a}, buildDirectory(), &out), 0) << out;
  EXPECT_NE(out.find("drew 2 frames"), std::string::npos) << out;
  ASSERT_EQ(runRenderer({"--fps", "60", "--at", "0.5", "--out", b}, buildDirectory(), &out), 0) << out;
  const std::string seeked = readFile(a + "/000030.png");
  ASSERT_FALSE(seeked.empty());
  EXPECT_EQ(seeked, readFile(b + "/000030.png")) << "two renders of pass 30 differ";
  EXPECT_FALSE(readFile(a + "/000150.png").empty());

  ASSERT_EQ(renderer().nextPass(), 0);
  Frame f;
  ASSERT_TRUE(renderer().runTo(30, true, &f.rgba));
  EXPECT_EQ(renderer().frameMillis().size(), 31u);
  ASSERT_TRUE(writePng(std::string(dir) + "/every.png", 640, 480, f.rgba));
  EXPECT_EQ(seeked, readFile(std::string(dir) + "/every.png")) << "seeking changed the frame";
  EXPECT_EQ(std::system((std::string("rm -rf ") + dir).c_str()), 0);
}

TEST(RendererFrames, TheShowAsAViewerSeesIt) {
  // Beat 3 (odd), beat 4 (a picture on the right), beat 5 (odd), beat 6 (a picture on the left).
  const Frame beat3 = frameAt(0.95);
  const Frame beat4 = frameAt(1.40);
  const Frame beat5 = frameAt(1.85);
  const Frame beat6 = frameAt(2.30);
  const double right3 = beat3.meanBrightness(550, 0, 636, 58);
  const double right4 = beat4.meanBrightness(550, 0, 636, 58);
  const double right5 = beat5.meanBrightness(550, 0, 636, 58);
  const double left5 = beat5.meanBrightness(4, 0, 90, 58);
  const double left6 = beat6.meanBrightness(4, 0, 90, 58);
  EXPECT_GT(right4, right3 + 25) << "no picture lower right on beat 4";
  EXPECT_GT(right4, right5 + 25) << "the beat-4 picture is still there on beat 5";
  EXPECT_GT(left6, left5 + 25) << "no picture lower left on beat 6";
  EXPECT_LT(beat6.meanBrightness(550, 0, 636, 58), right4 - 25) << "beat 6 shows a right picture";

  // Message 0 holds in the upper position, message 1 in the lower; tails show no bubble.
  const Frame upper = frameAt(20.0);
  EXPECT_GT(upper.whiteShare(kUpperBodyRow, 110, 290), 0.8);
  EXPECT_LT(upper.whiteShare(kLowerBodyRow, 110, 290), 0.5);
  const Frame tail0 = frameAt(30.5);
  EXPECT_LT(tail0.whiteShare(kUpperBodyRow, 110, 290), 0.5);
  const Frame lower = frameAt(40.0);
  EXPECT_GT(lower.whiteShare(kLowerBodyRow, 110, 290), 0.8);
  EXPECT_LT(lower.whiteShare(kUpperBodyRow, 110, 290), 0.5);
  const Frame tail1 = frameAt(47.5);
  EXPECT_LT(tail1.whiteShare(kLowerBodyRow, 110, 290), 0.5);

  // After 148 s the glow is gone: only the figure, the bubble and the beat pictures remain.
  const Frame late = frameAt(150.0);
  EXPECT_LT(late.brightest(0, 450, 640, 480), 8) << "the background is not black at 150 s";
  EXPECT_LT(late.brightest(370, 0, 640, 40), 8);
  EXPECT_GT(late.brightest(330, 100, 640, 400), 100) << "the figure is missing at 150 s";

  // The show ends by itself: nothing is drawn after 154.5 s.
  std::vector<uint8_t> none;
  EXPECT_FALSE(renderer().runTo(renderer().passAt(154.6), false, &none));
  EXPECT_TRUE(renderer().ended());
}

TEST(RendererProgram, RefusesWhatItCannotDo) {
  std::string out;
  EXPECT_EQ(runRenderer({"--help"}, buildDirectory(), &out), 0);
  EXPECT_NE(out.find("--video"), std::string::npos);

  EXPECT_NE(runRenderer({"--frobnicate"}, buildDirectory(), &out), 0);
  EXPECT_NE(out.find("unknown argument --frobnicate"), std::string::npos) << out;
  EXPECT_NE(runRenderer({"--fps", "sixty", "--at", "1", "--out", "/tmp"}, buildDirectory(), &out), 0);
  EXPECT_NE(out.find("--fps"), std::string::npos) << out;
  EXPECT_NE(runRenderer({"--at", "1"}, buildDirectory(), &out), 0);
  EXPECT_NE(out.find("--out"), std::string::npos) << out;

  // Away from data/, the missing files are named.
  EXPECT_NE(runRenderer({"--at", "1", "--out", "/tmp/kk-nothing"}, "/", &out), 0);
  EXPECT_NE(out.find("missing data file data/"), std::string::npos) << out;

  // No ffmpeg on the path: a clear word before any work is done.
  EXPECT_NE(runRenderer({"--video", "/tmp/kk.mp4"}, buildDirectory(), &out, {{"PATH", "/nonexistent"}}), 0);
  EXPECT_NE(out.find("ffmpeg"), std::string::npos) << out;
}

}  // namespace
