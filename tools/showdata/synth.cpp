#include "tools/showdata/synth.h"

#include <algorithm>
#include <array>

double midiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

const std::vector<double> sineTable = [] {
  std::vector<double> t(SINE_TABLE_SIZE + 1);
  for (int i = 0; i <= SINE_TABLE_SIZE; ++i) t[size_t(i)] = std::sin(2.0 * SYNTH_PI * i / SINE_TABLE_SIZE);
  return t;
}();

void Svf::set(double cutoffHz, double q) {
  if (cutoffHz > SAMPLE_RATE * 0.45) cutoffHz = SAMPLE_RATE * 0.45;
  if (cutoffHz < 10.0) cutoffHz = 10.0;
  const double g = std::tan(SYNTH_PI * cutoffHz / SAMPLE_RATE);
  k = 1.0 / q;
  a1 = 1.0 / (1.0 + g * (g + k));
  a2 = g * a1;
  a3 = g * a2;
}

void applyPingPongEcho(const std::vector<float>& send, StereoBus& out, long delaySamples, double feedback,
                       double damping, double wet) {
  // Two taps cross-fed: left repeats arrive first, the right ones one delay later.
  std::vector<float> lineL(size_t(delaySamples), 0.0f), lineR(size_t(delaySamples), 0.0f);
  double dampL = 0.0, dampR = 0.0;
  size_t pos = 0;
  const size_t n = send.size();
  for (size_t i = 0; i < n; ++i) {
    const double outL = lineL[pos];
    const double outR = lineR[pos];
    dampL += damping * (outR - dampL);
    dampR += damping * (outL - dampR);
    lineL[pos] = float(send[i] + feedback * dampL);
    lineR[pos] = float(feedback * dampR);
    out.left[i] += float(wet * outL);
    out.right[i] += float(wet * outR);
    if (++pos == size_t(delaySamples)) pos = 0;
  }
}

namespace {

class Comb {
 public:
  explicit Comb(int length) : line(size_t(length), 0.0f) {}
  double process(double x, double feedback, double damp) {
    const double y = line[pos];
    store = y * (1.0 - damp) + store * damp;
    line[pos] = float(x + store * feedback);
    if (++pos == line.size()) pos = 0;
    return y;
  }

 private:
  std::vector<float> line;
  size_t pos = 0;
  double store = 0.0;
};

class AllPass {
 public:
  explicit AllPass(int length) : line(size_t(length), 0.0f) {}
  double process(double x) {
    const double buffered = line[pos];
    line[pos] = float(x + buffered * 0.5);
    if (++pos == line.size()) pos = 0;
    return buffered - x;
  }

 private:
  std::vector<float> line;
  size_t pos = 0;
};

}  // namespace

namespace {

void reverbChannel(const std::vector<float>& send, std::vector<float>& out, double wet, int spread) {
  // Mutually prime comb lengths (about 25 to 37 ms), offset a little between the channels,
  // give a smooth, wide tail without metallic ringing.
  std::array<Comb, 4> combs = {Comb(1116 + spread), Comb(1277 + spread), Comb(1422 + spread), Comb(1617 + spread)};
  std::array<AllPass, 2> allPasses = {AllPass(556 + spread), AllPass(341 + spread)};
  constexpr double feedback = 0.84;
  constexpr double damp = 0.3;
  const size_t n = send.size();
  for (size_t i = 0; i < n; ++i) {
    const double x = send[i] * 0.25;
    double y = combs[0].process(x, feedback, damp) + combs[1].process(x, feedback, damp) +
               combs[2].process(x, feedback, damp) + combs[3].process(x, feedback, damp);
    y = allPasses[0].process(y);
    y = allPasses[1].process(y);
    out[i] += float(wet * y);
  }
}

}  // namespace

void applyReverb(const std::vector<float>& send, StereoBus& out, double wet, ReverbChannels channels) {
  if (channels != ReverbChannels::Right) reverbChannel(send, out.left, wet, 0);
  if (channels != ReverbChannels::Left) reverbChannel(send, out.right, wet, 23);
}
