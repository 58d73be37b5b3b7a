#include "tests/support/gl_fixture.h"

#include <string>

#include "platform/headless_gl.h"

void GlTest::SetUpTestSuite() {
  std::string error;
  ASSERT_TRUE(platform::openHeadlessGl(640, 480, &error)) << error;
}

// Every test starts from the same state, whatever the one before it left behind. (Nothing under
// test touches the buffers read and drawn, the pack alignment or the clear depth.)
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
  glClearColor(0, 0, 0, 0.5f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// RGBA rows are whole words: the pack alignment cannot shift them.
std::vector<uint8_t> GlTest::readPixels(int x, int y, int w, int h) {
  std::vector<uint8_t> out(size_t(w) * size_t(h) * 4);
  glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
  return out;
}

std::vector<uint8_t> GlTest::readTexture(GLuint name, int level) {
  GLint w = 0, h = 0;
  glBindTexture(GL_TEXTURE_2D, name);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
  std::vector<uint8_t> out(size_t(w) * size_t(h) * 4);
  glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
  return out;
}

GLuint GlTest::makeTexture(int w, int h, const std::vector<uint8_t>& bytes, GLenum filter, GLenum format) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GLint(filter));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(filter));
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), w, h, 0, format, GL_UNSIGNED_BYTE, bytes.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  return name;
}
