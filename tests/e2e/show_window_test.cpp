// The real program in a real window on a private X server with no window manager, driven by
// key presses and close requests as a viewer would.
#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool) would break its templates.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "tests/support/build_paths.h"
#include "tests/support/xvfb.h"

namespace {

// Asks `done` until it holds (true) or `seconds` have passed (false); at least once.
bool within(double seconds, const std::function<bool()>& done) {
  for (const double deadline = nowSeconds() + seconds; !done(); usleep(50000)) {
    if (nowSeconds() > deadline) return false;
  }
  return true;
}

// Windows come and go while the test looks at them (the show toggles, message boxes close):
// asking about one that has just gone is not an error worth ending the test for.
int ignoreXErrors(Display*, XErrorEvent*) { return 0; }

// A key pressed, held for a fifth of a second as a finger does, and let go. The show looks at
// its keys once per frame after draining its events, and a message box acts on the release, so
// both see it. The release goes to the window, and then once more through the X server itself:
// xdotool presses through the server when the window has the focus, and the window may be gone
// by the release (F1 and Escape close it). A finger lifting off the key releases it whatever
// became of the window.
void press(Window w, const std::string& key) {
  const std::string id = std::to_string(w);
  const std::string command = "xdotool keydown --window " + id + " " + key + " sleep 0.2 keyup --window " + id +
                              " " + key + " 2>/dev/null; xdotool keyup " + key + " 2>/dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

class ShowWindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    show_.reset();
    if (x_) XCloseDisplay(x_);
    xvfb_.reset();
  }

  // A display with one screen mode and the show on it, playing silent; its window named `title`.
  Window start(const char* screen, const char* title, const char* audio = "dummy") {
    xvfb_ = std::make_unique<Xvfb>(screen);
    x_ = xvfb_->ok() ? XOpenDisplay(nullptr) : nullptr;
    if (!x_) return 0;
    XSetErrorHandler(ignoreXErrors);
    return launch(title, audio);
  }
  // The show (again) on the display already running; its window named `title`, or 0.
  Window launch(const char* title, const char* audio = "dummy") {
    show_.reset(new ChildProcess({buildDirectory() + "/kaikuranta"}, buildDirectory(), {{"SDL_AUDIODRIVER", audio}}));
    return waitForWindow(title, 30);
  }

  // The show's window that has the keyboard focus, or 0.
  Window focusedShowWindow() {
    Window w = 0;
    int revert = 0;
    XGetInputFocus(x_, &w, &revert);
    if (w == None || w == PointerRoot || !viewable(w)) return 0;
    const std::string title = name(w);
    return title == "Kaikuranta" || title == "Rovora" ? w : 0;
  }

  // Keys tapped as `xdotool key` taps them, down and straight up, `delayMs` apart, through the
  // X server to the window under the pointer (the focus follows it without a window manager).
  void tap(const std::string& keys, int delayMs = 12) {
    XWarpPointer(x_, None, DefaultRootWindow(x_), 0, 0, 0, 0, DisplayWidth(x_, 0) / 2, DisplayHeight(x_, 0) / 2);
    XSync(x_, False);
    const std::string command = "xdotool key --delay " + std::to_string(delayMs) + " " + keys;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }

  // Where the display has the mode: fullscreen (the cursor hidden), 640x480, "Kaikuranta", drawing.
  Window startFullscreen(const char* audio = "dummy") {
    const Window w = start("640x480x24", "Kaikuranta", audio);
    if (!w) return 0;
    EXPECT_TRUE(cursorHiddenWithin(true, 10));
    EXPECT_EQ(size(w), std::make_pair(640, 480));
    return drawsWithin(w, 30) ? w : 0;
  }

  std::string output() const { return show_ ? show_->output() : "no X server"; }
  // The program's exit status once it has ended, or -1 while it still runs after `seconds`.
  int ended(double seconds) {
    int status = -1;
    show_->wait(seconds, &status);
    return status;
  }

