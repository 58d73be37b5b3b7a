// The show drawn larger is the same show: frames at 1280x960 and 1920x1440, reduced to 640x480 by
// averaging each block of pixels, match the 640x480 frames drawn at the same moments. Only the
// bubble's text may differ there (its glyphs are rasterised at the larger size, not enlarged), so
// the bubble is left out of frames whose card carries text. A layer that forgets to scale one of
// its pixel quantities (a capture corner, a tap distance, the card's scroll) moves or resizes
// what it draws and fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include "tests/support/build_paths.h"
#include "tests/support/child_process.h"
#include "tools/png_file.h"

namespace {

// Where the bubble can be in a 640x480 frame (rows from the top): the upper one's centre is 168
// rows down, the lower one's 360; at full size it is 320 x 240, wobbling by a fifth and tilting.
enum class Bubble { None, Upper, Lower };
struct Moment {
  double seconds;
  const char* file;  // named by the pass, at 60 passes a second
  Bubble text;       // where text shows, if anywhere
};
// Every layer shows in at least one: the approaching figure and a left beat picture; a special
// picture; the lower bubble half open with its text just off the card's right edge, so the whole
// card is compared; a spiral flash through the glow; the late star field; the black end with the
// bubble opening again.
const Moment MOMENTS[] = {
    {1.85, "000111.png", Bubble::None},  {16.25, "000975.png", Bubble::Upper}, {32.0, "001920.png", Bubble::None},
    {80.0, "004800.png", Bubble::Lower}, {95.0, "005700.png", Bubble::Lower},  {148.2, "008892.png", Bubble::None},
};

struct Picture {
  int w = 0, h = 0;
  std::vector<uint8_t> rgb;  // top row first
};

// The renderer's frames of MOMENTS at `size`, read back from its PNG files.
std::vector<Picture> render(const std::string& size, const std::string& dir) {
  std::vector<std::string> argv = {buildDirectory() + "/tools/render/kaikuranta-render", "--size", size,
                                   "--out", dir};
  for (const Moment& m : MOMENTS) argv.insert(argv.end(), {"--at", std::to_string(m.seconds)});
  std::string output;
  EXPECT_EQ(runToEnd(argv, buildDirectory(), &output), 0) << output;
  std::vector<Picture> pictures;
  for (const Moment& m : MOMENTS) {
    Picture& p = pictures.emplace_back();
    EXPECT_TRUE(readPngRgb(dir + "/" + m.file, &p.w, &p.h, &p.rgb)) << size << " " << m.file;
  }
  return pictures;
}

// Channel `c` of the block of `factor` x `factor` pixels of `big` that holds pixel (x, y) of the
// 640x480 frame, averaged.
int reduced(const Picture& big, int factor, int x, int y, size_t c) {
  int sum = 0;
  for (int dy = 0; dy < factor; ++dy) {
    for (int dx = 0; dx < factor; ++dx)
      sum += big.rgb[(size_t(y * factor + dy) * size_t(big.w) + size_t(x * factor + dx)) * 3 + c];
  }
  return (sum + factor * factor / 2) / (factor * factor);
}

// Blocks of 16 x 16 pixels of the 640x480 frame; the largest mean difference one may have. The
// picture drawn larger is sharper, most of all along the outlines: up to 15 levels there.
constexpr int BLOCK = 16;
constexpr double MAX_BLOCK_MEAN = 24;

bool masked(Bubble bubble, int x, int y) {
  if (bubble == Bubble::None || x >= 420) return false;
  return bubble == Bubble::Upper ? y < 340 : y >= 190;
}

TEST(ScaledFrames, LargerFramesReducedAreThe640x480Frames) {
  const TempDir dir("kk-scaled");
  const std::vector<Picture> reference = render("640x480", dir.path);
  for (int factor : {2, 3}) {
    const std::string size = std::to_string(640 * factor) + "x" + std::to_string(480 * factor);
    const std::vector<Picture> large = render(size, dir.path);
    for (size_t i = 0; i < large.size(); ++i) {
      const Moment& m = MOMENTS[i];
      ASSERT_EQ(std::make_pair(large[i].w, large[i].h), std::make_pair(640 * factor, 480 * factor));
      std::vector<int> differences;
      // A fault that moves or resizes something small (a line of text, a star) hardly moves the
      // frame's figures; in the block that holds it, it stands out.
      std::vector<int> blocks(size_t(640 / BLOCK) * size_t(480 / BLOCK), 0);
      for (size_t at = 0; at < size_t(640 * 480 * 3); ++at) {
        const int x = int(at / 3 % 640), y = int(at / 3 / 640);
        if (masked(m.text, x, y)) continue;
        differences.push_back(std::abs(reduced(large[i], factor, x, y, at % 3) - int(reference[i].rgb[at])));
        blocks[size_t(y / BLOCK) * size_t(640 / BLOCK) + size_t(x / BLOCK)] += differences.back();
      }
      const double worstBlock = double(*std::max_element(blocks.begin(), blocks.end())) / (BLOCK * BLOCK * 3);
      const double mean = std::accumulate(differences.begin(), differences.end(), 0.0) / double(differences.size());
      const auto p99 = differences.begin() + long(differences.size() * 99 / 100);
      std::nth_element(differences.begin(), p99, differences.end());
      std::printf("%dx%d at %.2f s: mean %.2f, 99th percentile %d, worst block %.1f\n", 640 * factor, 480 * factor,
                  m.seconds, mean, *p99, worstBlock);
      EXPECT_LE(worstBlock, MAX_BLOCK_MEAN) << "at " << m.seconds << " s, " << factor << " times as large";
      EXPECT_LE(mean, 2.0) << "at " << m.seconds << " s, " << factor << " times as large";
      EXPECT_LE(*p99, 24) << "at " << m.seconds << " s, " << factor << " times as large";
    }
  }
}

}  // namespace
