#include "fx/quads.h"

GLuint captureSlot = 0;

namespace {
// The wide quads use this rounded width factor rather than 4/3; at half-height 1.0 it leaves
// the quad a hair narrower than the 4:3 view, which nobody sees.
constexpr double WIDE_FACTOR = 1.3333;
}  // namespace

void drawWideQuad(float h) {
  const float left = float(h * -WIDE_FACTOR);
  const float right = float(h * WIDE_FACTOR);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0); glVertex2f(left, -h);
  glTexCoord2f(0, 1); glVertex2f(left, h);
  glTexCoord2f(1, 1); glVertex2f(right, h);
  glTexCoord2f(1, 0); glVertex2f(right, -h);
  glEnd();
}

void drawWideQuadFlipped(float h) {
  const float left = float(h * -WIDE_FACTOR);
  const float right = float(h * WIDE_FACTOR);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1); glVertex2f(left, -h);
  glTexCoord2f(0, 0); glVertex2f(left, h);
  glTexCoord2f(1, 0); glVertex2f(right, h);
  glTexCoord2f(1, 1); glVertex2f(right, -h);
  glEnd();
}

void drawSquare(float h) {
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1); glVertex2f(-h, -h);
  glTexCoord2f(0, 0); glVertex2f(-h, h);
  glTexCoord2f(1, 0); glVertex2f(h, h);
  glTexCoord2f(1, 1); glVertex2f(h, -h);
  glEnd();
}

void beginCapture(GLuint texture) {
  glViewport(0, 0, 256, 256);
  captureSlot = texture;
}

void endCapture() {
  glBindTexture(GL_TEXTURE_2D, captureSlot);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, 256, 256);
  // The fixed window size, not whatever was set before the capture: the show always draws at 640x480.
  glViewport(0, 0, 640, 480);
}
