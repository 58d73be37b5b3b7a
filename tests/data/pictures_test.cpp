// The fourteen generated pictures, decoded the way the show decodes them.
#include "data_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

struct PictureFacts {
  const char* name;
  int size;
  bool addedOnBlack;  // drawn additively, so its edges must be black
};

const std::vector<PictureFacts> PICTURES = {
    {"spiralkeltainen.jpg", 512, false}, {"kasvot.jpg", 512, true},  {"maski.jpg", 512, false},
    {"metalli.jpg", 512, false},         {"star.jpg", 256, true},    {"mutsis.jpg", 256, true},
    {"tarrat.jpg", 256, true},           {"kaiku.jpg", 256, true},   {"scene.jpg", 256, true},
    {"vekkuli.jpg", 256, true},          {"suck.jpg", 256, true},    {"kurwa.jpg", 256, true},
    {"kupla.jpg", 512, true},            {"kupla_maski.jpg", 512, false}};

const std::vector<const char*> BADGES = {"mutsis.jpg", "tarrat.jpg", "kaiku.jpg", "scene.jpg",
                                         "vekkuli.jpg", "suck.jpg",  "kurwa.jpg"};

DecodedJpeg load(const std::string& name) {
  DecodedJpeg p = decodeJpeg("data/" + name);
  EXPECT_EQ(p.error, "");
  return p;
}

// JPEG ringing next to a bright edge stays below this on a black background.
constexpr int NOISE = 40;

// A picture and its mask add up to the frame: the frame is multiplied by the mask and the
// picture is added. Wherever the picture has light, the mask must have taken at least as much
// away, or the light shows as a bright seam; so brightness + mask ≤ 255, give or take noise.
void expectMaskCovers(const DecodedJpeg& picture, const DecodedJpeg& mask, const char* what) {
  ASSERT_EQ(picture.width, mask.width);
  ASSERT_EQ(picture.height, mask.height);
  int seams = 0, worstX = 0, worstY = 0, worst = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const int excess = picture.maxChannel(x, y) + mask.minChannel(x, y) - 255;
      if (excess > NOISE) ++seams;
      if (excess > worst) {
        worst = excess;
        worstX = x;
        worstY = y;
      }
      if (mask.minChannel(x, y) >= 200) {
        ASSERT_LE(picture.maxChannel(x, y), NOISE) << what << " is lit under a white mask at " << x << "," << y;
      }
    }
  }
  EXPECT_EQ(seams, 0) << what << ": worst excess " << worst << " at " << worstX << "," << worstY;
}

// Fraction of the pixels of a rectangle (in fractions of the picture) that pass a test.
template <typename Test>
double fractionOf(const DecodedJpeg& p, double x0, double y0, double x1, double y1, Test test) {
  int hits = 0, total = 0;
  for (int y = int(y0 * p.height); y < int(y1 * p.height); ++y) {
    for (int x = int(x0 * p.width); x < int(x1 * p.width); ++x) {
      ++total;
      if (test(x, y)) ++hits;
    }
  }
  return total ? double(hits) / total : 0.0;
}

}  // namespace

TEST(Pictures, EveryPictureIsABaselineRgbJpegOfItsSize) {
  for (const PictureFacts& picture : PICTURES) {
    SCOPED_TRACE(picture.name);
    const DecodedJpeg p = load(picture.name);
    EXPECT_EQ(p.components, 3);
    EXPECT_EQ(p.width, picture.size);
    EXPECT_EQ(p.height, picture.size);
    EXPECT_FALSE(p.progressive);
    // Something is drawn: not one flat colour.
    double sum = 0.0, squares = 0.0;
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) {
        sum += p.luma(x, y);
        squares += p.luma(x, y) * p.luma(x, y);
      }
    }
    const double n = double(p.width) * p.height;
    EXPECT_GT(std::sqrt(squares / n - (sum / n) * (sum / n)), 20.0);
  }
}

