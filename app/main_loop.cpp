#include "app/main_loop.h"

#include <cstdlib>
#include <exception>
#include <new>
#include <thread>

#include "app/frame_pacer.h"
#include "app/init_show.h"
#include "app/window.h"
#include "fx/quads.h"
#include "platform/clock.h"
#include "platform/report.h"
#include "show/frame.h"
#include "timing/beat_timing.h"

bool keys[256];
uint8_t keyPresses[256];
bool active = true;

namespace {

bool quitPosted = false;
int quitCode = 0;
FramePacer pacer;

}  // namespace

intptr_t windowProc(platform::Window*, uint32_t message, uint32_t wParam, intptr_t) {
  switch (message) {
    case WM_ACTIVATE:
      // Only minimising stops the drawing; losing focus alone does not.
      active = (wParam >> 16) == 0;
      return 0;
    case WM_KEYDOWN:
      if (wParam < 256) {
        uint8_t& pending = keyPresses[wParam];
        if (!keys[wParam] && pending < 255) ++pending;
        if (pending == 0) pending = 1;  // an auto-repeat asks again, but adds no press
        keys[wParam] = true;
      }
      return 0;
    case WM_KEYUP:
      if (wParam < 256) keys[wParam] = false;
      return 0;
    case WM_CLOSE:
    case WM_SYSCOMMAND:
      // Any system command ends the show; the command itself is not carried out.
      postQuitMessage(0);
      return 0;
    default:
      return 0;
  }
}

Msg translateEvent(const platform::Event& event) {
  Msg msg;
  msg.wParam = event.wParam;
  switch (event.kind) {
    case platform::EventKind::Activate: msg.message = WM_ACTIVATE; break;
    case platform::EventKind::KeyDown: msg.message = WM_KEYDOWN; break;
    case platform::EventKind::KeyUp: msg.message = WM_KEYUP; break;
    case platform::EventKind::Close: msg.message = WM_CLOSE; break;
    case platform::EventKind::SysCommand: msg.message = WM_SYSCOMMAND; break;
    case platform::EventKind::None: msg.message = 0; break;
  }
  return msg;
}

bool peekMessage(Msg* msg) {
  // A hangup, interrupt, quit or terminate signal asks for the same orderly end as a closed window,
  // with the status a shell reports for that signal.
  if (const int status = platform::endRequest(); status != 0 && !quitPosted) postQuitMessage(status);
  if (quitPosted) {
    quitPosted = false;
    msg->message = WM_QUIT;
    msg->wParam = uint32_t(quitCode);
    return true;
  }
  platform::Event event;
  if (!platform::pollEvent(&event)) return false;
  *msg = translateEvent(event);
  return true;
}

void dispatchMessage(const Msg& msg) { windowProc(hWnd, msg.message, msg.wParam, 0); }

void postQuitMessage(int code) {
  quitPosted = true;
  quitCode = code;
}

int runMainLoop(const LoopSteps& steps) {
  Msg msg;
  bool done = false;
  for (;;) {
    if (steps.peek(&msg)) {
      if (msg.message == WM_QUIT) break;
      steps.dispatch(msg);
      continue;
    }
    // The queue is drained: one pass. A key counts when it is down or a press of it is pending.
    const auto down = [](uint32_t vk) { return keys[vk] || keyPresses[vk] > 0; };
    if (active) {
      if (!steps.drawFrame()) {
        done = true;
      } else if (down(VK_ESCAPE)) {
        done = true;
      }
    } else if (down(VK_ESCAPE)) {
      done = true;
    }
    // A frame drawn on the pass that ends the show is never presented.
    if (!done) {
      steps.updateTiming();
      steps.swapBuffers();
    }
    if (down(VK_F1)) {
      keys[VK_F1] = false;
      if (keyPresses[VK_F1] > 0) --keyPresses[VK_F1];
      if (!steps.toggleWindow()) return 0;
    }
    if (done) break;
  }
  steps.closeWindow();
  // Every end the viewer chose (Escape, the end of the show, a closed window) is a success; a
  // quit posted for a signal carries that signal's status.
  return msg.message == WM_QUIT ? int(msg.wParam) : 0;
}

namespace {

void pacedSwap() {
  const uint64_t start = platform::monotonicMicros();
  platform::windowSwap(hDC);
  const uint64_t wait = pacer.afterSwap(start, platform::monotonicMicros());
  if (wait > 0) platform::sleepMs(uint32_t((wait + 500) / 1000));
}

bool toggleWindow() {
  const bool wasFullscreen = fullscreen;
  closeWindow();
  if (!openWindow("Rovora", SCREEN_WIDTH, SCREEN_HEIGHT, 32, !wasFullscreen)) return false;
  // The new context starts without the swap interval; ask again and measure the swaps anew.
  pacer.reset(requestSwapInterval());
  return true;
}

}  // namespace

LoopSteps showLoopSteps() {
  return LoopSteps{peekMessage, dispatchMessage, drawFrame, updateTiming, pacedSwap, toggleWindow, closeWindow};
}

void startPacing(int refreshHz, bool swapIntervalAccepted) {
  pacer = FramePacer(refreshHz);
  pacer.reset(swapIntervalAccepted);
}

int runShow() {
  platform::catchEndRequests();
  if (!openWindow("Kaikuranta", SCREEN_WIDTH, SCREEN_HEIGHT, 32, fullscreen)) return 0;
  initShow();
  startPacing(platform::displayRefreshRate(), swapIntervalAccepted);
  return runMainLoop(showLoopSteps());
}

namespace {

std::thread::id programThread;

// One line for whatever was thrown; out of memory named as such rather than by its type.
void reportEscaped(const std::exception_ptr& escaped) {
  try {
    std::rethrow_exception(escaped);
  } catch (const std::bad_alloc&) {
    platform::report("out of memory");
  } catch (const std::exception& e) {
    platform::report("%s", e.what());
  } catch (...) {
    platform::report("ended by an unexpected error");
  }
}

// What escapes another thread (or a function that may not throw) ends the program here. Only
// the program's own thread may touch the window, so only there do the exit handlers run and
// give the desktop its mode back.
[[noreturn]] void onTerminate() {
  if (std::exception_ptr escaped = std::current_exception()) {
    reportEscaped(escaped);
  } else {
    platform::report("ended by an unexpected error");
  }
  if (std::this_thread::get_id() == programThread) std::exit(1);
  std::_Exit(1);
}

}  // namespace

int runGuarded(int (*program)()) {
  programThread = std::this_thread::get_id();
  std::set_terminate(onTerminate);
  try {
    return program();
  } catch (...) {
    reportEscaped(std::current_exception());
  }
  closeWindow();
  return 1;
}
