#include "tools/showdata/instruments.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double SR = SAMPLE_RATE;

// Per-sample multiplier of an exponential decay with time constant tau seconds.
double decayPerSample(double tau) { return std::exp(-1.0 / (tau * SR)); }

// Samples of a note that fit into the track.
long renderEnd(const StereoBus& bus, long start, long total) {
  return std::min<long>(start + total, long(bus.frames()));
}

uint32_t seedFor(long start, uint32_t tag) { return uint32_t(start) * 2246822519u ^ tag; }

// Filter coefficients change slowly; recomputing them every few samples keeps tan() off the hot path.
constexpr long CONTROL_STEP = 16;

std::vector<float> makeKick() {
  const long length = long(0.42 * SR);
  std::vector<float> wave(size_t(length), 0.0f);
  // In cycles. Starting an eighth of a cycle before the crest makes the first lobe long and
  // strong, so the low end itself starts on the sample instead of a millisecond later.
  double phase = -0.125;
  double sweep = 130.0;
  const double sweepDecay = decayPerSample(0.026);
  double amp = 1.0;
  const double ampDecay = decayPerSample(0.16);
  double clickAmp = 1.0;
  const double clickDecay = decayPerSample(0.0018);
  const long hold = long(0.012 * SR);
  const long release = long(0.02 * SR);
  Noise noise(7);
  Svf click;
  click.set(3200.0, 0.8);
  const double drive = 1.5;
  const double norm = 1.0 / std::tanh(drive);
  for (long i = 0; i < length; ++i) {
    double env = amp;
    if (i < 3) env *= double(i + 1) / 3.0;
    if (i > length - release) env *= double(length - i) / double(release);
    if (i >= hold) amp *= ampDecay;
    const double body = std::cos(2.0 * SYNTH_PI * phase);
    phase += (46.0 + sweep) / SR;
    sweep *= sweepDecay;
    click.process(noise.white());
    const double tick = click.band * clickAmp * (i < 3 ? double(i + 1) / 3.0 : 1.0);
    clickAmp *= clickDecay;
    wave[size_t(i)] = float(std::tanh(drive * body * env) * norm + 0.35 * tick);
  }
  return wave;
}

}  // namespace

void playKick(MixBuses& mix, long start, double gain) {
  static const std::vector<float> wave = makeKick();
  const long end = renderEnd(mix.drums, start, long(wave.size()));
  for (long i = start; i < end; ++i) {
    const float y = float(gain * wave[size_t(i - start)]);
    mix.drums.left[size_t(i)] += y;
    mix.drums.right[size_t(i)] += y;
  }
}

void playClap(MixBuses& mix, long start, double gain) {
  const long end = renderEnd(mix.drums, start, long(0.45 * SR));
  Noise noise(seedFor(start, 0xc1a9u));
  Svf band;
  band.set(1250.0, 1.1);
  OnePoleHighPass high(500.0);
  // Three quick slaps and a short tail, the way several hands never clap at once.
  const long burst = long(0.008 * SR);
  const double burstDecay = decayPerSample(0.0035);
  const double tailDecay = decayPerSample(0.09);
  double burstAmp = 1.0, tailAmp = 0.7;
  const Pan pan(0.05);
  for (long i = start; i < end; ++i) {
    const long t = i - start;
    if (t < 3 * burst && t % burst == 0) burstAmp = 1.0;
    double env = burstAmp;
    burstAmp *= burstDecay;
    if (t >= 3 * burst) {
      env += tailAmp;
      tailAmp *= tailDecay;
    }
    band.process(noise.white());
    const double y = gain * 2.2 * high.process(band.band) * env;
    mix.drums.left[size_t(i)] += float(y * pan.left);
    mix.drums.right[size_t(i)] += float(y * pan.right);
    mix.reverbSend[size_t(i)] += float(0.35 * y);
  }
}

void playHat(MixBuses& mix, long start, double gain, bool open) {
  const long end = renderEnd(mix.drums, start, long((open ? 0.7 : 0.16) * SR));
  Noise noise(seedFor(start, open ? 0x0be7u : 0xc105u));
  Svf filter;
  filter.set(open ? 6500.0 : 8000.0, 0.9);
  const double decay = decayPerSample(open ? 0.17 : 0.026);
  double amp = 1.0;
  const Pan pan(open ? -0.25 : 0.3);
  for (long i = start; i < end; ++i) {
    filter.process(noise.white());
    const double y = gain * filter.high * amp;
    amp *= decay;
    mix.drums.left[size_t(i)] += float(y * pan.left);
    mix.drums.right[size_t(i)] += float(y * pan.right);
  }
}

