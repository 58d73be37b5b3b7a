#pragma once
// Looking at and talking to windows on the test's X display, as a person at it would.
#include <X11/Xlib.h>

#include <string>

class XDisplay {
 public:
  XDisplay();  // connects to $DISPLAY
  ~XDisplay();
  bool ok() const { return display_ != nullptr; }
  // The first viewable window whose name is `title`, waiting up to `seconds`; 0 if none.
  unsigned long waitForWindow(const std::string& title, double seconds);
  bool viewable(unsigned long window);
  // Whether the cursor over the screen's centre is invisible, as the show makes it in fullscreen.
  bool cursorHidden();
  // Waits up to `seconds` for the cursor to be hidden or shown; returns the state last seen.
  bool waitForCursorHidden(bool expected, double seconds);
  void size(unsigned long window, int* width, int* height);
  // Waits up to `seconds` until the window shows something other than black: the show is
  // drawing frames (and so reading its keys). True when it did.
  bool waitForPicture(unsigned long window, double seconds);
  // A close request, as a window manager sends it for the close button or Alt+F4.
  void requestClose(unsigned long window);
  // A key pressed, held for a fifth of a second as a finger does, and let go (xdotool). The
  // show looks at its keys once per frame after draining its events, and a message box acts on
  // the release, so both see it.
  static void press(unsigned long window, const std::string& keyName);

 private:
  unsigned long find(unsigned long under, const std::string& title);
  std::string name(unsigned long window);
  Display* display_ = nullptr;
};
