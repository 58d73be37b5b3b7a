#pragma once
// The fixture of the tests that drive the show on private X servers: Screen is XScreen for this
// system's program, WineSession for the Windows one. Test thread only; include after GoogleTest.
#include <memory>
#include <string>
#include <utility>

#include "tests/support/x_screen.h"

template <class Screen>
class ShowTest : public testing::Test {
 protected:
  // A display with one screen mode and the show on it, playing silent; its window named `title`.
  Window start(const char* screen, const char* title) {
    x_.reset();  // its server first: each server restores the DISPLAY it found
    x_ = std::make_unique<Screen>(screen);
    return x_->ok() ? launch(title) : 0;
  }
  // The show (again) on the display already running; its window named `title`, or 0.
  Window launch(const char* title) {
    x_->startShow();
    return x_->waitForWindow(title, UNTIL_TIMEOUT);
  }
  // Where the display has the mode: fullscreen, "Kaikuranta", drawing.
  Window startFullscreen() {
    const Window w = start("640x480x24", "Kaikuranta");
    return w && x_->fullscreenAndDrawing(w) ? w : 0;
  }
  std::string output() const { return x_ ? x_->output() : "no X server"; }

  // Without the 640x480 mode the show asks whether to play in a window instead, and no show
  // window stands beside the question or the answer's box: Yes (the default button, Return)
  // plays in a 640x480 window with the desktop's cursor (below its title bar when `framed`), and
  // Escape ends it; `no` says the program will close, and Return closes it.
  void expectTheModeQuestion(const char* no, bool framed) {
    const struct { const char *answer, *next, *ending; bool plays; } cases[] = {
        {"Return", "Kaikuranta", "Escape", true}, {no, "ERROR", "Return", false}};
    for (const auto& c : cases) {
      SCOPED_TRACE(c.next);
      const Window question = start("1024x768x24", "Tuli GL");
      ASSERT_NE(question, 0u) << output();
      EXPECT_EQ(x_->waitForWindow("Kaikuranta", 0), 0u) << "a show beside the question";
      x_->press(question, c.answer);
      const Window w = x_->waitForWindow(c.next, UNTIL_TIMEOUT);
      ASSERT_NE(w, 0u) << output();
      EXPECT_EQ(x_->waitForWindow("Kaikuranta", 0), c.plays ? w : 0u) << "a show beside the box";
      if (c.plays) {
        EXPECT_EQ(x_->size(w), std::make_pair(640, 480));
        EXPECT_TRUE(!framed || x_->attributes(w).y > 0) << "not below its title bar";
        ASSERT_TRUE(x_->drawsWithin(w, UNTIL_TIMEOUT)) << output();
        ASSERT_TRUE(x_->playing(w)) << output();
        EXPECT_FALSE(x_->cursorHidden());
      }
      x_->expectEndsOn(w, c.ending);
    }
  }

  std::unique_ptr<Screen> x_;
};
