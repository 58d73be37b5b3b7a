#include "fx/feedback_blur.h"

#include "fx/quads.h"

namespace {

// One quad over the corner (`side` pixels square) reading the bound texture shifted by (u, v) in
// texture coordinates; the repeat wrap makes shifts past an edge pick up the opposite edge.
void tapQuad(float u, float v, float side) {
  glTexCoord2f(u, v);
  glVertex2f(0, 0);
  glTexCoord2f(u, v + 1);
  glVertex2f(0, side);
  glTexCoord2f(u + 1, v + 1);
  glVertex2f(side, side);
  glTexCoord2f(u + 1, v);
  glVertex2f(side, 0);
}

}  // namespace

void feedbackBlur(GLuint source, GLuint target, int32_t passes) {
  // No clear: each pass's first tap replaces the whole corner, and nothing else is drawn.
  const int corner = cornerSize();
  const float side = float(corner);
  cornerViewport();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, corner, 0, corner, -2, 2);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();

  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, source);
  glEnable(GL_TEXTURE_2D);
  // The targets carry no alpha, so this alpha is every tap's weight.
  glColor4f(1, 1, 1, 0.25f);

  // The tap distance in texels of the 640x480 frame's corner, widening each pass. A larger frame's
  // corner has more texels: the taps reach as many of them more, so the glow spreads as far.
  float spread = 0.8f;
  for (int32_t pass = 0; pass < passes; ++pass) {
    const float texels = float(spread * frameScale());
    const float d = float(double(texels) / corner);
    // The first tap replaces the area, so nothing of the previous pass's screen survives.
    glBlendFunc(GL_SRC_ALPHA, GL_ZERO);
    glBegin(GL_QUADS);
    tapQuad(d, d, side);
    glEnd();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBegin(GL_QUADS);
    tapQuad(-d, d, side);
    tapQuad(-d, -d, side);
    tapQuad(d, -d, side);
    glEnd();
    // Left bound, so the next pass reads this one's result. The target is already an RGB texture
    // of the corner's size: replacing its texels is cheaper than specifying it anew every pass.
    copyCorner(target);
    spread = float(spread * 1.5);
  }

  frameViewport();
  glDisable(GL_BLEND);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}
