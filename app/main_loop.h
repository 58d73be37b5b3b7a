#pragma once
// The message-pumping main loop: drains the queue, then draws, times and presents one pass, and
// acts on Escape and F1. Program thread.
#include "app/window_proc.h"

// What one pass of the loop calls, so the loop's order can be run against other steps.
struct LoopSteps {
  bool (*peek)(Msg*);
  void (*dispatch)(const Msg&);
  bool (*drawFrame)();
  void (*updateTiming)();
  void (*swapBuffers)();
  bool (*toggleWindow)();  // close, flip the mode, reopen; false when the reopen failed
  void (*closeWindow)();
};

// Runs the loop until Escape, the end of the show or a quit; returns the exit status: 0, or the
// code of a posted quit.
int runMainLoop(const LoopSteps& steps);
