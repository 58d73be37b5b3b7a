#include "show/frame.h"

#include "platform/gl.h"

#include <cmath>
#include <limits>

#include "assets/textures.h"
#include "fx/feedback_blur.h"
#include "fx/quads.h"
#include "fx/rippling_surface.h"
#include "show/messages.h"
#include "show/sprites.h"
#include "show/stars.h"
#include "timing/beat_timing.h"
#include "timing/demo_clock.h"

void (*frameLayerDone)(const char* layer) = nullptr;

namespace {

constexpr int GLOW_COPIES = 9;
constexpr double GLOW_STEP = 0.02;
constexpr int32_t BLUR_PASSES = 4;
// The fades rise and fall over six seconds: 1 / 6 (the same double as 1.0 / 6).
constexpr double FADE_PER_SECOND = 0.16666666666666666;

void layerDone(const char* layer) {
  if (frameLayerDone) frameLayerDone(layer);
}

}  // namespace

double glowAlpha(double t) {
  if (t < 6.0) return t * FADE_PER_SECOND * 0.5;
  if (t <= 142.0) return 0.5;
  // Goes negative after 148 s on purpose: GL clamps the colour, which keeps the end black.
  return (1.0 - (t - 142.0) * FADE_PER_SECOND) * 0.5;
}

double starFade(double t) {
  if (t <= 6.0) return 0.0;
  if (t < 12.0) return (t - 6.0) * FADE_PER_SECOND;
  if (t <= 136.0) return 1.0;
  if (t < 142.0) return 1.0 - (t - 136.0) * FADE_PER_SECOND;
  return 0.0;
}

double figureApproach(int32_t beat) {
  if (beat >= 20) return 0.0;
  // Beat 0 exists only before the first timing pass; the figure is not drawn then, and the
  // offset has no finite value, so say so instead of dividing by zero.
  if (beat == 0) return -std::numeric_limits<double>::infinity();
  return -40.0 / double(beat + beat) + 1.0;
}

bool skipFrame() {
  if (showClock.seconds() > SHOW_END_SECONDS) return false;
  sceneTime = float(showClock.seconds());
  return true;
}

bool drawFrame() {
  // The bubble's defaults for this frame, then a clean buffer for the message card. No layer
  // tests depth, so the depth buffer is never cleared.
  resetMessageState();
  glClear(GL_COLOR_BUFFER_BIT);
  glLoadIdentity();

  // The schedule runs on last frame's time: sceneTime is sampled only further down.
  runMessageSchedule();
  layerDone("message card");

  // A reading of its own: the end test must not depend on what sceneTime will hold.
  if (showClock.seconds() > SHOW_END_SECONDS) return false;

  // The card is captured by now; its corner of the buffer is thrown away.
  frameViewport();
  glClear(GL_COLOR_BUFFER_BIT);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);

  // The one time every layer below reads.
  sceneTime = float(showClock.seconds());

  // The scene plane: a wide quad of half-height 1 fills the screen here.
  glTranslatef(0.0f, 0.0f, -1.0f);

  const double t = sceneTime;
  const double approach = figureApproach(beatIndex);
  const double glow = glowAlpha(t);
  const double fade = starFade(t);
  // GL clamps a negative glow alpha to 0, and copies at alpha 0 add nothing. The surface, the
  // spiral and the blur reach the screen only through the copies, so they go with them.
  const bool glowShows = float(glow) > 0.0f;

  if (glowShows) {
    // Surface and spiral go into the small corner and only reach the screen through the glow.
    // The projection stays 4:3, so the view is squeezed into the square and stretched back later.
    beginCapture(textures[TEX_SURFACE_RT]);
    drawSurface();
    drawSpiral();
    endCapture();
    layerDone("surface + spiral");

    feedbackBlur(textures[TEX_SURFACE_RT], textures[TEX_BLUR_RT], BLUR_PASSES);
    layerDone("feedback blur");
  }

  glEnable(GL_BLEND);
  // The glow stack overhangs the screen, so the larger copies read as a soft halo. The copies
  // share one plane, where a depth test would pass every one of them: it stays off.
  glColor4f(1.0f, 1.0f, 1.0f, float(glow));
  glBindTexture(GL_TEXTURE_2D, textures[TEX_BLUR_RT]);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glClear(GL_COLOR_BUFFER_BIT);
  if (glowShows) {
    for (int i = 0; i < GLOW_COPIES; ++i) drawWideQuad(float(1.0 + GLOW_STEP * i));
  }
  layerDone("glow");

  drawStarField(float(fade));
  layerDone("stars");

  // Before the first timing pass there is no beat to approach from.
  if (beatIndex != 0) drawFigure(float(0.1 * std::sin(0.4 * t) + 0.3 + approach));
  layerDone("figure");

  drawBeatImages();
  layerDone("beat pictures");

  // The negated fade mirrors the card upright and sizes the bubble; 0 draws nothing.
  drawBubble(-0.5f, bubbleUpper ? 0.3f : -0.5f, -messageFade);
  layerDone("bubble");

  return true;
}