void playSnare(MixBuses& mix, long start, double gain) {
  const long end = renderEnd(mix.drums, start, long(0.3 * SR));
  Noise noise(seedFor(start, 0x5a4eu));
  Svf band;
  band.set(2300.0, 0.9);
  OnePoleHighPass high(220.0);
  Oscillator tone;
  double toneAmp = 0.35, noiseAmp = 1.0;
  const double toneDecay = decayPerSample(0.035), noiseDecay = decayPerSample(0.075);
  for (long i = start; i < end; ++i) {
    band.process(noise.white());
    const double y = gain * high.process(band.band * 1.6 * noiseAmp + tone.sine(205.0 / SR) * toneAmp);
    toneAmp *= toneDecay;
    noiseAmp *= noiseDecay;
    mix.drums.left[size_t(i)] += float(y);
    mix.drums.right[size_t(i)] += float(y);
    mix.reverbSend[size_t(i)] += float(0.25 * y);
  }
}

void playCrash(MixBuses& mix, long start, double gain) {
  const long end = renderEnd(mix.drums, start, long(3.5 * SR));
  Noise noiseL(seedFor(start, 0xc4a1u)), noiseR(seedFor(start, 0xc4a2u));
  Svf filterL, filterR;
  filterL.set(4200.0, 0.7);
  filterR.set(4300.0, 0.7);
  double amp = 1.0;
  const double decay = decayPerSample(0.95);
  for (long i = start; i < end; ++i) {
    filterL.process(noiseL.white());
    filterR.process(noiseR.white());
    const double a = gain * amp;
    amp *= decay;
    mix.drums.left[size_t(i)] += float(a * filterL.high);
    mix.drums.right[size_t(i)] += float(a * filterR.high);
    mix.reverbSend[size_t(i)] += float(0.15 * a * (filterL.high + filterR.high));
  }
}

void playRiser(MixBuses& mix, long start, long end, double gain) {
  const long stop = std::min<long>(end, long(mix.drums.frames()));
  Noise noiseL(seedFor(start, 0x415eu)), noiseR(seedFor(start, 0x415fu));
  Svf filterL, filterR;
  const double span = double(end - start);
  for (long i = start; i < stop; ++i) {
    const double x = double(i - start) / span;
    if ((i - start) % CONTROL_STEP == 0) {
      const double cutoff = 300.0 * std::pow(9000.0 / 300.0, x);
      filterL.set(cutoff, 2.5);
      filterR.set(cutoff * 1.03, 2.5);
    }
    filterL.process(noiseL.white());
    filterR.process(noiseR.white());
    const double a = gain * x * x;
    mix.drums.left[size_t(i)] += float(a * filterL.band);
    mix.drums.right[size_t(i)] += float(a * filterR.band);
  }
}

void playSwell(MixBuses& mix, long start, long end, double gain) {
  const long stop = std::min<long>(end, long(mix.drums.frames()));
  Noise noiseL(seedFor(start, 0x5e11u)), noiseR(seedFor(start, 0x5e12u));
  Svf filterL, filterR;
  OnePoleHighPass highL(400.0), highR(400.0);
  const double span = double(end - start);
  for (long i = start; i < stop; ++i) {
    const double x = double(i - start) / span;
    if ((i - start) % CONTROL_STEP == 0) {
      const double cutoff = 700.0 * std::pow(6000.0 / 700.0, x);
      filterL.set(cutoff, 1.6);
      filterR.set(cutoff * 1.05, 1.6);
    }
    filterL.process(noiseL.white());
    filterR.process(noiseR.white());
    const double s = tableSine(0.5 * x);
    const double a = gain * s * s;
    const double l = a * highL.process(filterL.band), r = a * highR.process(filterR.band);
    mix.drums.left[size_t(i)] += float(l);
    mix.drums.right[size_t(i)] += float(r);
    mix.reverbSend[size_t(i)] += float(0.3 * (l + r));
  }
}