  std::string name(Window w) {
    // Message boxes name themselves in UTF-8 only; the show's windows in both forms.
    Atom type;
    int format;
    unsigned long items = 0, after;
    unsigned char* data = nullptr;
    XGetWindowProperty(x_, w, XInternAtom(x_, "_NET_WM_NAME", False), 0, 256, False, AnyPropertyType, &type,
                       &format, &items, &after, &data);
    const std::string result = data ? std::string(reinterpret_cast<char*>(data), items) : "";
    if (data) XFree(data);
    return result;
  }
  XWindowAttributes attributes(Window w) {
    XWindowAttributes a{};
    XGetWindowAttributes(x_, w, &a);
    return a;
  }
  bool viewable(Window w) { return attributes(w).map_state == IsViewable; }
  std::pair<int, int> size(Window w) { return {attributes(w).width, attributes(w).height}; }
  Window find(Window under, const std::string& title) {
    Window root, parent, *children = nullptr, found = 0;
    unsigned count = 0;
    if (!XQueryTree(x_, under, &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
      found = title == name(children[i]) && viewable(children[i]) ? children[i] : find(children[i], title);
    }
    if (children) XFree(children);
    return found;
  }
  // The first viewable window named `title`, or 0 when none appears within `seconds`.
  Window waitForWindow(const std::string& title, double seconds) {
    Window w = 0;
    within(seconds, [&] { return XSync(x_, False), (w = find(DefaultRootWindow(x_), title)) != 0; });
    return w;
  }

  // Whether the cursor over the screen's centre turns invisible (or visible) within `seconds`.
  bool cursorHiddenWithin(bool hidden, double seconds) {
    return within(seconds, [&] {
      XWarpPointer(x_, None, DefaultRootWindow(x_), 0, 0, 0, 0, DisplayWidth(x_, 0) / 2, DisplayHeight(x_, 0) / 2);
      XSync(x_, False);
      XFixesCursorImage* image = XFixesGetCursorImage(x_);
      if (!image) return false;
      bool invisible = true;
      for (int i = 0; i < image->width * image->height; ++i) invisible = invisible && (image->pixels[i] >> 24) == 0;
      XFree(image);
      return invisible == hidden;
    });
  }

  // Whether the window shows something other than black within `seconds`: the show is drawing
  // frames, and so reading its keys.
  bool drawsWithin(Window w, double seconds) {
    return within(seconds, [&] {
      const std::pair<int, int> wh = size(w);
      XImage* image = wh.first > 0 ? XGetImage(x_, w, 0, 0, unsigned(wh.first), unsigned(wh.second), AllPlanes, ZPixmap)
                                   : nullptr;
      int lit = 0;
      for (int y = 0; image && y < wh.second; y += 2) {
        for (int x = 0; x < wh.first; x += 2) lit += (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
      }
      if (image) XDestroyImage(image);
      return lit > 20;
    });
  }

  // A close request, as a window manager sends it for the close button or Alt+F4.
  void requestClose(Window w) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(x_, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(x_, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(x_, w, False, NoEventMask, &e);
    XFlush(x_);
  }

  std::unique_ptr<Xvfb> xvfb_;
  Display* x_ = nullptr;
  std::unique_ptr<ChildProcess> show_;
};

TEST_F(ShowWindowTest, StartsFullscreenAndEscapeEndsItWithinASecond) {
  const Window w = startFullscreen();
  ASSERT_NE(w, 0u) << output();
  // The show answers by closing its window; the exit after it (and the sanitizers' leak check)
  // is not part of the answer and may take long on a loaded machine.
  const double pressed = nowSeconds();
  press(w, "Escape");
  EXPECT_TRUE(within(1.0 - (nowSeconds() - pressed), [&] { return !viewable(w); }));
  EXPECT_EQ(ended(10), 0) << output();
}

TEST_F(ShowWindowTest, F1SwitchesToAWindowAndBackAndACloseRequestEndsIt) {
  const Window first = startFullscreen();
  ASSERT_NE(first, 0u) << output();
  press(first, "F1");
  const Window windowed = waitForWindow("Rovora", 10);
  ASSERT_NE(windowed, 0u) << output();
  EXPECT_TRUE(cursorHiddenWithin(false, 5));
  EXPECT_EQ(size(windowed), std::make_pair(640, 480));
  EXPECT_FALSE(viewable(first));
  ASSERT_TRUE(drawsWithin(windowed, 10)) << output();

  press(windowed, "F1");
  Window again = 0;
  EXPECT_TRUE(within(10, [&] { return (again = waitForWindow("Rovora", 0)) != 0 && again != windowed; }));
  ASSERT_NE(again, 0u) << output();
  EXPECT_TRUE(cursorHiddenWithin(true, 5));
  ASSERT_FALSE(show_->wait(0)) << output();
  requestClose(again);
  EXPECT_EQ(ended(5), 0) << output();
}

TEST_F(ShowWindowTest, WithoutThe640x480ModeYesPlaysInAWindow) {
  const Window question = start("1024x768x24", "Tuli GL");
  ASSERT_NE(question, 0u) << output();
  press(question, "Return");
  const Window w = waitForWindow("Kaikuranta", 15);
  ASSERT_NE(w, 0u) << output();
  EXPECT_TRUE(cursorHiddenWithin(false, 5));
  EXPECT_EQ(size(w), std::make_pair(640, 480));
  ASSERT_TRUE(drawsWithin(w, 30)) << output();
  press(w, "Escape");
  EXPECT_EQ(ended(5), 0) << output();
}

TEST_F(ShowWindowTest, WithoutThe640x480ModeNoClosesTheProgram) {
  const Window question = start("1024x768x24", "Tuli GL");
  ASSERT_NE(question, 0u) << output();
  press(question, "Escape");
  const Window closing = waitForWindow("ERROR", 10);
  ASSERT_NE(closing, 0u) << output();
  EXPECT_EQ(waitForWindow("Kaikuranta", 0.1), 0u);
  press(closing, "Return");
  EXPECT_EQ(ended(5), 0) << output();
}

// The show ends by itself once its clock passes 154.5 s; its first picture appears within a
// second of show time 0. Without a sound device the clock keeps the wall's time however loaded
// the machine (SDL's dummy device paces itself with sleeps and falls behind under load, and the
// show follows its music). The end is the window closing; the exit after it (and the
// sanitizers' leak check) may take long on a loaded machine.
TEST_F(ShowWindowTest, PlaysTheWholeShowAndEndsByItself) {
  const Window w = startFullscreen("no-such-driver");
  ASSERT_NE(w, 0u) << output();
  const double playing = nowSeconds();
  EXPECT_TRUE(within(200, [&] { return !viewable(w); })) << output();
  const double played = nowSeconds() - playing;
  EXPECT_GT(played, 152.5);
  EXPECT_LT(played, 160.0);
  EXPECT_EQ(ended(30), 0) << output();
}

// A tap comes and goes between two passes of the loop, or while the show is still starting (the
// window is up, the pictures and the music are still loading): it counts all the same.
TEST_F(ShowWindowTest, EscapeTappedDuringStartUpEndsTheShow) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    ASSERT_NE(attempt == 0 ? start("640x480x24", "Kaikuranta") : launch("Kaikuranta"), 0u) << output();
    // Shown is not yet focused: a key in between goes nowhere, as on any desktop.
    ASSERT_TRUE(within(5, [&] { return focusedShowWindow() != 0; })) << output();
    tap("Escape");
    EXPECT_EQ(ended(30), 0) << "attempt " << attempt << ": " << output();
  }
}

// Ten taps, each at least 300 ms after the last and as soon as the show's new window has the
// keyboard (while a toggle is underway no window exists, and a key then goes nowhere, as on any
// desktop). Each lands during the slow first frame of a new context or between two quick ones.
TEST_F(ShowWindowTest, EveryF1TapTogglesOnce) {
  ASSERT_NE(startFullscreen(), 0u) << output();
  Window current = 0;
  ASSERT_TRUE(within(5, [&] { return (current = focusedShowWindow()) != 0; })) << output();
  int toggles = 0;
  for (int i = 0; i < 10; ++i) {
    usleep(300000);
    ASSERT_EQ(focusedShowWindow(), current) << "a toggle nobody asked for";
    tap("F1");
    Window next = 0;
    if (!within(10, [&] { return (next = focusedShowWindow()) != 0 && next != current; })) break;
    current = next;
    ++toggles;
  }
  EXPECT_EQ(toggles, 10) << output();
  usleep(1000000);
  EXPECT_EQ(focusedShowWindow(), current) << "a toggle nobody asked for";
  EXPECT_TRUE(cursorHiddenWithin(true, 5)) << "ten toggles end fullscreen";
  ASSERT_TRUE(drawsWithin(current, 10)) << output();
  tap("Escape");
  EXPECT_EQ(ended(5), 0) << output();
}

// Hangup, interrupt, quit and terminate end the show through its own teardown, whether it is
// still starting or playing: the program exits by itself with 128 + the signal's number.
TEST_F(ShowWindowTest, EndSignalsEndTheShowWithTheirStatus) {
  const struct { int sig; bool whilePlaying; } cases[] = {
      {SIGHUP, false}, {SIGINT, true}, {SIGQUIT, false}, {SIGTERM, true}};
  for (const auto& c : cases) {
    const Window w = show_ ? launch("Kaikuranta") : start("640x480x24", "Kaikuranta");
    ASSERT_NE(w, 0u) << output();
    if (c.whilePlaying) {
      ASSERT_TRUE(drawsWithin(w, 30)) << output();
    }
    show_->signal(c.sig);
    EXPECT_EQ(ended(30), 128 + c.sig) << strsignal(c.sig) << ": " << output();
    EXPECT_FALSE(show_->killedBySignal()) << strsignal(c.sig);
    EXPECT_EQ(output().find("Sanitizer"), std::string::npos) << output();
  }
}

// A message box waits on the viewer; a signal does not wait with it: the program and its box go.
TEST_F(ShowWindowTest, ASignalUnderAMessageBoxEndsProgramAndBox) {
  const Window question = start("1024x768x24", "Tuli GL");
  ASSERT_NE(question, 0u) << output();
  show_->signal(SIGTERM);
  EXPECT_EQ(ended(5), 128 + SIGTERM) << output();
  EXPECT_FALSE(show_->killedBySignal());
  EXPECT_TRUE(within(5, [&] { return XSync(x_, False), find(DefaultRootWindow(x_), "Tuli GL") == 0; }))
      << "the box outlived the program";
}

}  // namespace
