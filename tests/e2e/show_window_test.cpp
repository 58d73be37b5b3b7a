// The real program in a real window on a private X server with no window manager, driven by
// key presses and close requests as a viewer would.
#include <gtest/gtest.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/support/show_test.h"

namespace {

class ShowWindowTest : public ShowTest<XScreen> {
 protected:
  // The show's window that has the keyboard focus, or 0.
  Window focusedShowWindow() {
    Window w = 0;
    int revert = 0;
    XGetInputFocus(x_->x(), &w, &revert);
    if (w == None || w == PointerRoot || !x_->viewable(w)) return 0;
    const std::string title = x_->name(w);
    return title == "Kaikuranta" || title == "Rovora" ? w : 0;
  }

  // Keys tapped as `xdotool key` taps them, down and straight up, `delayMs` apart, through the
  // X server to the window under the pointer (the focus follows it without a window manager).
  void tap(const std::string& keys, int delayMs = 12) {
    Display* x = x_->x();
    XWarpPointer(x, None, DefaultRootWindow(x), 0, 0, 0, 0, DisplayWidth(x, 0) / 2, DisplayHeight(x, 0) / 2);
    XSync(x, False);
    const std::string command = "xdotool key --delay " + std::to_string(delayMs) + " " + keys;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
};

// A server at its client limit refuses a connection until one of its clients goes, as happens
// on a busy server while other programs come and go: the show asks again rather than giving up.
TEST_F(ShowWindowTest, AServerAtItsClientLimitIsAskedAgainOnceAClientGoes) {
  x_ = std::make_unique<XScreen>("640x480x24");
  ASSERT_TRUE(x_->ok());
  std::vector<Display*> held;
  while (Display* d = XOpenDisplay(nullptr)) held.push_back(d);
  x_->startShow();
  const bool refused =
      within(UNTIL_TIMEOUT, [&] { return output().find("Maximum number of clients") != std::string::npos; });
  // Room for the show's connections and its box's.
  for (int i = 0; i < 4 && !held.empty(); ++i, held.pop_back()) XCloseDisplay(held.back());
  ASSERT_TRUE(refused) << output();
  EXPECT_NE(x_->waitForWindow("Kaikuranta", UNTIL_TIMEOUT), 0u) << output();
  EXPECT_EQ(output().find("fell back"), std::string::npos) << output();
  for (Display* d : held) XCloseDisplay(d);
}

// Without the 640x480 mode the show asks whether to play in a window instead: Yes (the
// default) plays in one; No (Escape) says the program will close, and closes it.
TEST_F(ShowWindowTest, WithoutThe640x480ModeItAsksToPlayInAWindow) { expectTheModeQuestion("Escape", false); }

// A tap comes and goes between two passes of the loop, or while the show is still starting (the
// window is up, the pictures and the music are still loading): it counts all the same.
TEST_F(ShowWindowTest, EscapeTappedDuringStartUpEndsTheShow) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    ASSERT_NE(attempt == 0 ? start("640x480x24", "Kaikuranta") : launch("Kaikuranta"), 0u) << output();
    // Shown is not yet focused: a key in between goes nowhere, as on any desktop.
    ASSERT_TRUE(within(UNTIL_TIMEOUT, [&] { return focusedShowWindow() != 0; })) << output();
    tap("Escape");
    EXPECT_EQ(x_->ended(UNTIL_TIMEOUT), 0) << "attempt " << attempt << ": " << output();
  }
}

// Ten taps, each at least 300 ms after the last and as soon as the show's new window has the
// keyboard (while a toggle is underway no window exists, and a key then goes nowhere, as on any
// desktop). Each lands during the slow first frame of a new context or between two quick ones.
// Each toggle trades the fullscreen show, its cursor hidden, for a 640x480 window with the
// desktop's cursor, or back; every window after the first "Kaikuranta" is named "Rovora". A
// close request to the last one ends the show.
TEST_F(ShowWindowTest, EveryF1TapTogglesOnceAndACloseRequestEndsIt) {
  ASSERT_NE(startFullscreen(), 0u) << output();
  Window current = 0;
  ASSERT_TRUE(within(UNTIL_TIMEOUT, [&] { return (current = focusedShowWindow()) != 0; })) << output();
  for (int i = 0;; ++i) {
    SCOPED_TRACE(i);
    usleep(300000);
    // Frames drawn in the window after a tap show that the show has handled the whole tap: a
    // second toggle would have come by then.
    ASSERT_TRUE(x_->playing(current)) << output();
    ASSERT_EQ(focusedShowWindow(), current) << "a toggle nobody asked for";
    EXPECT_EQ(std::make_tuple(x_->name(current), x_->size(current), x_->cursorHidden()),
              std::make_tuple(std::string(i == 0 ? "Kaikuranta" : "Rovora"), std::make_pair(640, 480), i % 2 == 0));
    if (i == 10) break;
    tap("F1");
    Window next = 0;
    ASSERT_TRUE(within(UNTIL_TIMEOUT, [&] { return (next = focusedShowWindow()) != 0 && next != current; }))
        << output();
    EXPECT_FALSE(x_->viewable(current)) << "the window before the toggle is still there";
    current = next;
  }
  x_->expectEndsOn(current);
}