TEST(Pictures, AddedPicturesAreBlackAlongTheirEdges) {
  // A lit border would show the square outline of the sprite on screen.
  for (const PictureFacts& picture : PICTURES) {
    if (!picture.addedOnBlack) continue;
    SCOPED_TRACE(picture.name);
    const DecodedJpeg p = load(picture.name);
    for (int i = 0; i < p.width; ++i) {
      for (int edge = 0; edge < 2; ++edge) {
        const int far = p.width - 1 - edge;
        ASSERT_LE(p.maxChannel(i, edge), NOISE / 2) << "top row, x " << i;
        ASSERT_LE(p.maxChannel(i, far), NOISE / 2) << "bottom row, x " << i;
        ASSERT_LE(p.maxChannel(edge, i), NOISE / 2) << "left column, y " << i;
        ASSERT_LE(p.maxChannel(far, i), NOISE / 2) << "right column, y " << i;
      }
    }
  }
}

TEST(Pictures, FigureAndItsMaskLineUp) {
  const DecodedJpeg figure = load("kasvot.jpg"), mask = load("maski.jpg");
  expectMaskCovers(figure, mask, "figure");
  // The mask is a silhouette: black where the figure is, white around it, and the figure
  // under the black part is mostly lit (outlines and shades are its dark parts).
  const double covered = fractionOf(mask, 0, 0, 1, 1, [&](int x, int y) { return mask.maxChannel(x, y) < 40; });
  const double open = fractionOf(mask, 0, 0, 1, 1, [&](int x, int y) { return mask.minChannel(x, y) > 215; });
  EXPECT_GT(covered, 0.2);
  EXPECT_GT(open, 0.3);
  const double litUnderMask = fractionOf(figure, 0, 0, 1, 1, [&](int x, int y) {
    return mask.maxChannel(x, y) < 40 && figure.luma(x, y) > 60;
  });
  EXPECT_GT(litUnderMask, 0.65 * covered);
  // Head and shoulders, upright: the head is narrower than the shoulders below it.
  const double headWidth = fractionOf(mask, 0, 0.30, 1, 0.31, [&](int x, int y) { return mask.maxChannel(x, y) < 40; });
  const double shoulderWidth =
      fractionOf(mask, 0, 0.85, 1, 0.86, [&](int x, int y) { return mask.maxChannel(x, y) < 40; });
  EXPECT_LT(headWidth, 0.55);
  EXPECT_GT(shoulderWidth, 0.7);
}

TEST(Pictures, BubbleAndItsMaskLineUp) {
  expectMaskCovers(load("kupla.jpg"), load("kupla_maski.jpg"), "bubble");
}

TEST(Pictures, BubbleReadsRightWayUpAroundTheTextLine) {
  // The show puts the picture's top row at the bottom of the screen, so the file's row at
  // fraction f from the top is on screen at fraction f from the bottom of the bubble. The text
  // line sits with its baseline 70 % of the way up and its letters about a tenth of the height
  // tall (descenders a little below): that band must be white bubble, inside the mask.
  const DecodedJpeg bubble = load("kupla.jpg"), mask = load("kupla_maski.jpg");
  const double textBand = fractionOf(bubble, 0.12, 0.66, 0.88, 0.82, [&](int x, int y) {
    return bubble.minChannel(x, y) > 200 && mask.maxChannel(x, y) < 40;
  });
  EXPECT_EQ(textBand, 1.0);
  // Nothing above the body.
  EXPECT_EQ(fractionOf(mask, 0, 0.95, 1, 1, [&](int x, int y) { return mask.minChannel(x, y) > 215; }), 1.0);
  // Below the body only the tail, on the right, pointing down towards the figure.
  const double tailRight = fractionOf(bubble, 0.6, 0.3, 0.9, 0.5, [&](int x, int y) { return bubble.luma(x, y) > 128; });
  const double belowLeft = fractionOf(mask, 0.0, 0.0, 0.5, 0.5, [&](int x, int y) { return mask.minChannel(x, y) > 215; });
  EXPECT_GT(tailRight, 0.05);
  EXPECT_EQ(belowLeft, 1.0);
  const double tailTip = fractionOf(bubble, 0.6, 0.18, 0.95, 0.3, [&](int x, int y) { return bubble.luma(x, y) > 64; });
  EXPECT_GT(tailTip, 0.0);
}

