#include "show/stars.h"

#include "platform/gl.h"

#include <cmath>

#include "assets/textures.h"
#include "fx/quads.h"
#include "show/frame.h"
#include "timing/beat_timing.h"

Star stars[STAR_COUNT];

namespace {

// The field switches to its larger, beat-pumped form here.
constexpr float LATE_FORM_START = 88.0f;

}  // namespace

int StarRandom::next() {
  // Our own copy of the classic generator: the platform's rand differs between C libraries, and
  // the field must be the same everywhere.
  state = state * 214013u + 2531011u;
  return int((state >> 16) & 0x7FFFu);
}

void seedStars() {
  // A fresh generator each time, so seeding again gives the same field.
  StarRandom random;
  for (Star& star : stars) {
    // The draw order decides which star gets which numbers.
    star.dirY = float(1.0 - 2.0 * (random.next() % 1000) * 0.001);
    star.dirX = float(1.0 - 2.0 * (random.next() % 1000) * 0.001);
    star.phase = float((random.next() % 1000) * 0.0001);
  }
}

void drawStarField(float fade) {
  const double t = sceneTime;
  const bool accented = beatIndex % 4 == 0;
  // One sway for the whole field, so it rocks as one.
  const float spin = float(std::sin(2.8 * t) * 20.0);
  for (const Star& star : stars) {
    // Every term is non-negative, so u stays in [0, 0.1); pulsePhase adds a surge per beat.
    const double u = std::fmod(double(star.phase) + 0.05 * t + 0.003 * double(pulsePhase), 0.1);
    const double x = u * double(star.dirX) * 8.0;
    const double y = u * double(star.dirY) * 5.0;
    double size = 0.25 * u;
    double alpha = u * double(fade) * 10.0;
    if (sceneTime >= LATE_FORM_START) {
      size += 0.1;
      alpha -= 0.1;
      if (accented) {
        size += 0.1 * double(accentPulse);
        alpha += 0.2 * double(accentPulse);
      } else {
        size += 0.05 * double(beatPulse);
        alpha += 0.1 * double(beatPulse);
      }
    } else if (accented) {
      size += 0.04 * double(accentPulse);
    }
    drawStar(float(x), float(y), float(size), spin, float(alpha));
  }
}

void drawStar(float x, float y, float size, float spin, float alpha) {
  // GL clamps the alpha to 0 and 1; at 0 the additive star adds nothing, so it is not drawn.
  const float glAlpha = float((0.07 * double(beatPulse) + 0.08) * double(alpha));
  if (!(glAlpha > 0.0f)) return;
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glPushMatrix();
  glColor4f(1.0f, 1.0f, 1.0f, glAlpha);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glBindTexture(GL_TEXTURE_2D, textures[TEX_STAR]);
  glRotatef(spin, 0.0f, 0.0f, 1.0f);
  // Half-way to the camera, where the whole travel fits the screen.
  glTranslatef(x, y, 0.5f);
  glRotatef(float(-70.0 * double(sceneTime)), 0.0f, 0.0f, 1.0f);
  glScalef(size, size, 1.0f);
  drawSquare(0.5f);
  glPopMatrix();
}
