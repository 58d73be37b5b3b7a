#pragma once
// The soundtrack's small synthesiser: deterministic noise, band-limited oscillators, a
// state-variable filter, stereo buses and the two send effects (echo and reverb). Plain
// arithmetic in double precision on fixed seeds, so one build always renders the same samples.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int SAMPLE_RATE = 44100;
constexpr double SYNTH_PI = 3.14159265358979323846;

// Beat k (counted from 0) starts k × 6/13 s into the track, 130 to the minute.
constexpr double SAMPLES_PER_BEAT = SAMPLE_RATE * 6.0 / 13.0;
inline long beatSample(double beat) { return std::lround(beat * SAMPLES_PER_BEAT); }
inline double beatSeconds(double beat) { return beat * 6.0 / 13.0; }

double midiToHz(double note);

// xorshift32: our own generator, so the noise does not depend on the C library.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state(seed * 2654435761u + 0x9e3779b9u) {
    if (state == 0) state = 1;
    for (int i = 0; i < 4; ++i) nextBits();
  }
  uint32_t nextBits() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  // Uniform in [-1, 1).
  double white() { return double(nextBits() >> 8) * (2.0 / 16777216.0) - 1.0; }
  // Uniform in [0, 1).
  double uniform() { return double(nextBits() >> 8) * (1.0 / 16777216.0); }

 private:
  uint32_t state;
};

// Sine of a phase given in cycles, from a table with linear interpolation: errors below 1e-6,
// far under the 16-bit output, the same on every machine, and cheap per sample.
constexpr int SINE_TABLE_SIZE = 4096;
extern const std::vector<double> sineTable;  // SINE_TABLE_SIZE + 1 entries
inline double tableSine(double cycles) {
  const double x = (cycles - std::floor(cycles)) * SINE_TABLE_SIZE;
  const int i = std::min(int(x), SINE_TABLE_SIZE - 1);
  const double f = x - i;
  const double* t = sineTable.data() + i;
  return t[0] + f * (t[1] - t[0]);
}

// A phase accumulator with polyBLEP-corrected saw and pulse, so high notes do not alias into hiss.
class Oscillator {
 public:
  explicit Oscillator(double startPhase = 0.0) : phase(startPhase - std::floor(startPhase)) {}
  // Each call returns the current sample and advances by inc cycles (frequency / sample rate).
  double saw(double inc) {
    const double y = 2.0 * phase - 1.0 - polyBlep(phase, inc);
    advance(inc);
    return y;
  }
  double pulse(double inc, double width) {
    double y = phase < width ? 1.0 : -1.0;
    y += polyBlep(phase, inc);
    double shifted = phase + (1.0 - width);
    if (shifted >= 1.0) shifted -= 1.0;
    y -= polyBlep(shifted, inc);
    advance(inc);
    return y;
  }
  double sine(double inc) {
    const double y = tableSine(phase);
    advance(inc);
    return y;
  }

 private:
  // Residual that removes the step of a naive waveform over one sample each side of it.
  static double polyBlep(double t, double dt) {
    if (t < dt) {
      t /= dt;
      return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
      t = (t - 1.0) / dt;
      return t * t + t + t + 1.0;
    }
    return 0.0;
  }
  void advance(double inc) {
    phase += inc;
    if (phase >= 1.0) phase -= 1.0;
  }
  double phase;
};

// Zero-delay-feedback state-variable filter; one instance gives low, band and high outputs.
class Svf {
 public:
  void set(double cutoffHz, double q);
  void process(double x) {
    const double v3 = x - ic2;
    const double v1 = a1 * ic1 + a2 * v3;
    const double v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0 * v1 - ic1;
    ic2 = 2.0 * v2 - ic2;
    low = v2;
    band = v1;
    high = x - k * v1 - v2;
  }
  double low = 0.0, band = 0.0, high = 0.0;

 private:
  double a1 = 0.0, a2 = 0.0, a3 = 0.0, k = 1.0;
  double ic1 = 0.0, ic2 = 0.0;
};

// One-pole high-pass, enough to keep sustained parts out of the kick's low end.
class OnePoleHighPass {
 public:
  explicit OnePoleHighPass(double cutoffHz) : coef(std::exp(-2.0 * SYNTH_PI * cutoffHz / SAMPLE_RATE)) {}
  double process(double x) {
    const double y = coef * (prevOut + x - prevIn);
    prevIn = x;
    prevOut = y;
    return y;
  }

 private:
  double coef;
  double prevIn = 0.0, prevOut = 0.0;
};

struct StereoBus {
  explicit StereoBus(size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
  size_t frames() const { return left.size(); }
  std::vector<float> left, right;
};

// Equal-power pan gains for pan in -1 (left) .. 1 (right).
struct Pan {
  explicit Pan(double pan)
      : left(std::cos((pan + 1.0) * SYNTH_PI * 0.25)), right(std::sin((pan + 1.0) * SYNTH_PI * 0.25)) {}
  double left, right;
};

// Ping-pong echo of a mono send into a stereo bus; the feedback path is damped so repeats darken.
void applyPingPongEcho(const std::vector<float>& send, StereoBus& out, long delaySamples, double feedback,
                       double damping, double wet);

// A small Schroeder-style room (parallel damped combs into series all-passes) for a mono send.
// The two channels are independent, so they can be rendered one at a time (on two threads).
enum class ReverbChannels { Left, Right, Both };
void applyReverb(const std::vector<float>& send, StereoBus& out, double wet, ReverbChannels channels);
