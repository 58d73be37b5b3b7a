#include "show/sprites.h"

#include "platform/gl.h"

#include <cmath>

#include "assets/textures.h"
#include "fx/quads.h"
#include "show/frame.h"
#include "timing/beat_timing.h"

namespace {

constexpr double FLASH_PI = 3.14159265;  // pi to eight places, as the flashes have always used it
// From this time on the figure stops reacting to the beat, so the closing seconds stay calm.
constexpr float FIGURE_BEAT_END = 148.0f;

struct FlashWindow {
  float start;
  float end;
  double amplitude;
  double cycles;  // half-periods of the sine per second
  float origin;   // where the sine is measured from
};

// Five one-second flashes and two two-second ones; the fourth is measured from 79.0, one second
// after it opens, so its first second is negative and shows as no flash at all.
constexpr FlashWindow FIRST_FLASHES[] = {
    {74.0f, 75.0f, 0.3, 1.0, 74.0f},
    {75.8f, 76.8f, 0.3, 1.0, 75.8f},
    {77.6f, 78.6f, 0.3, 1.0, 77.6f},
    {78.0f, 81.0f, 0.6, 0.5, 79.0f},
};
constexpr FlashWindow LATER_FLASHES[] = {
    {81.6f, 82.6f, 0.3, 1.0, 81.6f},
    {83.4f, 84.4f, 0.3, 1.0, 83.4f},
    {85.2f, 87.2f, 0.6, 0.5, 85.2f},
};

bool holds(const FlashWindow& w, float t) { return w.start < t && t <= w.end; }

double flashValue(const FlashWindow& w, float t) {
  return w.amplitude * std::sin(w.cycles * FLASH_PI * (double(t) - double(w.origin)));
}

// C remainder on purpose: the rule is stated for the sign of the dividend.
bool divisible(int64_t b, int64_t n) { return b % n == 0; }

}  // namespace

float spiralFlash(float t) {
  double value = 0.0;
  for (const FlashWindow& w : FIRST_FLASHES) {
    if (holds(w, t)) {
      value = flashValue(w, t);
      break;
    }
  }
  for (const FlashWindow& w : LATER_FLASHES) {
    if (holds(w, t)) value = flashValue(w, t);
  }
  return float(value);
}

void drawSpiral() {
  glPushMatrix();
  // Tied to pulsePhase as well as time, so the spiral lurches forward on every beat.
  const double angle = (double(pulsePhase) * 0.1 + double(sceneTime)) * 2.1 * 200.0;
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  // surface x (texel + alpha): the pattern darkens the surface, and a flash lifts it.
  glBlendFunc(GL_DST_COLOR, GL_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, textures[TEX_SPIRAL]);
  glRotatef(float(angle), 0.0f, 0.0f, 1.0f);
  glColor4f(1.0f, 1.0f, 1.0f, spiralFlash(sceneTime));
  // Reaches past the view's half-diagonal (about 1.667), so no corner shows at any angle.
  drawSquare(1.7f);
  glPopMatrix();
}

void drawFigure(float z) {
  const double t = sceneTime;
  const bool onBeat = sceneTime < FIGURE_BEAT_END;
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glPushMatrix();
  const double push = onBeat ? 0.02 * double(beatPulse) : 0.0;
  glTranslatef(0.5f, 0.0f, float(double(z) + push));
  glRotatef(float(std::sin(2.0 * t) * 2.83), 0.0f, 0.0f, 1.0f);
  glRotatef(float(std::cos(t) * 8.0), 0.0f, 1.0f, 0.0f);
  glRotatef(float(std::sin(1.3 * t) * 6.46), 1.0f, 0.0f, 0.0f);

  // The mask cuts the figure's outline out of whatever lies behind it.
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glEnable(GL_BLEND);
  glBlendFunc(GL_DST_COLOR, GL_ZERO);
  glBindTexture(GL_TEXTURE_2D, textures[TEX_FIGURE_MASK]);
  drawSquare(0.5f);

  // An extra quarter of the figure on the beat makes it throb; between beats, at alpha 0, it
  // would add nothing and is left out.
  const float glow = float(onBeat ? 0.25 * double(beatPulse) : 0.0);
  if (glow > 0.0f) {
    glColor4f(1.0f, 1.0f, 1.0f, glow);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, textures[TEX_FIGURE]);
    drawSquare(0.5f);
  }

  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glBlendFunc(GL_ONE, GL_ONE);
  glBindTexture(GL_TEXTURE_2D, textures[TEX_FIGURE]);
  drawSquare(0.5f);
  glPopMatrix();
}

void drawSideImage(int slot, float x) {
  // Added at alpha 0 (the accent has died away) the picture would change nothing.
  if (!(accentPulse > 0.0f)) return;
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glPushMatrix();
  // Half-way to the camera, tucked into the corner with its lowest part cut off by the edge.
  glTranslatef(x, -0.47f, 0.5f);
  glEnable(GL_BLEND);
  glColor4f(1.0f, 1.0f, 1.0f, accentPulse);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glBindTexture(GL_TEXTURE_2D, textures[slot]);
  drawSquare(0.1f);
  glPopMatrix();
}

int beatImageRight(int32_t b) {
  if (!divisible(b, 4)) return -1;
  if (b == 36) return TEX_SPECIAL_C;
  if (b == 64) return TEX_SPECIAL_A;
  if (b == 68) return TEX_SPECIAL_B;
  return divisible(b, 8) ? TEX_SIDE_B : TEX_SIDE_A;
}

int beatImageLeft(int32_t b) {
  const int64_t shifted = int64_t(b) - 2;  // cannot overflow, whatever the beat
  if (!divisible(shifted, 4)) return -1;
  return divisible(shifted, 8) ? TEX_SIDE_C : TEX_SIDE_D;
}

void drawBeatImages() {
  const int right = beatImageRight(beatIndex);
  if (right >= 0) drawSideImage(right, 0.57f);
  const int left = beatImageLeft(beatIndex);
  if (left >= 0) drawSideImage(left, -0.57f);
}