void playBass(MixBuses& mix, long start, long length, double note, double cutoff, double envAmount, double gain) {
  const long release = long(0.03 * SR);
  const long end = renderEnd(mix.music, start, length + release);
  const double inc = midiToHz(note) / SR;
  Oscillator saw, sub;
  Svf filter;
  double filterEnv = 1.0;
  const double filterDecay = decayPerSample(0.07);
  // A few milliseconds of attack: the bass sits between the kicks and should not click against them.
  const long attack = long(0.004 * SR);
  double sustain = 1.0;
  const double sustainDecay = decayPerSample(0.9);
  for (long i = start; i < end; ++i) {
    const long t = i - start;
    if (t % CONTROL_STEP == 0) filter.set(cutoff + envAmount * filterEnv, 1.4);
    double amp = sustain;
    if (t < attack) amp *= double(t) / double(attack);
    if (t >= length) amp *= double(length + release - t) / double(release);
    filterEnv *= filterDecay;
    sustain *= sustainDecay;
    filter.process(saw.saw(inc));
    const double y = gain * amp * (0.8 * filter.low + 0.55 * sub.sine(inc));
    mix.music.left[size_t(i)] += float(y);
    mix.music.right[size_t(i)] += float(y);
  }
}

void playPad(MixBuses& mix, long start, long length, const std::vector<double>& notes, double brightness,
             double gain) {
  const long release = long(0.9 * SR);
  const long end = renderEnd(mix.music, start, length + release);
  Noise noise(seedFor(start, 0x9adu));
  // Two detuned saws per note, one to each side, beat slowly against each other: a warm,
  // moving, wide voice.
  constexpr int PER_NOTE = 2;
  constexpr double detune[PER_NOTE] = {-0.08, 0.08};
  constexpr double pans[PER_NOTE] = {-0.7, 0.7};
  std::vector<Oscillator> osc;
  std::vector<double> inc, gl, gr;
  for (double note : notes) {
    for (int v = 0; v < PER_NOTE; ++v) {
      osc.emplace_back(noise.uniform());
      inc.push_back(midiToHz(note + detune[v]) / SR);
      const Pan p(pans[v]);
      gl.push_back(p.left);
      gr.push_back(p.right);
    }
  }
  const size_t voices = osc.size();
  Svf filterL, filterR;
  OnePoleHighPass highL(170.0), highR(170.0);
  const double lfoPhase = noise.uniform();
  const double attackDecay = decayPerSample(0.14);
  const double releaseDecay = decayPerSample(0.25);
  double attackRemaining = 1.0, releaseAmp = 1.0;
  for (long i = start; i < end; ++i) {
    const long t = i - start;
    if (t % CONTROL_STEP == 0) {
      const double lfo = tableSine(0.13 * double(t) / SR + lfoPhase);
      const double cutoff = brightness * (1.0 + 0.22 * lfo);
      filterL.set(cutoff, 0.8);
      filterR.set(cutoff, 0.8);
    }
    double amp = 1.0 - attackRemaining;
    attackRemaining *= attackDecay;
    if (t >= length) {
      amp *= releaseAmp * std::min(1.0, double(length + release - t) / (0.1 * SR));
      releaseAmp *= releaseDecay;
    }
    double l = 0.0, r = 0.0;
    for (size_t v = 0; v < voices; ++v) {
      const double s = osc[v].saw(inc[v]);
      l += s * gl[v];
      r += s * gr[v];
    }
    filterL.process(l);
    filterR.process(r);
    const double a = gain * amp;
    const double yl = a * highL.process(filterL.low);
    const double yr = a * highR.process(filterR.low);
    mix.music.left[size_t(i)] += float(yl);
    mix.music.right[size_t(i)] += float(yr);
    mix.reverbSend[size_t(i)] += float(0.3 * (yl + yr));
  }
}

void playPluck(MixBuses& mix, long start, long length, double note, double cutoff, double gain, double pan,
               double echo) {
  const long tail = long(0.15 * SR);
  const long end = renderEnd(mix.music, start, length + tail);
  const double inc = midiToHz(note) / SR;
  Oscillator saw, pulse(0.31);
  Svf filter;
  double filterEnv = 1.0;
  const double filterDecay = decayPerSample(0.045);
  double amp = 1.0;
  const double decay = decayPerSample(0.22);
  const double releaseDecay = decayPerSample(0.03);
  const long attack = long(0.002 * SR);
  const Pan p(pan);
  for (long i = start; i < end; ++i) {
    const long t = i - start;
    if (t % CONTROL_STEP == 0) filter.set(cutoff + 4200.0 * filterEnv, 1.8);
    filterEnv *= filterDecay;
    double env = amp;
    if (t < attack) env *= double(t) / double(attack);
    amp *= t < length ? decay : releaseDecay;
    filter.process(0.6 * saw.saw(inc) + 0.5 * pulse.pulse(inc, 0.3));
    const double y = gain * env * filter.low;
    mix.music.left[size_t(i)] += float(y * p.left);
    mix.music.right[size_t(i)] += float(y * p.right);
    mix.echoSend[size_t(i)] += float(echo * y);
    mix.reverbSend[size_t(i)] += float(0.2 * y);
  }
}

