// The generated soundtrack, decoded as the show plays it: gapless, so beat 1 is sample 0.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/mp3_decoder.h"
#include "platform/show_files.h"

constexpr double RATE = 44100.0;
constexpr int SHOW_BEATS = 335;  // the last beat before the show ends at 154.5 s

// The music as the show decodes it, interleaved stereo: decoded once, for both tests.
static const std::vector<int16_t>& music() {
  static const std::vector<int16_t> samples = [] {
    std::vector<int16_t> decoded;
    std::string error;
    EXPECT_TRUE(platform::decodeMp3File(DATA_MUSIC, int(RATE), &decoded, &error)) << error;
    return decoded;
  }();
  return samples;
}

// The size of the mono mix through a 300 Hz low-pass run forwards and then backwards: the kick's
// band with no delay added, so an onset stays where it is.
static std::vector<double> lowBand(const std::vector<int16_t>& samples) {
  std::vector<double> low(samples.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) low[i / 2] += samples[i] / 65536.0;
  const double w = 2.0 * M_PI * 300.0 / RATE, alpha = std::sin(w) / (2.0 * 0.7071), a0 = 1.0 + alpha;
  const double b0 = (1.0 - std::cos(w)) / 2.0 / a0, a1 = -2.0 * std::cos(w) / a0, a2 = (1.0 - alpha) / a0;
  const auto pass = [&](auto begin, auto end) {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (auto it = begin; it != end; ++it) {
      const double out = b0 * (*it + 2.0 * x1 + x2) - a1 * y1 - a2 * y2;
      x2 = std::exchange(x1, *it);
      y2 = std::exchange(y1, *it = out);
    }
  };
  pass(low.begin(), low.end());
  pass(low.rbegin(), low.rend());
  std::transform(low.begin(), low.end(), low.begin(), [](double v) { return std::fabs(v); });
  return low;
}

TEST(Soundtrack, DecodesGaplessToTheWholeShowWithoutClipping) {
  const std::vector<int16_t>& samples = music();
  EXPECT_GE(double(samples.size() / 2) / RATE, 156.0);
  int peak = 0;
  for (int16_t s : samples) peak = std::max(peak, std::abs(int(s)));
  // -1 dBFS; a clipped sample sits at full scale.
  EXPECT_LE(peak, int(32768.0 * std::pow(10.0, -1.0 / 20.0)));
}

// The kick's onset is where the beat's low band first reaches half its peak within 50 ms either side,
// and the kick must stand clear of what comes just before it, so the bass cannot pass for a kick.
TEST(Soundtrack, KickLandsOnEveryBeatOfTheShow) {
  const std::vector<double> low = lowBand(music());
  const auto at = [&](long i) { return low.begin() + i; };
  const long search = long(0.05 * RATE), before = long(0.04 * RATE), gap = long(0.005 * RATE);
  for (int n = 1; n <= SHOW_BEATS; ++n) {
    SCOPED_TRACE(testing::Message() << "beat " << n);
    const long beat = std::lround((n - 1) * 6.0 / 13.0 * RATE);
    const long from = std::max(0L, beat - search), to = std::min(long(low.size()), beat + search);
    ASSERT_LT(from, to) << "past the end";
    const double peak = *std::max_element(at(from), at(to));
    const long onset = std::find_if(at(from), at(to), [&](double v) { return v >= 0.5 * peak; }) - low.begin();
    double earlier = 1e-9;
    for (long i = std::max(0L, onset - before); i < onset - gap; ++i) earlier = std::max(earlier, low[size_t(i)]);
    EXPECT_LE(std::fabs(1000.0 * double(onset - beat) / RATE), 2.0) << "ms from the beat";
    EXPECT_GT(peak / earlier, 2.5);
  }
}
