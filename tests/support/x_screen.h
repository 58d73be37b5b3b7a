#pragma once
// A program on a private X server with no window manager, looked at and driven as a viewer
// would: its windows found by title, their size, place and pixels read, the cursor looked at,
// keys pressed and close requests sent. Test thread only; include after GoogleTest, whose
// templates Xlib's macros (None, Bool) would break.
#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/xvfb.h"

// Where a window's picture sits on black, as a viewer sees it.
struct LitBox {
  int x = 0, y = 0, width = 0, height = 0;  // empty when nothing is lit
  bool operator==(const LitBox& o) const { return x == o.x && y == o.y && width == o.width && height == o.height; }
};
inline std::ostream& operator<<(std::ostream& out, const LitBox& b) {
  return out << b.width << "x" << b.height << "+" << b.x << "+" << b.y;
}

class XScreen {
 public:
  // A server with one screen of `screen` ("640x480x24"), and a connection to it.
  explicit XScreen(const std::string& screen = "640x480x24");
  virtual ~XScreen();  // ends the program, then the server
  bool ok() const { return x_ != nullptr; }
  Display* x() const { return x_; }

  // Runs `argv` in `dir` on this screen, in place of any program run before.
  void run(const std::vector<std::string>& argv, const std::string& dir,
           const std::map<std::string, std::string>& env = {});
  // Starts the show on this screen with `args`, silent, in place of any program run before.
  virtual void startShow(const std::vector<std::string>& args = {});
  ChildProcess* program() const { return program_.get(); }
  // The program's exit status once it has ended within `seconds`, or -1.
  int ended(double seconds);
  std::string output() const;  // what it wrote to standard output and error

  // The first viewable window named `title` other than `besides`, or 0 when none appears within
  // `seconds`.
  Window waitForWindow(const std::string& title, double seconds, Window besides = 0);
  std::vector<Window> windowsNamed(const std::string& title);  // every viewable one, now
  std::string name(Window w);
  bool viewable(Window w) { return attributes(w).map_state == IsViewable; }
  XWindowAttributes attributes(Window w);  // size, and place on the screen
  std::pair<int, int> size(Window w) { return {attributes(w).width, attributes(w).height}; }
  // Whether the window shows something other than black within `seconds`.
  bool drawsWithin(Window w, double seconds);
  // The frames the window shows until `done` holds for their count (or `seconds` pass, a bound
  // for a hang): the show moves on every frame, so a new picture is a new frame. A program's own
  // passes, which a loaded machine slows but does not multiply.
  // `lit` is handed each pixel that is not black in every picture read.
  int framesUntil(Window w, const std::function<bool(int)>& done, double seconds,
                  const std::function<void(int, int)>& lit = {});
  // The frames it still shows before it goes, waiting as long as the test may: an ended show
  // draws none after the pass that ended it.
  int framesBeforeGone(Window w) { return framesUntil(w, [&](int) { return !viewable(w); }, UNTIL_TIMEOUT); }
  // Whether the window shows three new frames within `seconds`: the show plays there.
  bool playing(Window w, double seconds = UNTIL_TIMEOUT) {
    return framesUntil(w, [](int n) { return n >= 3; }, seconds) >= 3;
  }
  // The smallest box holding every pixel of `w` that is not black, over the frames it shows until
  // the box is `expected` or 900 frames (15 s of show) have gone by; a pixel lit outside
  // `expected` in any of them widens the box for good. The show's picture reaches each edge of
  // its frame once it has faded in, but not always with a lit pixel in every row and column.
  LitBox litBox(Window w, const LitBox& expected);
  // A window over the whole screen, the cursor hidden, `picture` lit in it; the screen itself as
  // it was (a display-mode change would have resized it).
  void expectOverTheDesktop(Window w, const LitBox& picture);
  // Whether the cursor over the screen's centre is invisible now, or turns invisible (or
  // visible) within `seconds`.
  bool cursorHidden();
  bool cursorHiddenWithin(bool hidden, double seconds) { return within(seconds, [&] { return cursorHidden() == hidden; }); }
  // A fullscreen window: over the whole 640x480 screen, the cursor hidden, drawing.
  bool fullscreenAndDrawing(Window w) { return coversTheScreen(w); }
  // A key pressed, held for a fifth of a second as a finger does, and let go.
  void press(Window w, const std::string& key);
  // A close request, as a window manager sends it for the close button or Alt+F4.
  void requestClose(Window w);
  // `key` pressed (a close request when empty): the window goes within two frames, and the
  // program ends by itself with status 0.
  void expectEndsOn(Window w, const std::string& key = "");

 protected:
  std::unique_ptr<ChildProcess> program_;

 private:
  // Reads what the window shows on the screen and hands `lit` each pixel that is not black, every
  // `step`th of each row and column; a digest of the picture, 0 when it cannot be read.
  uint64_t look(Window w, int step, const std::function<void(int, int)>& lit);
  // At the screen's corner and as large as the screen, the cursor hidden; whether it draws. Both
  // are waited for as long as the test may.
  bool coversTheScreen(Window w);

  std::unique_ptr<Xvfb> xvfb_;
  Display* x_ = nullptr;
};
