#include "tools/showdata/soundtrack.h"

#include "tools/showdata/instruments.h"
#include "tools/showdata/synth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <thread>

namespace {

// Beats are counted from 0 here (the show counts them from 1). Bars start on beats 3, 7, 11, …
// so the downbeats fall on the show's accented beats 4, 8, 12, …; beats 0–2 are a pick-up.
constexpr int FIRST_BAR = 3;
constexpr int GROOVE_A = 35;
constexpr int GROOVE_B = 67;
constexpr int GROOVE_C = 99;
constexpr int GROOVE_D = 131;
constexpr int BREAKDOWN = 159;  // 73.4 s, just ahead of the first spiral flash
constexpr int DROP = 191;       // 88.15 s
constexpr int WIND_DOWN = 295;  // 136.15 s
constexpr int OUTRO = 307;      // 141.7 s
constexpr int LAST_KICK = 334;  // the show's beat 335 at 154.15 s
constexpr int END_BEAT = 343;   // a few beats past the end, so the last notes can be planned

// The kick and the bass are the floor of the mix; the rest of the band sits on them.
constexpr double KICK_LEVEL = 0.62;
constexpr double BASS_LEVEL = 0.62;

enum class Section { Intro, GrooveA, GrooveB, GrooveC, GrooveD, Breakdown, Drop, WindDown, Outro };

Section sectionAt(int k) {
  if (k < GROOVE_A) return Section::Intro;
  if (k < GROOVE_B) return Section::GrooveA;
  if (k < GROOVE_C) return Section::GrooveB;
  if (k < GROOVE_D) return Section::GrooveC;
  if (k < BREAKDOWN) return Section::GrooveD;
  if (k < DROP) return Section::Breakdown;
  if (k < WIND_DOWN) return Section::Drop;
  if (k < OUTRO) return Section::WindDown;
  return Section::Outro;
}

struct Chord {
  int root;                  // bass note
  std::array<int, 4> tones;  // pad voicing, low to high
  bool operator==(const Chord& o) const { return root == o.root && tones == o.tones; }
};

// A minor: the i–VI–III–VII loop and its answer iv–i–VI–V, which turns back home through E7.
const Chord AM9{33, {60, 64, 67, 71}};
const Chord FMAJ9{29, {57, 60, 64, 67}};
const Chord CADD9{36, {55, 60, 62, 64}};
const Chord G6{31, {55, 59, 62, 64}};
const Chord DM9{38, {57, 60, 64, 65}};
const Chord EM7{28, {59, 62, 64, 67}};
const Chord E7{28, {56, 59, 62, 64}};

const std::array<Chord, 4> PROGRESSION_A = {AM9, FMAJ9, CADD9, G6};
const std::array<Chord, 4> PROGRESSION_B = {DM9, AM9, FMAJ9, E7};

Chord chordAt(int k) {
  if (k < FIRST_BAR) return AM9;
  const int barInLoop = ((k - FIRST_BAR) / 4) % 4;
  switch (sectionAt(k)) {
    case Section::Intro:
    case Section::GrooveA:
    case Section::GrooveC:
      return PROGRESSION_A[size_t(barInLoop)];
    case Section::GrooveB:
      return PROGRESSION_B[size_t(barInLoop)];
    case Section::GrooveD:
      // The last bar hangs on the dominant, which the breakdown side-steps to F.
      return k >= BREAKDOWN - 4 ? E7 : PROGRESSION_B[size_t(barInLoop)];
    case Section::Breakdown: {
      const std::array<Chord, 4> slow = {FMAJ9, G6, EM7, E7};
      return slow[size_t((k - BREAKDOWN) / 8)];
    }
    case Section::Drop: {
      if (k >= WIND_DOWN - 8) return k >= WIND_DOWN - 4 ? E7 : FMAJ9;
      const int phrase = (k - DROP) / 16;
      return phrase % 2 == 0 ? PROGRESSION_A[size_t(barInLoop)] : PROGRESSION_B[size_t(barInLoop)];
    }
    case Section::WindDown: {
      const std::array<Chord, 3> closing = {AM9, FMAJ9, G6};
      return closing[size_t((k - WIND_DOWN) / 4)];
    }
    case Section::Outro:
      return (k >= OUTRO + 8 && k < OUTRO + 16) ? FMAJ9 : AM9;
  }
  return AM9;
}

double seconds(int k) { return beatSeconds(k); }

double kickGain(int k) {
  const double t = seconds(k);
  if (t < 6.0) return 0.35 + 0.65 * t / 6.0;
  switch (sectionAt(k)) {
    case Section::Breakdown:
      return k < DROP - 8 ? 0.6 : 0.65 + 0.3 * double(k - (DROP - 8)) / 7.0;
    case Section::WindDown:
      return 0.9;
    case Section::Outro:
      return 0.85 - 0.65 * double(k - OUTRO) / double(LAST_KICK - OUTRO);
    default:
      return 1.0;
  }
}

// How deep the tonal parts duck under each kick.
double duckDepth(int k) {
  switch (sectionAt(k)) {
    case Section::Drop:
      return 0.5;
    case Section::GrooveA:
    case Section::GrooveB:
    case Section::GrooveC:
    case Section::GrooveD:
      return 0.55;
    case Section::Breakdown:
      return 0.45;
    default:
      return 0.45;
  }
}

// Fade of the tonal parts: in over the first 6 s, out from 142 s to nothing by 155.5 s.
double musicFade(double t) {
  if (t < 6.0) {
    const double s = std::sin(0.5 * SYNTH_PI * t / 6.0);
    return s * s;
  }
  if (t < 142.0) return 1.0;
  if (t >= 155.5) return 0.0;
  const double c = std::cos(0.5 * SYNTH_PI * (t - 142.0) / 13.5);
  return c * c;
}

// ---------------------------------------------------------------------------------------------
// Drums

void arrangeDrums(MixBuses& mix) {
  for (int k = 0; k <= LAST_KICK; ++k) playKick(mix, beatSample(k), KICK_LEVEL * kickGain(k));

  for (int k = 0; k < WIND_DOWN; ++k) {
    const Section s = sectionAt(k);
    const bool backbeat = (k - FIRST_BAR) % 4 == 1 || (k - FIRST_BAR) % 4 == 3;
    const bool groove = s == Section::GrooveA || s == Section::GrooveB || s == Section::GrooveC ||
                        s == Section::GrooveD || s == Section::Drop;
    if (groove && backbeat) playClap(mix, beatSample(k), s == Section::Drop ? 0.4 : 0.34);

    // Hats: off-beat eighths from the second half of the intro, sixteenths and open hats later.
    if (s == Section::Intro && k >= 19) playHat(mix, beatSample(k + 0.5), 0.12, false);
    if (s == Section::GrooveA || s == Section::GrooveB) playHat(mix, beatSample(k + 0.5), 0.15, false);
    if (s == Section::GrooveB || s == Section::GrooveC || s == Section::GrooveD || s == Section::Drop) {
      playHat(mix, beatSample(k + 0.25), 0.05, false);
      playHat(mix, beatSample(k + 0.75), 0.06, false);
    }
    if (s == Section::GrooveC || s == Section::GrooveD) {
      playHat(mix, beatSample(k + 0.5), 0.13, backbeat);
    }
    if (s == Section::Drop) playHat(mix, beatSample(k + 0.5), 0.14, true);
  }
  for (int k = WIND_DOWN; k < WIND_DOWN + 8; ++k) {
    playHat(mix, beatSample(k + 0.5), 0.13 * (1.0 - double(k - WIND_DOWN) / 9.0), false);
  }

  // The groove's last bar rolls into the breakdown.
  for (double b : {BREAKDOWN - 1.25, BREAKDOWN - 0.75, BREAKDOWN - 0.5, BREAKDOWN - 0.25}) {
    playClap(mix, beatSample(b), 0.3);
  }

  playCrash(mix, beatSample(GROOVE_A), 0.22);
  playCrash(mix, beatSample(BREAKDOWN), 0.2);
  playCrash(mix, beatSample(DROP), 0.24);
  playCrash(mix, beatSample(DROP + 64), 0.22);
  playCrash(mix, beatSample(WIND_DOWN), 0.25);

  // Breakdown build: a snare roll tightening from eighths to sixteenths under a riser.
  playRiser(mix, beatSample(DROP - 8), beatSample(DROP), 0.3);
  for (int step = 0; step < 8; ++step) {
    const double b = DROP - 8 + step * 0.5;
    playSnare(mix, beatSample(b), 0.08 + 0.06 * step / 8.0);
  }
  for (int step = 0; step < 16; ++step) {
    const double b = DROP - 4 + step * 0.25;
    playSnare(mix, beatSample(b), 0.14 + 0.12 * step / 16.0);
  }
}

// ---------------------------------------------------------------------------------------------
// Bass

struct Step {
  int sixteenth;  // position in the bar, 0–15; never on a beat, which belongs to the kick
  int interval;   // semitones above the chord's root
  double length;  // in sixteenths
};

const std::array<Step, 4> BASS_INTRO = {{{2, 0, 1.5}, {6, 0, 1.5}, {10, 0, 1.5}, {14, 0, 1.5}}};
const std::array<Step, 6> BASS_GROOVE = {
    {{2, 0, 1.5}, {6, 0, 1.5}, {7, 12, 0.8}, {10, 0, 1.5}, {14, 0, 1.5}, {15, 12, 0.8}}};
const std::array<Step, 12> BASS_DROP = {{{1, 0, 0.8},
                                         {2, 0, 1.4},
                                         {3, 12, 0.8},
                                         {5, 0, 0.8},
                                         {6, 0, 1.4},
                                         {7, 12, 0.8},
                                         {9, 0, 0.8},
                                         {10, 0, 1.4},
                                         {11, 12, 0.8},
                                         {13, 0, 0.8},
                                         {14, 0, 1.4},
                                         {15, 7, 0.8}}};

template <size_t N>
void playBassBar(MixBuses& mix, int barStart, const std::array<Step, N>& pattern, double cutoff, double envAmount,
                 double gain) {
  for (const Step& step : pattern) {
    const double beat = barStart + step.sixteenth * 0.25;
    const Chord chord = chordAt(int(beat));
    const long start = beatSample(beat);
    const long length = beatSample(beat + step.length * 0.25) - start;
    playBass(mix, start, length, chord.root + step.interval, cutoff, envAmount, BASS_LEVEL * gain);
  }
}

void arrangeBass(MixBuses& mix) {
  for (int bar = 19; bar < OUTRO; bar += 4) {
    const Section s = sectionAt(bar);
    if (s == Section::Breakdown) continue;
    if (s == Section::Intro) {
      const double open = double(bar - 19) / 16.0;
      playBassBar(mix, bar, BASS_INTRO, 180.0 + 200.0 * open, 500.0, 0.3);
    } else if (s == Section::Drop) {
      playBassBar(mix, bar, BASS_DROP, 450.0, 1600.0, 0.38);
    } else if (s == Section::WindDown) {
      const double close = double(bar - WIND_DOWN) / 12.0;
      playBassBar(mix, bar, BASS_INTRO, 320.0 - 180.0 * close, 600.0 * (1.0 - close), 0.3 * (1.0 - 0.5 * close));
    } else {
      // Groove D closes its filter towards the breakdown.
      const double cutoff = s == Section::GrooveD ? 380.0 - 150.0 * double(bar - GROOVE_D) / 28.0 : 380.0;
      playBassBar(mix, bar, BASS_GROOVE, cutoff, 1000.0, 0.32);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Pads: one held chord per change of harmony.

double padBrightness(int k) {
  switch (sectionAt(k)) {
    case Section::Intro:
      return 700.0 + 1500.0 * double(k) / double(GROOVE_A);
    case Section::Breakdown:
      return 1100.0 + 2200.0 * double(k - BREAKDOWN) / 32.0;
    case Section::Drop:
      return 2800.0;
    case Section::WindDown:
      return 1900.0;
    case Section::Outro:
      return 1300.0;
    default:
      return 2300.0;
  }
}

double padGain(int k) {
  switch (sectionAt(k)) {
    case Section::Breakdown:
      return 0.065;
    case Section::Drop:
      return 0.1;
    case Section::Outro:
      return 0.09;
    default:
      return 0.08;
  }
}

void arrangePads(MixBuses& mix) {
  int spanStart = 0;
  for (int k = 1; k <= END_BEAT; ++k) {
    // A new chord, or a new section, strikes the pad again.
    if (k < END_BEAT && chordAt(k) == chordAt(spanStart) && sectionAt(k) == sectionAt(spanStart)) continue;
    const Chord chord = chordAt(spanStart);
    const long start = beatSample(spanStart);
    const long length = beatSample(k) - start;
    const std::vector<double> notes(chord.tones.begin(), chord.tones.end());
    playPad(mix, start, length, notes, padBrightness(spanStart), padGain(spanStart));
    spanStart = k;
  }
}

// ---------------------------------------------------------------------------------------------
// Arpeggio: sixteenths over the chord tones, its figure changing every 32 beats.

using ArpFigure = std::array<int, 8>;  // indices into the chord tones; 4–7 are an octave higher
const std::array<ArpFigure, 4> ARP_FIGURES = {{
    {0, 1, 2, 3, 0, 1, 2, 3},  // rising
    {0, 1, 2, 3, 4, 3, 2, 1},  // rising and falling
    {0, 2, 1, 3, 2, 4, 3, 5},  // broken
    {0, 4, 2, 4, 1, 4, 3, 4},  // pedal on the octave
}};

int arpFigure(int k) {
  switch (sectionAt(k)) {
    case Section::GrooveA:
    case Section::GrooveD:
    case Section::WindDown:
    case Section::Outro:
      return 0;
    case Section::GrooveB:
    case Section::Breakdown:
      return 1;
    case Section::GrooveC:
      return 2;
    case Section::Drop: {
      const std::array<int, 4> order = {2, 3, 1, 3};
      return order[size_t(((k - DROP) / 32) % 4)];
    }
    default:
      return 0;
  }
}

void arrangeArpeggio(MixBuses& mix) {
  constexpr std::array<double, 4> accent = {1.0, 0.55, 0.8, 0.6};
  for (int k = GROOVE_A; k < END_BEAT; ++k) {
    const Section s = sectionAt(k);
    const ArpFigure& figure = ARP_FIGURES[size_t(arpFigure(k))];
    const Chord chord = chordAt(k);
    double cutoff = 1000.0, gain = 0.085;
    if (s == Section::Breakdown) {
      cutoff = 450.0 + 1300.0 * double(k - BREAKDOWN) / 32.0;
      gain = 0.06;
    } else if (s == Section::Drop) {
      cutoff = 1500.0;
      gain = 0.1;
    } else if (s == Section::WindDown) {
      cutoff = 1000.0 - 500.0 * double(k - WIND_DOWN) / 12.0;
    } else if (s == Section::Outro) {
      cutoff = 450.0;
      gain = 0.07;
    }
    for (int q = 0; q < 4; ++q) {
      // The outro thins out to eighth notes.
      if (s == Section::Outro && q % 2 == 1) continue;
      const int index = figure[size_t(((k - FIRST_BAR) * 4 + q) % 8 + 8) % 8];
      const int note = chord.tones[size_t(index % 4)] + 12 * (1 + index / 4);
      const double beat = k + q * 0.25;
      const long start = beatSample(beat);
      const long length = long(0.22 * SAMPLES_PER_BEAT);
      playPluck(mix, start, length, note, cutoff, gain * accent[size_t(q)], q % 2 == 0 ? -0.35 : 0.35, 0.4);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Lead: two four-bar phrases, one for each chord loop.

struct LeadNote {
  double beat;
  double length;
  int note;
};

const std::array<LeadNote, 17> PHRASE_A = {{{0, 1, 76},
                                            {1, 0.5, 79},
                                            {1.5, 1, 81},
                                            {2.5, 0.5, 79},
                                            {3, 1, 76},
                                            {4, 1.5, 72},
                                            {5.5, 0.5, 74},
                                            {6, 1.5, 76},
                                            {7.5, 0.5, 72},
                                            {8, 1, 79},
                                            {9, 0.5, 76},
                                            {9.5, 0.5, 74},
                                            {10, 1, 72},
                                            {11, 1, 74},
                                            {12, 1, 71},
                                            {13, 0.5, 74},
                                            {13.5, 2.5, 76}}};

const std::array<LeadNote, 18> PHRASE_B = {{{0, 0.5, 77},
                                            {0.5, 0.5, 76},
                                            {1, 1, 74},
                                            {2, 1.5, 81},
                                            {3.5, 0.5, 79},
                                            {4, 1.5, 76},
                                            {5.5, 0.5, 72},
                                            {6, 0.5, 76},
                                            {6.5, 0.5, 79},
                                            {7, 1, 81},
                                            {8, 1, 84},
                                            {9, 0.5, 81},
                                            {9.5, 0.5, 79},
                                            {10, 1, 77},
                                            {11, 1, 76},
                                            {12, 1.5, 80},
                                            {13.5, 0.5, 83},
                                            {14, 2, 76}}};

template <size_t N>
void playPhrase(MixBuses& mix, int startBeat, const std::array<LeadNote, N>& phrase, double gain, bool lowDouble) {
  for (const LeadNote& n : phrase) {
    const long start = beatSample(startBeat + n.beat);
    const long length = long(n.length * SAMPLES_PER_BEAT * 0.92);
    playLead(mix, start, length, n.note, gain);
    if (lowDouble) playLead(mix, start, length, n.note - 12, gain * 0.55);
  }
}

void arrangeLead(MixBuses& mix) {
  for (int start = GROOVE_C; start + 16 <= GROOVE_D; start += 16) playPhrase(mix, start, PHRASE_A, 0.085, false);
  for (int phrase = 0; phrase < 6; ++phrase) {
    const int start = DROP + phrase * 16;
    const bool low = phrase >= 4;
    if (phrase % 2 == 0) {
      playPhrase(mix, start, PHRASE_A, 0.12, low);
    } else {
      playPhrase(mix, start, PHRASE_B, 0.12, low);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Breakdown accents: the spiral brightens in seven flashes; each gets a whoosh that follows the
// flash's rise and fall and a bell chord on its peak. The two long flashes get the big ones.

struct Flash {
  double start, peak, end;
  bool big;
};

const std::array<Flash, 7> FLASHES = {{{74.0, 74.5, 75.0, false},
                                       {75.8, 76.3, 76.8, false},
                                       {77.6, 78.1, 78.6, false},
                                       {79.0, 80.0, 81.0, true},
                                       {81.6, 82.1, 82.6, false},
                                       {83.4, 83.9, 84.4, false},
                                       {85.2, 86.2, 87.2, true}}};

long secondsToSample(double t) { return std::lround(t * SAMPLE_RATE); }

void arrangeAccents(MixBuses& mix) {
  for (const Flash& f : FLASHES) {
    playSwell(mix, secondsToSample(f.start), secondsToSample(f.end), f.big ? 0.5 : 0.3);
    const Chord chord = chordAt(int(f.peak * 13.0 / 6.0));
    const long peak = secondsToSample(f.peak);
    const double gain = f.big ? 0.075 : 0.055;
    // A quick upward strum of the chord, an octave above the pads.
    for (size_t i = f.big ? 0 : 1; i < chord.tones.size(); ++i) {
      const long at = peak + long(i) * long(0.012 * SAMPLE_RATE);
      playBell(mix, at, chord.tones[i] + 12, gain, -0.5 + 0.33 * double(i));
    }
    if (f.big) {
      playBell(mix, peak, chord.tones[3] + 24, gain * 0.6, 0.2);
      playCrash(mix, peak, 0.12);
    }
  }
  // The last chord of the wind-down rings into the outro.
  for (size_t i = 0; i < AM9.tones.size(); ++i) {
    playBell(mix, beatSample(OUTRO) + long(i) * long(0.015 * SAMPLE_RATE), AM9.tones[i] + 12, 0.045,
             -0.4 + 0.27 * double(i));
  }
}

// ---------------------------------------------------------------------------------------------

// Ducks the tonal parts under every kick (a few milliseconds early, so the kick lands in a
// hole) and applies the show's fades.
void duckAndFade(StereoBus& music) {
  const long frames = long(music.frames());
  const long lead = long(0.004 * SAMPLE_RATE);
  const double recovery = std::exp(-1.0 / (0.09 * SAMPLE_RATE));
  double dip = 0.0;  // current depth of the duck, decaying after each kick
  int nextKick = 0;
  long nextKickSample = beatSample(0);
  for (long i = 0; i < frames; ++i) {
    if (nextKick <= LAST_KICK && i == nextKickSample) {
      dip = duckDepth(nextKick);
      ++nextKick;
      nextKickSample = nextKick <= LAST_KICK ? beatSample(nextKick) : frames;
    }
    double gain = 1.0 - dip;
    const long ahead = nextKickSample - i;
    if (nextKick <= LAST_KICK && ahead < lead) {
      gain = std::min(gain, 1.0 - duckDepth(nextKick) * (1.0 - double(ahead) / double(lead)));
    }
    dip *= recovery;
    const double t = double(i) / SAMPLE_RATE;
    if (t < 6.0 || t >= 142.0) gain *= musicFade(t);
    music.left[size_t(i)] = float(music.left[size_t(i)] * gain);
    music.right[size_t(i)] = float(music.right[size_t(i)] * gain);
  }
}

void addInto(std::vector<float>& to, const std::vector<float>& from) {
  for (size_t i = 0; i < to.size(); ++i) to[i] += from[i];
}

}  // namespace

std::vector<int16_t> renderSoundtrack() {
  // The band renders on both cores into buses of its own per thread; the buses are summed in a
  // fixed order afterwards, so the result does not depend on which thread finishes first.
  const size_t frames = size_t(std::lround(SOUNDTRACK_SECONDS * SAMPLE_RATE));
  MixBuses mix(frames), pads(frames, true);
  std::thread padThread([&pads] { arrangePads(pads); });
  arrangeDrums(mix);
  arrangeBass(mix);
  arrangeLead(mix);
  arrangeAccents(mix);
  arrangeArpeggio(mix);
  padThread.join();
  addInto(mix.reverbSend, pads.reverbSend);
  std::thread effectThread([&] {
    applyReverb(mix.reverbSend, pads.music, 0.45, ReverbChannels::Left);
    applyPingPongEcho(mix.echoSend, pads.music, beatSample(0.75), 0.38, 0.35, 0.5);
  });
  applyReverb(mix.reverbSend, mix.music, 0.45, ReverbChannels::Right);
  effectThread.join();
  addInto(mix.music.left, pads.music.left);
  addInto(mix.music.right, pads.music.right);
  duckAndFade(mix.music);

  float peak = 0.0f;
  for (size_t i = 0; i < frames; ++i) {
    mix.drums.left[i] += mix.music.left[i];
    mix.drums.right[i] += mix.music.right[i];
    peak = std::max({peak, std::fabs(mix.drums.left[i]), std::fabs(mix.drums.right[i])});
  }
  const double scale = peak > 0.0f ? std::pow(10.0, -3.0 / 20.0) * 32767.0 / peak : 0.0;
  std::vector<int16_t> pcm(frames * 2);
  for (size_t i = 0; i < frames; ++i) {
    pcm[2 * i] = int16_t(std::lround(std::clamp(mix.drums.left[i] * scale, -32767.0, 32767.0)));
    pcm[2 * i + 1] = int16_t(std::lround(std::clamp(mix.drums.right[i] * scale, -32767.0, 32767.0)));
  }
  return pcm;
}
