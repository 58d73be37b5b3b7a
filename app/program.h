#pragma once
// The whole program: the window, the show's start-up and its main loop with the show's own
// steps (the real queue, drawFrame, updateTiming, a paced swap, the F1 toggle), and the guard
// that gives every way out a defined status. Program thread.
#include "app/main_loop.h"

// The show's own steps: the real queue, drawFrame, updateTiming, a paced swap, the F1 toggle.
LoopSteps showLoopSteps();

// Sets the pace the show's swap keeps when the swap itself does not wait for the display.
void startPacing(int refreshHz, bool swapIntervalAccepted);

// The whole program: open the window, initShow, the loop. Returns the exit status.
int runShow();

// Runs `program` so that every way out has a defined status: an exception that escapes it, or
// one that ends a thread, becomes one line on standard error and status 1, the desktop's mode
// given back first.
int runGuarded(int (*program)());
