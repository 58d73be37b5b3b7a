// The generated soundtrack, decoded with gapless decoding as the show plays it.
#include <mpg123.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double RATE = 44100.0;
constexpr int SHOW_BEATS = 335;  // the last beat before the show ends at 154.5 s

struct Music {
  std::string error;
  long rate = 0;
  int channels = 0;
  std::vector<int16_t> samples;  // interleaved
  size_t frames() const { return channels ? samples.size() / size_t(channels) : 0; }
};

Music decode(const std::string& path) {
  Music out;
  mpg123_init();
  mpg123_handle* handle = mpg123_new(nullptr, nullptr);
  // The show relies on the encoder delay being skipped: beat 1 must be sample 0.
  mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
  mpg123_format_none(handle);
  for (long rate : {44100L, 48000L}) mpg123_format(handle, rate, MPG123_STEREO | MPG123_MONO, MPG123_ENC_SIGNED_16);
  int encoding = 0, result = mpg123_open(handle, path.c_str());
  if (result == MPG123_OK) result = mpg123_getformat(handle, &out.rate, &out.channels, &encoding);
  std::vector<unsigned char> buffer(1 << 16);
  while (result == MPG123_OK || result == MPG123_NEW_FORMAT) {
    size_t done = 0;
    result = mpg123_read(handle, buffer.data(), buffer.size(), &done);
    const int16_t* s = reinterpret_cast<const int16_t*>(buffer.data());
    out.samples.insert(out.samples.end(), s, s + done / 2);
  }
  if (result != MPG123_DONE) out.error = path + ": " + mpg123_strerror(handle);
  mpg123_delete(handle);  // closes the file too
  return out;
}

const Music& music() { static const Music decoded = decode("data/diskolumi2.mp3"); return decoded; }

// The mono mix through a 300 Hz low-pass run forwards and then backwards: the kick's band with no
// delay added, so an onset stays where it is.
std::vector<double> lowBand(const Music& m) {
  std::vector<double> low(m.frames());
  const size_t c = size_t(m.channels);
  for (size_t i = 0; i < low.size() * c; ++i) low[i / c] += m.samples[i] / (32768.0 * double(c));
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
  return low;
}

double rmsDb(const Music& m, double from, double to) {
  const size_t c = size_t(m.channels), a = size_t(from * RATE) * c;
  const size_t b = std::min(m.samples.size(), size_t(to * RATE) * c);
  double sum = 0.0;
  for (size_t i = a; i < b; ++i) sum += double(m.samples[i]) * m.samples[i];
  return 10.0 * std::log10(std::max(sum / double(std::max<size_t>(1, b - a)) / (32768.0 * 32768.0), 1e-18));
}

}  // namespace

TEST(Soundtrack, DecodesGaplessToTheWholeShowWithoutClipping) {
  const Music& m = music();
  ASSERT_EQ(m.error, "");
  EXPECT_EQ(m.rate, 44100);
  EXPECT_EQ(m.channels, 2);
  EXPECT_GE(double(m.frames()) / RATE, 156.0);
  int peak = 0;
  for (int16_t s : m.samples) peak = std::max(peak, std::abs(int(s)));
  EXPECT_LE(peak, int(32768.0 * std::pow(10.0, -1.0 / 20.0)));  // -1 dBFS; a clipped sample sits at full scale
}

// The kick's onset is where the beat's low band first reaches half its peak within 50 ms either side,
// and the kick must stand clear of what comes just before it, so the bass cannot pass for a kick.
TEST(Soundtrack, KickLandsOnEveryBeatOfTheShow) {
  const Music& m = music();
  ASSERT_EQ(m.error, "");
  const std::vector<double> low = lowBand(m);
  const long search = long(0.05 * RATE), before = long(0.04 * RATE), gap = long(0.005 * RATE);
  for (int n = 1; n <= SHOW_BEATS; ++n) {
    const long beat = std::lround((n - 1) * 6.0 / 13.0 * RATE);
    const long from = std::max(0L, beat - search), to = std::min(long(low.size()), beat + search);
    ASSERT_LT(from, to) << "beat " << n << " is past the end";
    double peak = 0.0, earlier = 1e-9;
    for (long i = from; i < to; ++i) peak = std::max(peak, std::fabs(low[size_t(i)]));
    long onset = from;
    while (std::fabs(low[size_t(onset)]) < 0.5 * peak) ++onset;
    for (long i = std::max(0L, onset - before); i < onset - gap; ++i)
      earlier = std::max(earlier, std::fabs(low[size_t(i)]));
    const double errorMs = 1000.0 * double(onset - beat) / RATE;
    EXPECT_LE(std::fabs(errorMs), 2.0) << "beat " << n;
    EXPECT_GT(peak / earlier, 2.5) << "beat " << n;
  }
}

TEST(Soundtrack, LoudnessFollowsTheShow) {
  const Music& m = music();
  ASSERT_EQ(m.error, "");
  const double seconds = double(m.frames()) / RATE, fadeIn = rmsDb(m, 0.0, 1.5), groove = rmsDb(m, 20.0, 70.0),
               breakdown = rmsDb(m, 75.0, 87.0), drop = rmsDb(m, 90.0, 134.0), lateOutro = rmsDb(m, 150.0, 154.5),
               end = rmsDb(m, seconds - 1.0, seconds);
  EXPECT_LT(fadeIn, groove - 6.0);
  EXPECT_LT(breakdown, drop - 2.0);
  EXPECT_LT(lateOutro, drop - 10.0);
  EXPECT_LT(end, -60.0);
}
