// The window, its context and its events on real SDL video drivers. Each check runs in a child
// process of its own, since a process starts SDL's video side only once.
#include "platform/gl.h"
#include <SDL.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

#include "app/program.h"
#include "app/window.h"
#include "platform/clock.h"
#include "tests/support/xvfb.h"

namespace {

// Runs `body` in a child, which passes when every check in it passed and it said `said`.
template <typename Body>
void expectInChild(Body body, const char* said = "") {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT({
    body();
    std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
  }, ::testing::ExitedWithCode(0), said);
}

TEST(WindowTest, DriversThatCannotShowTheShowAreReported) {
  const struct { const char* driver; bool fullscreen; const char* said; } cases[] = {
      {nullptr, true, "offscreen[^\n]*\nkaikuranta: ERROR: Failed To Register The Window Class\\."},
      {"dummy", false, "kaikuranta: ERROR: Window Creation Error\\."},
  };
  for (const auto& c : cases) {
    expectInChild([&] {
      unsetenv("DISPLAY");
      c.driver ? setenv("SDL_VIDEODRIVER", c.driver, 1) : unsetenv("SDL_VIDEODRIVER");
      EXPECT_FALSE(openWindow("Kaikuranta", 640, 480, 32, c.fullscreen));
      EXPECT_EQ(hWnd, nullptr);
    }, c.said);
  }
}

TEST(WindowTest, EventsReachTheShowAsItsMessages) {
  expectInChild([] {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_TRUE(openWindow("Kaikuranta", 640, 480, 32, false));
    // Whatever SDL says while the window is created and placed ends nothing.
    for (Msg m; peekMessage(&m);) EXPECT_TRUE(m.message != WM_CLOSE && m.message != WM_SYSCOMMAND);
    // Each event's type, key or window event, and window. A key pressed as its window closed is
    // still a press; the events of a window already gone are dropped.
    const Uint32 id = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    const struct { Uint32 type; int code; Uint32 window; } in[] = {
        {SDL_KEYDOWN, SDLK_ESCAPE, id}, {SDL_KEYUP, SDLK_F1, id}, {SDL_KEYDOWN, SDLK_q, id}, {SDL_KEYDOWN, SDLK_7, id},
        {SDL_KEYDOWN, SDLK_F12, id}, {SDL_KEYDOWN, SDLK_LEFT, id}, {SDL_KEYDOWN, SDLK_MENU, id},
        {SDL_KEYDOWN, SDLK_ESCAPE, id + 77}, {SDL_WINDOWEVENT, SDL_WINDOWEVENT_CLOSE, id + 77},
        {SDL_WINDOWEVENT, SDL_WINDOWEVENT_SHOWN, id}, {SDL_WINDOWEVENT, SDL_WINDOWEVENT_MOVED, id},
        {SDL_WINDOWEVENT, SDL_WINDOWEVENT_EXPOSED, id}, {SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST, id},
        {SDL_WINDOWEVENT, SDL_WINDOWEVENT_MAXIMIZED, id}, {SDL_WINDOWEVENT, SDL_WINDOWEVENT_MINIMIZED, id},
        {SDL_WINDOWEVENT, SDL_WINDOWEVENT_CLOSE, id}, {SDL_QUIT, 0, 0}};
    for (const auto& [type, code, window] : in) {
      SDL_Event e{};
      e.type = type;
      if (type == SDL_WINDOWEVENT) {
        e.window.event = Uint8(code);
        e.window.windowID = window;
      } else {
        e.key.keysym.sym = code;
        e.key.windowID = window;
      }
      SDL_PushEvent(&e);
    }
    // Keys the show does not read are dropped.
    const std::vector<std::pair<uint32_t, uint32_t>> expected = {
        {WM_KEYDOWN, VK_ESCAPE}, {WM_KEYUP, VK_F1}, {WM_KEYDOWN, VK_ESCAPE}, {WM_ACTIVATE, 0},
        {WM_SYSCOMMAND, 0},      {WM_SYSCOMMAND, 0}, {WM_CLOSE, 0},         {WM_CLOSE, 0}};
    std::vector<std::pair<uint32_t, uint32_t>> out;
    for (Msg m; peekMessage(&m);) out.emplace_back(m.message, m.wParam);
    EXPECT_EQ(out, expected);
    closeWindow();
  });
}

// Seconds the loop's thread and the X server were ready to run but kept off the cores by
// other work: what a busy machine takes from the loop's pace.
double secondsKeptWaiting() {
  const auto waited = [](const std::string& schedstat) {
    double running = 0, waiting = 0;
    return std::ifstream(schedstat) >> running >> waiting ? waiting / 1e9 : 0.0;
  };
  double seconds = waited("/proc/thread-self/schedstat");
  std::ifstream children("/proc/self/task/" + std::to_string(getpid()) + "/children");
  for (std::string child; children >> child;) seconds += waited("/proc/" + child + "/schedstat");
  return seconds;
}

constexpr int REFRESH_HZ = 60;
int passes = 0;
uint64_t start = 0, end = 0;
double waited = 0;

// Under Xvfb (where the swap does not wait) F1 on the first pass reopens the show windowed with
// its viewport; then the loop keeps about one pass per refresh. (What the viewer
// sees of the toggle, the real program's tests look at.)
TEST(WindowTest, UnderXvfbTheShowTogglesAndKeepsTheDisplayRate) {
  expectInChild([] {
    Xvfb x("640x480x24");  // gone before the child ends
    ASSERT_TRUE(x.ok());
    unsetenv("SDL_VIDEODRIVER");
    ASSERT_TRUE(openWindow("Kaikuranta", 640, 480, 32, true));
    LoopSteps steps = showLoopSteps();
    steps.updateTiming = [] {};  // time stands still
    startPacing(REFRESH_HZ, platform::setSwapInterval(1));
    steps.drawFrame = [] {
      glClear(GL_COLOR_BUFFER_BIT);
      end = platform::monotonicMicros();
      if (++passes == 1) {
        keys[VK_F1] = true;
      } else if (passes == 2) {
        start = end;
        waited = -secondsKeptWaiting();
      } else if (end - start > 3000000 && !keys[VK_ESCAPE]) {
        keys[VK_ESCAPE] = true;
        waited += secondsKeptWaiting();
      }
      return true;
    };
    steps.closeWindow = [] {};  // looked at below
    EXPECT_EQ(runMainLoop(steps), 0);
    // Never ahead of the pace, and behind it only by the time the machine kept the loop or the
    // X server waiting for a core.
    const double seconds = double(end - start) / 1e6;
    std::fprintf(stderr, "%d passes in %.2f s, %.2f s of it kept waiting\n", passes - 2, seconds, waited);
    EXPECT_LE(passes - 2, seconds * REFRESH_HZ + 2);
    EXPECT_GE(passes - 2, 0.85 * (seconds - waited) * REFRESH_HZ);

    EXPECT_FALSE(fullscreen) << "no toggle";
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::make_pair(viewport[2], viewport[3]), std::make_pair(640, 480));
    closeWindow();
  });
}

// What escapes the program, on its thread or another, is one line and status 1; on the program's
// thread the window is closed first.
TEST(WindowTest, EscapedExceptionsEndWithOneLineAndStatus1) {
  expectInChild([] {
    EXPECT_EQ(runGuarded([]() -> int {
      setenv("SDL_VIDEODRIVER", "offscreen", 1);
      if (!openWindow("Kaikuranta", 640, 480, 32, false)) return 9;
      throw std::bad_alloc();
    }), 1);
    EXPECT_EQ(hWnd, nullptr);
  }, "^kaikuranta: out of memory\n$");
  EXPECT_EXIT(runGuarded([]() -> int {
    std::thread([] { throw std::runtime_error("the decoder gave up"); }).join();
    return 0;
  }), ::testing::ExitedWithCode(1), "^kaikuranta: the decoder gave up\n$");
}

}  // namespace