// Hangup, interrupt, quit and terminate end the show through its own teardown, whether it is
// still starting, playing or asking a question: the program exits by itself with 128 + the
// signal's number.
TEST_F(ShowWindowTest, EndSignalsEndTheShowWithTheirStatus) {
  const struct { int sig; bool whilePlaying; const char* window = "Kaikuranta"; } cases[] = {
      {SIGHUP, false}, {SIGINT, true}, {SIGQUIT, false}, {SIGTERM, true},
      // A message box waits on the viewer; a signal does not wait with it: the program and its
      // box go.
      {SIGTERM, false, "Tuli GL"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.window);
    const bool box = std::string(c.window) == "Tuli GL";
    const Window w = box ? start("1024x768x24", c.window) : x_ ? launch(c.window) : start("640x480x24", c.window);
    ASSERT_NE(w, 0u) << output();
    ASSERT_TRUE(!c.whilePlaying || x_->drawsWithin(w, UNTIL_TIMEOUT)) << output();
    x_->program()->signal(c.sig);
    EXPECT_EQ(x_->ended(UNTIL_TIMEOUT), 128 + c.sig) << strsignal(c.sig) << ": " << output();
    EXPECT_FALSE(x_->program()->killedBySignal()) << strsignal(c.sig);
    EXPECT_EQ(output().find("Sanitizer"), std::string::npos) << output();
    EXPECT_TRUE(within(UNTIL_TIMEOUT, [&] { return x_->waitForWindow(c.window, 0) == 0; }))
        << "its window outlived the program";
  }
}

// The show over the desktop and in a window of a chosen height, on a 1920x1080 screen: no
// display-mode change, no question asked, the picture as large as it fits, in the middle, with
// black bars.
class ScreenSizedShow : public ShowTest<XScreen> {
 protected:
  // The show started with `options` on a 1920x1080 screen and its windows after two F1 taps, each
  // over the desktop or framed, the other way from the one before: over the desktop `picture`
  // lit, framed as large as the picture and filled by it. `ending` (a close request when empty)
  // ends the show.
  void expectTwoToggles(const std::vector<std::string>& options, const LitBox& picture, const std::string& ending) {
    x_ = std::make_unique<XScreen>("1920x1080x24");
    ASSERT_TRUE(x_->ok());
    x_->startShow(options);
    Window w = x_->waitForWindow("Kaikuranta", UNTIL_TIMEOUT);
    for (int i = 0;; ++i) {
      SCOPED_TRACE(i);
      ASSERT_NE(w, 0u) << output();
      if ((i % 2 == 0) == (options[0] == "--desktop")) {
        x_->expectOverTheDesktop(w, picture);
        EXPECT_EQ(x_->waitForWindow("Tuli GL", 0), 0u) << "asked about the display mode";
      } else {
        const LitBox filled = {0, 0, picture.width, picture.height};
        EXPECT_EQ(x_->size(w), std::make_pair(filled.width, filled.height));
        EXPECT_TRUE(x_->cursorHiddenWithin(false, UNTIL_TIMEOUT));
        ASSERT_TRUE(x_->drawsWithin(w, UNTIL_TIMEOUT)) << output();
        EXPECT_EQ(x_->litBox(w, filled), filled);
      }
      if (i == 2) break;
      x_->press(w, "F1");
      w = x_->waitForWindow("Rovora", 30, w);
    }
    x_->expectEndsOn(w, ending);
  }
};

// The tallest 4:3 picture a 1920x1080 screen holds is 1440x1080; F1 goes to a window of that
// size and back, and Escape ends the show as it ends the faithful one.
TEST_F(ScreenSizedShow, OverTheDesktopThePictureIsAsTallAsTheScreenBetweenBlackBars) {
  expectTwoToggles({"--desktop"}, {240, 0, 1440, 1080}, "Escape");
}

// A window of the height asked for, the picture filling it; over the desktop the picture keeps
// that size, in the middle; closing the window ends the show.
TEST_F(ScreenSizedShow, ASizedWindowKeepsItsPictureSizeOverTheDesktop) {
  expectTwoToggles({"--window", "720"}, {480, 180, 960, 720}, "");
}

}  // namespace
