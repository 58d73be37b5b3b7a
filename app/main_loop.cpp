#include "app/main_loop.h"

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
