#include "fx/quads.h"

#include <cstdint>
#include <cstring>
#include <vector>

GLuint captureSlot = 0;
CornerCopy cornerCopy = CornerCopy::Unchosen;

namespace {
// The wide quads use this rounded width factor rather than 4/3; at half-height 1.0 it leaves
// the quad a hair narrower than the 4:3 view, which nobody sees.
constexpr double WIDE_QUAD_FACTOR = 1.3333;
}  // namespace

void drawWideQuad(float h) {
  const float left = float(h * -WIDE_QUAD_FACTOR);
  const float right = float(h * WIDE_QUAD_FACTOR);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0); glVertex2f(left, -h);
  glTexCoord2f(0, 1); glVertex2f(left, h);
  glTexCoord2f(1, 1); glVertex2f(right, h);
  glTexCoord2f(1, 0); glVertex2f(right, -h);
  glEnd();
}

void drawWideQuadFlipped(float h) {
  const float left = float(h * -WIDE_QUAD_FACTOR);
  const float right = float(h * WIDE_QUAD_FACTOR);
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

void frameViewport() {
  glViewport(frameOrigin().x, frameOrigin().y, frameSize().width, frameSize().height);
}

void cornerViewport() { glViewport(frameOrigin().x, frameOrigin().y, cornerSize(), cornerSize()); }

void beginCapture(GLuint texture) {
  cornerViewport();
  captureSlot = texture;
}

void copyCorner(GLuint texture) {
  if (cornerCopy == CornerCopy::Unchosen) {
    // Mesa's software rasterisers copy into a texture with a draw of their own: the driver waits
    // for the picture before the copy and again before the texture can be read. Read back, the
    // pixels are one wait away, and uploading them is a plain memory copy. A GPU keeps its copy.
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const bool software = renderer && (std::strstr(renderer, "llvmpipe") || std::strstr(renderer, "softpipe"));
    cornerCopy = software ? CornerCopy::ReadAndUpload : CornerCopy::Copy;
  }
  const int side = cornerSize();
  glBindTexture(GL_TEXTURE_2D, texture);
  if (cornerCopy == CornerCopy::Copy) {
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, frameOrigin().x, frameOrigin().y, side, side);
    return;
  }
  // BGRA is the order the rasteriser keeps its pixels in: no conversion either way. Rows of four
  // bytes a pixel read and unpack alike whatever the alignment. Sized on the first copy: the
  // corner never changes after start-up.
  static std::vector<uint8_t> staging;
  staging.resize(size_t(side) * size_t(side) * 4);
  glReadPixels(frameOrigin().x, frameOrigin().y, side, side, GL_BGRA_EXT, GL_UNSIGNED_BYTE, staging.data());
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, side, side, GL_BGRA_EXT, GL_UNSIGNED_BYTE, staging.data());
}

void endCapture() {
  copyCorner(captureSlot);
  // The whole frame, not whatever was set before the capture.
  frameViewport();
}