void playLead(MixBuses& mix, long start, long length, double note, double gain) {
  const long release = long(0.35 * SR);
  const long end = renderEnd(mix.music, start, length + release);
  const double baseInc = midiToHz(note) / SR;
  Oscillator sawL, sawR(0.37), sub(0.61);
  Svf filterL, filterR;
  double filterEnv = 1.0;
  const double filterDecay = decayPerSample(0.12);
  const long attack = long(0.012 * SR);
  const double decayToSustain = decayPerSample(0.2);
  const double releaseDecay = decayPerSample(0.08);
  double decaying = 1.0, releaseAmp = 1.0;
  const Pan left(-0.3), right(0.3);
  double vibrato = 1.0;
  for (long i = start; i < end; ++i) {
    const long t = i - start;
    if (t % CONTROL_STEP == 0) {
      const double seconds = double(t) / SR;
      // The vibrato comes in after the note has spoken, as a singer's would.
      const double depth = 0.18 * std::clamp((seconds - 0.18) / 0.3, 0.0, 1.0);
      vibrato = std::pow(2.0, depth * std::sin(2.0 * SYNTH_PI * 5.3 * seconds) / 12.0);
      const double cutoff = 1700.0 + 2400.0 * filterEnv;
      filterL.set(cutoff, 1.1);
      filterR.set(cutoff, 1.1);
    }
    filterEnv *= filterDecay;
    double env = 0.75 + 0.25 * decaying;
    decaying *= decayToSustain;
    if (t < attack) env *= double(t) / double(attack);
    if (t >= length) {
      env *= releaseAmp;
      releaseAmp *= releaseDecay;
    }
    const double inc = baseInc * vibrato;
    const double s = 0.3 * sub.pulse(inc * 0.5, 0.5);
    filterL.process(sawL.saw(inc * 0.996) + s);
    filterR.process(sawR.saw(inc * 1.004) + s);
    const double a = gain * env;
    const double l = a * filterL.low, r = a * filterR.low;
    mix.music.left[size_t(i)] += float(l * left.left + r * right.left);
    mix.music.right[size_t(i)] += float(l * left.right + r * right.right);
    mix.echoSend[size_t(i)] += float(0.22 * (l + r));
    mix.reverbSend[size_t(i)] += float(0.3 * (l + r));
  }
}

void playBell(MixBuses& mix, long start, double note, double gain, double pan) {
  const long total = long(3.0 * SR);
  const long end = renderEnd(mix.music, start, total);
  const double inc = midiToHz(note) / SR;
  double index = 1.0;
  const double indexDecay = decayPerSample(0.25);
  double amp = 1.0;
  const double decay = decayPerSample(1.0);
  const long attack = long(0.002 * SR);
  const Pan p(pan);
  double phaseC = 0.0, phaseM = 0.0;
  for (long i = start; i < end; ++i) {
    const long t = i - start;
    double env = amp * std::min(1.0, double(total - t) / (0.3 * SR));
    if (t < attack) env *= double(t) / double(attack);
    amp *= decay;
    const double mod = tableSine(phaseM) * (2.6 * index + 0.35);
    const double y = gain * env * tableSine(phaseC + mod / (2.0 * SYNTH_PI));
    index *= indexDecay;
    phaseC += inc;
    phaseM += inc * 3.5;
    if (phaseC >= 1.0) phaseC -= 1.0;
    if (phaseM >= 1.0) phaseM -= 1.0;
    mix.music.left[size_t(i)] += float(y * p.left);
    mix.music.right[size_t(i)] += float(y * p.right);
    mix.echoSend[size_t(i)] += float(0.25 * y);
    mix.reverbSend[size_t(i)] += float(0.5 * y);
  }
}
