// The window, its context and its events on real SDL video drivers. Each test runs in a child
// process of its own, since a process starts SDL's video side only once.
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/main_loop.h"
#include "app/window.h"
#include "platform/clock.h"
#include "tests/support/xvfb.h"

namespace {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// Ends the child with 0 when every check in it passed.
[[noreturn]] void finishChild() { std::_Exit(::testing::Test::HasFailure() ? 1 : 0); }

void openWithoutADisplay() {
  unsetenv("DISPLAY");
  unsetenv("SDL_VIDEODRIVER");
  EXPECT_FALSE(openWindow("Kaikuranta", 640, 480, 32, true));
  finishChild();
}

TEST_F(WindowTest, ADriverThatShowsNothingIsRefusedUnlessAskedFor) {
  EXPECT_EXIT(openWithoutADisplay(), ::testing::ExitedWithCode(0), "offscreen[^\n]*\n.*ERROR: Failed To Register The Window Class\\.");
}

void openOnTheDummyDriver() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  EXPECT_FALSE(openWindow("Kaikuranta", 640, 480, 32, false));
  EXPECT_EQ(hWnd, nullptr);
  finishChild();
}

TEST_F(WindowTest, AWindowThatCannotBeCreatedIsReported) {
  EXPECT_EXIT(openOnTheDummyDriver(), ::testing::ExitedWithCode(0), "ERROR: Window Creation Error\\.");
}

void askForFullscreenOnTheDummyDriver() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  EXPECT_FALSE(openWindow("Kaikuranta", 640, 480, 32, true));
  finishChild();
}

TEST_F(WindowTest, ARefusedModeAsksAndNoClosesTheProgram) {
  // The dummy display has no 640x480 mode; with no box to show, the answer is No.
  EXPECT_EXIT(askForFullscreenOnTheDummyDriver(), ::testing::ExitedWithCode(0),
      "Tuli GL: The Requested Fullscreen Mode Is Not Supported By\nYour Video Card\\. Use Windowed "
      "Mode Instead\\?\nERROR: Program Will Now Close\\.");
}

SDL_Event keyEvent(Uint32 type, SDL_Keycode sym, Uint32 window) {
  SDL_Event e{};
  e.type = type;
  e.key.windowID = window;
  e.key.keysym.sym = sym;
  return e;
}

SDL_Event windowEvent(Uint8 what, Uint32 window) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = what;
  e.window.windowID = window;
  return e;
}

void pushEventsThroughTheQueue() {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  ASSERT_TRUE(openWindow("Kaikuranta", 640, 480, 32, false));
  // Whatever SDL says while the window is created and placed ends nothing.
  platform::Event ev;
  while (platform::pollEvent(&ev)) {
    EXPECT_NE(ev.kind, platform::EventKind::Close);
    EXPECT_NE(ev.kind, platform::EventKind::SysCommand);
  }
  const Uint32 id = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
  std::vector<SDL_Event> in = {
      keyEvent(SDL_KEYDOWN, SDLK_ESCAPE, id), keyEvent(SDL_KEYUP, SDLK_F1, id),
      keyEvent(SDL_KEYDOWN, SDLK_q, id),      keyEvent(SDL_KEYDOWN, SDLK_7, id),
      keyEvent(SDL_KEYDOWN, SDLK_F12, id),    keyEvent(SDL_KEYDOWN, SDLK_LEFT, id),
      keyEvent(SDL_KEYDOWN, SDLK_MENU, id),   // no code for it: dropped
      keyEvent(SDL_KEYDOWN, SDLK_ESCAPE, id + 77),  // a window already gone: dropped
      windowEvent(SDL_WINDOWEVENT_MOVED, id), windowEvent(SDL_WINDOWEVENT_EXPOSED, id),
      windowEvent(SDL_WINDOWEVENT_FOCUS_LOST, id), windowEvent(SDL_WINDOWEVENT_MAXIMIZED, id),
      windowEvent(SDL_WINDOWEVENT_MINIMIZED, id), windowEvent(SDL_WINDOWEVENT_CLOSE, id),
  };
  for (auto& e : in) SDL_PushEvent(&e);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);

  std::vector<Msg> out;
  Msg m;
  while (peekMessage(&m)) out.push_back(m);
  const std::vector<std::pair<uint32_t, uint32_t>> expected = {
      {WM_KEYDOWN, 27}, {WM_KEYUP, 112}, {WM_KEYDOWN, 'Q'},   {WM_KEYDOWN, '7'},
      {WM_KEYDOWN, 123}, {WM_KEYDOWN, 37}, {WM_SYSCOMMAND, 0}, {WM_SYSCOMMAND, 0},
      {WM_CLOSE, 0},    {WM_CLOSE, 0}};
  ASSERT_EQ(out.size(), expected.size());
  for (size_t i = 0; i < out.size(); ++i) {
    EXPECT_EQ(out[i].message, expected[i].first) << i;
    EXPECT_EQ(out[i].wParam, expected[i].second) << i;
  }
  closeWindow();
  finishChild();
}

