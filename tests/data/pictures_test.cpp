// The fourteen generated pictures.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/show_files.h"
#include "tests/assets/test_pictures.h"

namespace {

// Decoded the way the show decodes it; every check reads three components, so anything else is
// an empty picture.
struct Picture : LibraryPicture {
  const uint8_t* at(int x, int y) const { return &pixels[size_t((y * width + x) * components)]; }
  int brightest(int x, int y) const { return *std::max_element(at(x, y), at(x, y) + components); }
  int darkest(int x, int y) const { return *std::min_element(at(x, y), at(x, y) + components); }
  double luma(int x, int y) const { return 0.299 * at(x, y)[0] + 0.587 * at(x, y)[1] + 0.114 * at(x, y)[2]; }
};

Picture load(const std::string& path) {
  Picture out{decodeWithLibrary(path)};
  EXPECT_EQ(out.components, 3) << path;
  return out.components == 3 ? out : Picture{};
}

// The mean of f over a rectangle given in fractions of the picture; for a test, the fraction passing.
template <typename F>
double meanOf(const Picture& p, double x0, double y0, double x1, double y1, F f) {
  double sum = 0.0, count = 0.0;
  for (int y = int(y0 * p.height); y < int(y1 * p.height); ++y) {
    for (int x = int(x0 * p.width); x < int(x1 * p.width); ++x, ++count) sum += double(f(x, y));
  }
  return count > 0 ? sum / count : 0.0;
}
template <typename F>
double meanOf(const Picture& p, F f) { return meanOf(p, 0, 0, 1, 1, f); }

// JPEG ringing next to a bright edge stays below this on a black background.
constexpr int NOISE = 40;

}  // namespace

// The textures are built from square pictures with power-of-two sides.
TEST(Pictures, EveryPictureIsASquareBaselineJpegWithSomethingDrawn) {
  for (const char* path : DATA_FILES) {
    if (path == std::string(DATA_MUSIC)) continue;
    SCOPED_TRACE(path);
    const Picture p = load(path);
    EXPECT_TRUE(p.width == 256 || p.width == 512) << p.width;
    EXPECT_EQ(p.height, p.width);
    EXPECT_FALSE(p.progressive);
    const double mean = meanOf(p, [&](int x, int y) { return p.luma(x, y); });
    const double square = meanOf(p, [&](int x, int y) { return p.luma(x, y) * p.luma(x, y); });
    EXPECT_GT(square - mean * mean, 20.0 * 20.0) << "one flat colour";
  }
}

// The frame is multiplied by the mask and then the picture is added: light the mask has not taken
// away shows as a seam, so the picture must be dark where the mask is white, and brightness plus
// mask must stay within full scale along the grey edge, give or take JPEG noise.
TEST(Pictures, PicturesAndTheirMasksLineUp) {
  for (const auto& [name, maskName] : {std::pair{DATA_FIGURE, DATA_FIGURE_MASK}, {DATA_BUBBLE, DATA_BUBBLE_MASK}}) {
    SCOPED_TRACE(name);
    const Picture p = load(name), mask = load(maskName);
    ASSERT_EQ(p.pixels.size(), mask.pixels.size());
    EXPECT_EQ(meanOf(p, [&](int x, int y) { return mask.darkest(x, y) >= 200 && p.brightest(x, y) > NOISE; }), 0.0);
    EXPECT_EQ(meanOf(p, [&](int x, int y) { return p.brightest(x, y) + mask.darkest(x, y) > 255 + NOISE; }), 0.0);
    // A silhouette with the picture lit under its black, not a blank mask over a blank picture.
    const double covered = meanOf(mask, [&](int x, int y) { return mask.brightest(x, y) < 40; });
    EXPECT_GT(covered, 0.2);
    EXPECT_GT(meanOf(mask, [&](int x, int y) { return mask.darkest(x, y) > 215; }), 0.3);
    EXPECT_GT(meanOf(p, [&](int x, int y) { return mask.brightest(x, y) < 40 && p.luma(x, y) > 60; }),
              0.65 * covered);
  }
}

// The show puts the bubble's top row at the bottom of the screen: the file's row f from the top is
// f from the bottom on screen. The text line (baseline 70 % up, letters about a tenth of the height)
// must sit on white bubble; nothing lies above the body, and below it only the tail, on the right.
TEST(Pictures, BubbleReadsRightWayUpAroundTheTextLine) {
  const Picture bubble = load(DATA_BUBBLE), mask = load(DATA_BUBBLE_MASK);
  const auto outside = [&](int x, int y) { return mask.darkest(x, y) > 215; };
  EXPECT_EQ(meanOf(bubble, 0.12, 0.66, 0.88, 0.82,
                   [&](int x, int y) { return bubble.darkest(x, y) > 200 && mask.brightest(x, y) < 40; }),
            1.0);
  EXPECT_EQ(meanOf(mask, 0, 0.95, 1, 1, outside), 1.0);
  EXPECT_EQ(meanOf(mask, 0, 0, 0.5, 0.5, outside), 1.0);
  EXPECT_GT(meanOf(bubble, 0.6, 0.3, 0.9, 0.5, [&](int x, int y) { return bubble.luma(x, y) > 128; }), 0.05);
}

// GL's sphere map takes upward reflections from the bottom rows, so the sky is stored there; nine
// half-strength copies make the background, so on average it must stay dim.
TEST(Pictures, MetalHasItsSkyInTheBottomRowsAndStaysDim) {
  const Picture metal = load(DATA_METAL);
  const auto luma = [&](int x, int y) { return metal.luma(x, y); };
  EXPECT_GT(meanOf(metal, 0.3, 0.75, 0.7, 0.9, [&](int x, int y) { return metal.at(x, y)[2]; }),
            1.2 * meanOf(metal, 0.3, 0.75, 0.7, 0.9, [&](int x, int y) { return metal.at(x, y)[0]; }));
  EXPECT_GT(meanOf(metal, 0.3, 0.75, 0.7, 0.9, luma), 1.5 * meanOf(metal, 0.3, 0.1, 0.7, 0.25, luma));
  EXPECT_LT(meanOf(metal, luma), 70.0);
}

// Added at a fraction of full strength, a badge must be bright to read, and no two may look alike.
TEST(Pictures, BadgesAreBrightAndEachDifferent) {
  const std::vector<const char*> names = {DATA_SIDE_A,    DATA_SIDE_B,    DATA_SIDE_C,   DATA_SIDE_D,
                                          DATA_SPECIAL_A, DATA_SPECIAL_B, DATA_SPECIAL_C};
  std::vector<Picture> badges;
  for (const char* name : names) badges.push_back(load(name));
  for (size_t i = 0; i < badges.size(); ++i) {
    const Picture& b = badges[i];
    EXPECT_GT(meanOf(b, [&](int x, int y) { return b.brightest(x, y) > 200; }), 0.15) << names[i];
    for (size_t j = 0; j < i && b.pixels.size() == badges[j].pixels.size(); ++j) {
      double difference = 0.0;
      for (size_t k = 0; k < b.pixels.size(); ++k) difference += std::abs(int(b.pixels[k]) - int(badges[j].pixels[k]));
      EXPECT_GT(difference / double(b.pixels.size()), 20.0) << names[i] << " looks like " << names[j];
    }
  }
}
