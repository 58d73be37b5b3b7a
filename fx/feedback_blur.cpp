#include "fx/feedback_blur.h"

#include "fx/quads.h"

namespace {

// One 256x256 quad reading the bound texture shifted by (u, v) in texture coordinates; the
// repeat wrap makes shifts past an edge pick up the opposite edge.
void tapQuad(float u, float v) {
  glTexCoord2f(u, v);
  glVertex2f(0, 0);
  glTexCoord2f(u, v + 1);
  glVertex2f(0, RENDER_TARGET_SIZE);
  glTexCoord2f(u + 1, v + 1);
  glVertex2f(RENDER_TARGET_SIZE, RENDER_TARGET_SIZE);
  glTexCoord2f(u + 1, v);
  glVertex2f(RENDER_TARGET_SIZE, 0);
}

}  // namespace

void feedbackBlur(GLuint source, GLuint target, int32_t passes) {
  // No clear: each pass's first tap replaces the whole corner, and nothing else is drawn.
  glViewport(0, 0, RENDER_TARGET_SIZE, RENDER_TARGET_SIZE);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, RENDER_TARGET_SIZE, 0, RENDER_TARGET_SIZE, -2, 2);
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

  float spread = 0.8f;  // tap distance in texels, widening each pass
  for (int32_t pass = 0; pass < passes; ++pass) {
    const float d = float(spread * 0.00390625);
    // The first tap replaces the area, so nothing of the previous pass's screen survives.
    glBlendFunc(GL_SRC_ALPHA, GL_ZERO);
    glBegin(GL_QUADS);
    tapQuad(d, d);
    glEnd();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBegin(GL_QUADS);
    tapQuad(-d, d);
    tapQuad(-d, -d);
    tapQuad(d, -d);
    glEnd();
    // Left bound, so the next pass reads this one's result. The target is already a 256x256 RGB
    // texture: replacing its texels is cheaper than specifying it anew every pass.
    copyCorner(target);
    spread = float(spread * 1.5);
  }

  glViewport(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
  glDisable(GL_BLEND);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}