TEST_F(WindowTest, EventsReachTheShowAsItsMessages) {
  EXPECT_EXIT(pushEventsThroughTheQueue(), ::testing::ExitedWithCode(0), "");
}

void toggleUnderXvfbChecks() {
  unsetenv("SDL_VIDEODRIVER");
  ASSERT_TRUE(openWindow("Kaikuranta", 640, 480, 32, true));
  EXPECT_TRUE(fullscreen);
  EXPECT_TRUE(platform::windowIsFullscreen(hWnd));

  // A texture made before the toggle is still there, with its texels, after it.
  GLuint tex = 0;
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  const unsigned char texel[4] = {10, 200, 30, 255};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  glEndList();

  closeWindow();
  ASSERT_TRUE(openWindow("Rovora", 640, 480, 32, false));
  EXPECT_FALSE(fullscreen);
  int w = 0, h = 0;
  platform::windowClientSize(hWnd, &w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_TRUE(glIsTexture(tex));
  EXPECT_TRUE(glIsList(list));
  unsigned char back[4] = {0, 0, 0, 0};
  glBindTexture(GL_TEXTURE_2D, tex);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back);
  EXPECT_EQ(back[1], 200);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 640);
  EXPECT_EQ(viewport[3], 480);
  closeWindow();
}

// The display lives only as long as the checks: it is gone before the child ends.
void toggleUnderXvfb() {
  {
    Xvfb x("640x480x24");
    EXPECT_TRUE(x.ok());
    if (x.ok()) toggleUnderXvfbChecks();
  }
  finishChild();
}

TEST_F(WindowTest, UnderXvfbTheShowOpensFullscreenTogglesAndKeepsItsTextures) {
  EXPECT_EXIT(toggleUnderXvfb(), ::testing::ExitedWithCode(0), "");
}

// The loop as the show runs it, with a frame that only clears: where the swap does not wait
// (Xvfb), the loop still makes about one pass per display refresh instead of spinning.
void runTheLoopUnderXvfbChecks() {
  unsetenv("SDL_VIDEODRIVER");
  ASSERT_TRUE(openWindow("Kaikuranta", 640, 480, 32, true));
  startPacing(60, platform::setSwapInterval(1));
  static int passes = 0;
  static uint64_t start = 0;
  LoopSteps steps = showLoopSteps();
  steps.drawFrame = [] {
    if (passes++ == 0) start = platform::monotonicMicros();
    glClear(GL_COLOR_BUFFER_BIT);
    if (platform::monotonicMicros() - start > 3000000) keys[VK_ESCAPE] = true;
    return true;
  };
  steps.updateTiming = [] {};
  EXPECT_EQ(runMainLoop(steps), 0);
  const double rate = (passes - 1) / 3.0;
  std::fprintf(stderr, "passes per second: %.1f\n", rate);
  EXPECT_GT(rate, 52.0);
  EXPECT_LT(rate, 66.0);
}

// The display lives only as long as the checks: it is gone before the child ends.
void runTheLoopUnderXvfb() {
  {
    Xvfb x("640x480x24");
    EXPECT_TRUE(x.ok());
    if (x.ok()) runTheLoopUnderXvfbChecks();
  }
  finishChild();
}

TEST_F(WindowTest, UnderXvfbTheLoopKeepsTheDisplayRate) {
  EXPECT_EXIT(runTheLoopUnderXvfb(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
