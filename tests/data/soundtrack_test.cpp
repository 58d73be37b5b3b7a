// The generated soundtrack, decoded with gapless decoding as the show plays it.
#include "data_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr double RATE = 44100.0;
constexpr int SHOW_BEATS = 335;  // the last beat before the show ends at 154.5 s

const DecodedMp3& music() {
  static const DecodedMp3 decoded = decodeMp3("data/diskolumi2.mp3");
  return decoded;
}

double beatTime(int n) { return (n - 1) * 6.0 / 13.0; }

// The mono mix through a 300 Hz low-pass run forwards and then backwards: the kick's band, with
// no delay added, so an onset stays where it is.
std::vector<double> lowBand(const DecodedMp3& m) {
  const size_t frames = m.frames();
  std::vector<double> x(frames);
  for (size_t i = 0; i < frames; ++i) {
    double sum = 0.0;
    for (int c = 0; c < m.channels; ++c) sum += m.samples[i * size_t(m.channels) + size_t(c)];
    x[i] = sum / (32768.0 * m.channels);
  }
  const double w = 2.0 * M_PI * 300.0 / RATE, alpha = std::sin(w) / (2.0 * 0.7071);
  const double a0 = 1.0 + alpha;
  const double b0 = (1.0 - std::cos(w)) / 2.0 / a0, b1 = (1.0 - std::cos(w)) / a0, b2 = b0;
  const double a1 = -2.0 * std::cos(w) / a0, a2 = (1.0 - alpha) / a0;
  auto pass = [&](auto begin, auto end) {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (auto it = begin; it != end; ++it) {
      const double in = *it;
      const double out = b0 * in + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
      x2 = x1;
      x1 = in;
      y2 = y1;
      y1 = out;
      *it = out;
    }
  };
  pass(x.begin(), x.end());
  pass(x.rbegin(), x.rend());
  return x;
}

double rmsDb(const DecodedMp3& m, double from, double to) {
  const size_t a = size_t(from * RATE) * size_t(m.channels), b = std::min(m.samples.size(), size_t(to * RATE) * size_t(m.channels));
  double sum = 0.0;
  for (size_t i = a; i < b; ++i) sum += double(m.samples[i]) * m.samples[i];
  const double rms = std::sqrt(sum / double(std::max<size_t>(1, b - a))) / 32768.0;
  return 20.0 * std::log10(std::max(rms, 1e-9));
}

}  // namespace

TEST(Soundtrack, DecodesGaplessToTheWholeShow) {
  const DecodedMp3& m = music();
  ASSERT_EQ(m.error, "");
  EXPECT_EQ(m.rate, 44100);
  EXPECT_EQ(m.channels, 2);
  EXPECT_GE(double(m.frames()) / RATE, 156.0);
}

TEST(Soundtrack, PeaksStayBelowMinusOneDecibel) {
  const DecodedMp3& m = music();
  ASSERT_EQ(m.error, "");
  int peak = 0;
  for (int16_t s : m.samples) peak = std::max(peak, std::abs(int(s)));
  // -1 dBFS; a clipped sample would sit at full scale.
  EXPECT_LE(peak, int(32768.0 * std::pow(10.0, -1.0 / 20.0)));
  std::printf("decoded peak %.2f dBFS\n", 20.0 * std::log10(peak / 32768.0));
}

TEST(Soundtrack, KickLandsOnEveryBeatOfTheShow) {
  // For every beat, the kick's onset is where its low band first reaches half of the beat's
  // peak, searched 50 ms either side of the beat; and the kick must stand clear of what comes
  // just before it, so that a missing kick cannot pass as the bass.
  const DecodedMp3& m = music();
  ASSERT_EQ(m.error, "");
  const std::vector<double> low = lowBand(m);
  const long search = long(0.05 * RATE), before = long(0.04 * RATE), gap = long(0.005 * RATE);
  double worstError = 0.0, weakestClearance = 1e9;
  for (int n = 1; n <= SHOW_BEATS; ++n) {
    const long beat = std::lround(beatTime(n) * RATE);
    const long from = std::max(0L, beat - search), to = std::min(long(low.size()), beat + search);
    ASSERT_LT(from, to) << "beat " << n << " is past the end";
    double peak = 0.0;
    for (long i = from; i < to; ++i) peak = std::max(peak, std::fabs(low[size_t(i)]));
    long onset = from;
    while (std::fabs(low[size_t(onset)]) < 0.5 * peak) ++onset;
    const double errorMs = 1000.0 * double(onset - beat) / RATE;
    EXPECT_LE(std::fabs(errorMs), 2.0) << "beat " << n << " at " << beatTime(n) << " s";
    worstError = std::max(worstError, std::fabs(errorMs));
    if (onset - before >= 0) {
      double earlier = 0.0;
      for (long i = onset - before; i < onset - gap; ++i) earlier = std::max(earlier, std::fabs(low[size_t(i)]));
      const double clearance = peak / std::max(earlier, 1e-9);
      EXPECT_GT(clearance, 2.5) << "beat " << n << " at " << beatTime(n) << " s";
      weakestClearance = std::min(weakestClearance, clearance);
    }
  }
  std::printf("worst onset error %.3f ms, weakest kick clearance %.1fx\n", worstError, weakestClearance);
}

TEST(Soundtrack, LoudnessFollowsTheShow) {
  const DecodedMp3& m = music();
  ASSERT_EQ(m.error, "");
  const double seconds = double(m.frames()) / RATE;
  const double fadeIn = rmsDb(m, 0.0, 1.5), groove = rmsDb(m, 20.0, 70.0), breakdown = rmsDb(m, 75.0, 87.0),
               drop = rmsDb(m, 90.0, 134.0), lateOutro = rmsDb(m, 150.0, 154.5),
               end = rmsDb(m, seconds - 1.0, seconds);
  std::printf("RMS dBFS: fade-in %.1f, groove %.1f, breakdown %.1f, drop %.1f, late outro %.1f, end %.1f\n", fadeIn,
              groove, breakdown, drop, lateOutro, end);
  EXPECT_LT(fadeIn, groove - 6.0);
  EXPECT_LT(breakdown, drop - 2.0);
  EXPECT_LT(lateOutro, drop - 10.0);
  EXPECT_LT(end, -60.0);
}