TEST(Pictures, SpiralHasBrightYellowArmsAndDarkGaps) {
  const DecodedJpeg spiral = load("spiralkeltainen.jpg");
  const double bright = fractionOf(spiral, 0, 0, 1, 1, [&](int x, int y) { return spiral.luma(x, y) > 150; });
  const double dark = fractionOf(spiral, 0, 0, 1, 1, [&](int x, int y) { return spiral.luma(x, y) < 40; });
  EXPECT_GT(bright, 0.3);
  EXPECT_GT(dark, 0.3);
  double r = 0, g = 0, b = 0;
  int n = 0;
  for (int y = 0; y < spiral.height; ++y) {
    for (int x = 0; x < spiral.width; ++x) {
      if (spiral.luma(x, y) <= 150) continue;
      r += spiral.at(x, y)[0];
      g += spiral.at(x, y)[1];
      b += spiral.at(x, y)[2];
      ++n;
    }
  }
  ASSERT_GT(n, 0);
  EXPECT_GT(r / n, 220.0);
  EXPECT_GT(g / n, 150.0);
  EXPECT_LT(b / n, 110.0);
  // Arms reach every corner, so the spinning square never shows an empty one.
  for (double cx : {0.05, 0.95}) {
    for (double cy : {0.05, 0.95}) {
      EXPECT_GT(fractionOf(spiral, cx - 0.05, cy - 0.05, cx + 0.05, cy + 0.05,
                           [&](int x, int y) { return spiral.luma(x, y) > 150; }),
                0.1)
          << cx << "," << cy;
    }
  }
}

// GL's sphere map takes upward reflections from the bottom rows: the sky is stored there.
TEST(Pictures, MetalShowsSkyForUpwardReflectionsAndStaysDim) {
  const DecodedJpeg metal = load("metalli.jpg");
  double skyBlue = 0, skyRed = 0, skyLuma = 0, floorLuma = 0, allLuma = 0;
  for (int y = int(0.1 * metal.height); y < int(0.25 * metal.height); ++y) {
    for (int x = int(0.3 * metal.width); x < int(0.7 * metal.width); ++x) {
      const int sky = metal.height - 1 - y;
      skyRed += metal.at(x, sky)[0];
      skyBlue += metal.at(x, sky)[2];
      skyLuma += metal.luma(x, sky);
      floorLuma += metal.luma(x, y);
    }
  }
  EXPECT_GT(skyBlue, skyRed * 1.2);
  EXPECT_GT(skyLuma, floorLuma * 1.5);
  // Nine half-strength copies of it make the background: on average it must stay dim.
  for (int y = 0; y < metal.height; ++y)
    for (int x = 0; x < metal.width; ++x) allLuma += metal.luma(x, y);
  EXPECT_LT(allLuma / (metal.width * metal.height), 70.0);
  // The ball fills the square: no black corners.
  for (int x : {0, metal.width - 1}) {
    for (int y : {0, metal.height - 1}) EXPECT_GT(metal.luma(x, y), 5.0) << x << "," << y;
  }
}

TEST(Pictures, StarGlowsFromABrightCentre) {
  const DecodedJpeg star = load("star.jpg");
  EXPECT_GE(star.minChannel(star.width / 2, star.height / 2), 235);
  // Soft: the light falls off gradually, not as a hard disc.
  const double mid = star.luma(star.width / 2 + star.width / 8, star.height / 2 + star.height / 8);
  EXPECT_GT(mid, 10.0);
  EXPECT_LT(mid, 200.0);
}

TEST(Pictures, BadgesAreBrightAndEachDifferent) {
  std::vector<DecodedJpeg> badges;
  for (const char* name : BADGES) badges.push_back(load(name));
  for (size_t i = 0; i < badges.size(); ++i) {
    SCOPED_TRACE(BADGES[i]);
    const DecodedJpeg& b = badges[i];
    // Bright enough to read when added at a fraction of full strength.
    EXPECT_GT(fractionOf(b, 0, 0, 1, 1, [&](int x, int y) { return b.maxChannel(x, y) > 200; }), 0.15);
    for (size_t j = 0; j < i; ++j) {
      double difference = 0.0;
      for (size_t k = 0; k < b.pixels.size(); ++k) difference += std::abs(int(b.pixels[k]) - int(badges[j].pixels[k]));
      EXPECT_GT(difference / double(b.pixels.size()), 20.0) << "too close to " << BADGES[j];
    }
  }
}
