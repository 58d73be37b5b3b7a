#include "app/program.h"

#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <thread>

#include "app/frame_pacer.h"
#include "app/init_show.h"
#include "app/window.h"
#include "assets/frame_size.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "platform/report.h"
#include "platform/startup_memory.h"
#include "show/frame.h"
#include "timing/beat_timing.h"

namespace {

FramePacer pacer;

void pacedSwap() {
  const uint64_t start = platform::monotonicMicros();
  platform::windowSwap(hDC);
  const uint64_t wait = pacer.afterSwap(start, platform::monotonicMicros());
  if (wait > 0) platform::sleepMs(uint32_t((wait + 500) / 1000));
}

bool toggleWindow() {
  if (!toggleFullscreen("Rovora", frameSize().width, frameSize().height, 32)) return false;
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
  // Known before the window opens: without its data the display never changes mode.
  std::string why;
  if (!platform::findShowData(&why)) {
    platform::reportFatal("%s", why.c_str());
    return 1;
  }
  platform::prepareStartupMemory();
  if (!openWindow("Kaikuranta", frameSize().width, frameSize().height, 32, fullscreen)) return 0;
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
    platform::reportFatal("out of memory");
  } catch (const std::exception& e) {
    platform::reportFatal("%s", e.what());
  } catch (...) {
    platform::reportFatal("ended by an unexpected error");
  }
}

// What escapes another thread (or a function that may not throw) ends the program here. Only
// the program's own thread may touch the window, so only there do the exit handlers run and
// give the desktop its mode back.
[[noreturn]] void onTerminate() {
  if (std::exception_ptr escaped = std::current_exception()) {
    reportEscaped(escaped);
  } else {
    platform::reportFatal("ended by an unexpected error");
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

