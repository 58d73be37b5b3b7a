#pragma once
// Windows programs under Wine for the tests: one private Wine prefix kept beside the Windows
// build (made on first use), a private X server per session, and the prefix's processes ended
// when the session ends. The X side of the session reads and drives the program's windows as a
// viewer would. Test thread only.
#include <X11/Xlib.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/xvfb.h"

// The folder of the Windows build under test: kaikuranta.exe, data/, the test program.
std::string windowsBuildDir();
std::string winePrefix();

// Asks `done` until it holds (true) or `seconds` have passed (false); at least once.
bool within(double seconds, const std::function<bool()>& done);

class WineSession {
 public:
  // A private X server with one screen of `screen` ("640x480x24"), and Wine ready to run on it.
  explicit WineSession(const std::string& screen = "640x480x24");
  ~WineSession();  // ends the program and every Wine process of the prefix, then the X server
  bool ok() const { return x_ != nullptr; }

  // Starts `program` (a path to a Windows program) with `args` in `dir`. Without `sound` there
  // is no sound server to reach, so the program finds no audio device.
  void start(const std::string& program, const std::vector<std::string>& args, const std::string& dir,
             const std::map<std::string, std::string>& env = {});
  // The program's exit status once it has ended within `seconds`, or -1.
  int ended(double seconds);
  std::string output() const;  // what it wrote to standard output and error

  // The X side.
  Display* x() const { return x_; }
  // The first viewable window named `title`, or 0 when none appears within `seconds`.
  Window waitForWindow(const std::string& title, double seconds);
  std::string name(Window w);
  bool viewable(Window w);
  // Size and position on the screen.
  XWindowAttributes attributes(Window w);
  std::pair<int, int> size(Window w);
  // Whether the window shows something other than black within `seconds`.
  bool drawsWithin(Window w, double seconds);
  // Whether the cursor over the screen's centre turns invisible (or visible) within `seconds`.
  bool cursorHiddenWithin(bool hidden, double seconds);
  // A key pressed, held for a fifth of a second and let go, sent to the window.
  void press(Window w, const std::string& key);
  // A close request, as a window manager sends it for the close button.
  void requestClose(Window w);

 private:
  Window find(Window under, const std::string& title);

  std::unique_ptr<Xvfb> xvfb_;
  Display* x_ = nullptr;
  std::unique_ptr<ChildProcess> program_;
};
