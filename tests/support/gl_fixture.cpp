#include "tests/support/gl_fixture.h"

#include "platform/gl.h"

#include "platform/headless_gl.h"

void GlTest::SetUpTestSuite() {
  std::string error;
  ASSERT_TRUE(platform::openHeadlessGl(640, 480, &error)) << error;
}

// Every test starts from the same state, whatever the one before it left behind.
void GlTest::SetUp() {
  glViewport(0, 0, 640, 480);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  for (GLenum cap : {GL_BLEND, GL_DEPTH_TEST, GL_TEXTURE_2D, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T}) glDisable(cap);
  glBlendFunc(GL_ONE, GL_ZERO);
  glColor4f(1, 1, 1, 1);
  glBindTexture(GL_TEXTURE_2D, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glDrawBuffer(GL_BACK);
  glReadBuffer(GL_BACK);
  glClearColor(0, 0, 0, 0.5f);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void GlTest::showProjection() {
  glViewport(0, 0, 640, 480);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(90.0, 640.0 / 480.0, 0.10000000149011612, 10000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(0, 0, -1);
}

std::vector<uint8_t> GlTest::readPixels(int x, int y, int w, int h) {
  std::vector<uint8_t> out(size_t(w) * size_t(h) * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  return out;
}

std::vector<uint8_t> GlTest::readTexture(GLuint name, int level, int* w, int* h) {
  GLint previous = 0, tw = 0, th = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
  glBindTexture(GL_TEXTURE_2D, name);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &tw);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &th);
  std::vector<uint8_t> out(size_t(tw) * size_t(th) * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  if (!out.empty()) glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glBindTexture(GL_TEXTURE_2D, GLuint(previous));
  if (w) *w = tw;
  if (h) *h = th;
  return out;
}

GLuint GlTest::makeTexture(int w, int h, const std::vector<uint8_t>& rgb, GLenum filter) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GLint(filter));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(filter));
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  return name;
}
