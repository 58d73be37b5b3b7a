#include <gtest/gtest.h>

#include "tests/support/x_screen.h"

#include "tests/support/build_paths.h"

#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <tuple>

XScreen::XScreen(const std::string& screen) : xvfb_(std::make_unique<Xvfb>(screen)) {
  x_ = xvfb_->ok() ? XOpenDisplay(nullptr) : nullptr;
  // Windows come and go while a test looks at them (the show toggles, message boxes close):
  // asking about one that has just gone is not an error worth ending the test for.
  if (x_) XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
}

XScreen::~XScreen() {
  program_.reset();
  if (x_) XCloseDisplay(x_);
}

void XScreen::run(const std::vector<std::string>& argv, const std::string& dir,
                  const std::map<std::string, std::string>& env) {
  program_.reset();
  program_ = std::make_unique<ChildProcess>(argv, dir, env);
}

void XScreen::startShow(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {buildDirectory() + "/kaikuranta"};
  argv.insert(argv.end(), args.begin(), args.end());
  run(argv, buildDirectory(), {{"SDL_AUDIODRIVER", "dummy"}});
}

int XScreen::ended(double seconds) {
  int status = -1;
  return program_ && program_->wait(seconds, &status) ? status : -1;
}

std::string XScreen::output() const { return program_ ? program_->output() : "no program"; }

std::string XScreen::name(Window w) {
  // Message boxes name themselves in UTF-8 only; other windows may set only the older name.
  for (const char* property : {"_NET_WM_NAME", "WM_NAME"}) {
    XTextProperty text{};
    XGetTextProperty(x_, w, &text, XInternAtom(x_, property, False));
    const std::string name = text.value ? std::string(reinterpret_cast<char*>(text.value), text.nitems) : "";
    if (text.value) XFree(text.value);
    if (!name.empty()) return name;
  }
  return "";
}

XWindowAttributes XScreen::attributes(Window w) {
  XWindowAttributes a{};
  XGetWindowAttributes(x_, w, &a);
  return a;
}

std::vector<Window> XScreen::windowsNamed(const std::string& title) {
  std::vector<Window> found;
  const std::function<void(Window)> collect = [&](Window under) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(x_, under, &root, &parent, &children, &count)) return;
    for (Window child : std::vector<Window>(children, children + count)) {
      if (title == name(child) && viewable(child)) found.push_back(child);
      collect(child);
    }
    if (children) XFree(children);
  };
  XSync(x_, False);
  collect(DefaultRootWindow(x_));
  return found;
}

Window XScreen::waitForWindow(const std::string& title, double seconds, Window besides) {
  std::vector<Window> found;
  within(seconds, [&] {
    found = windowsNamed(title);
    found.erase(std::remove(found.begin(), found.end(), besides), found.end());
    return !found.empty();
  });
  return found.empty() ? 0 : found[0];
}

uint64_t XScreen::look(Window w, int step, const std::function<void(int, int)>& lit) {
  // Only the part on the screen can be read: a framed window may reach past its edge.
  int left = 0, top = 0;
  Window child;
  XTranslateCoordinates(x_, w, DefaultRootWindow(x_), 0, 0, &left, &top, &child);
  const XWindowAttributes a = attributes(w);
  const int width = std::min(a.width, DisplayWidth(x_, 0) - left);
  const int height = std::min(a.height, DisplayHeight(x_, 0) - top);
  XImage* picture = width > 0 && height > 0 ? XGetImage(x_, w, 0, 0, width, height, AllPlanes, ZPixmap) : nullptr;
  if (!picture) return 0;
  for (int y = 0; lit && y < height; y += step) {
    for (int x = 0; x < width; x += step) {
      if (XGetPixel(picture, x, y) & 0xFFFFFF) lit(x, y);
    }
  }
  uint64_t digest = 1469598103934665603u;
  for (int i = 0; i < picture->bytes_per_line * height; i += 7) {
    digest = (digest ^ uint8_t(picture->data[i])) * 1099511628211u;
  }
  XDestroyImage(picture);
  return digest;
}

bool XScreen::drawsWithin(Window w, double seconds) {
  return within(seconds, [&] {
    int lit = 0;
    look(w, 2, [&](int, int) { ++lit; });
    return lit > 20;
  });
}

int XScreen::framesUntil(Window w, const std::function<bool(int)>& done, double seconds,
                         const std::function<void(int, int)>& lit) {
  int frames = 0;
  uint64_t last = look(w, 1, lit);
  for (const double end = nowSeconds() + seconds; !done(frames) && nowSeconds() < end; usleep(2000)) {
    const uint64_t now = look(w, 1, lit);
    frames += now != last && now != 0;
    last = now;
  }
  return frames;
}

LitBox XScreen::litBox(Window w, const LitBox& expected) {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  const auto box = [&] { return right < 0 ? LitBox{} : LitBox{left, top, right - left + 1, bottom - top + 1}; };
  // Counted in frames the show drew, not in reads: a loaded machine reads one frame many times.
  framesUntil(w, [&](int frames) { return frames >= 900 || box() == expected; }, UNTIL_TIMEOUT, [&](int x, int y) {
    left = std::min(left, x), right = std::max(right, x);
    top = std::min(top, y), bottom = std::max(bottom, y);
  });
  return box();
}

void XScreen::expectOverTheDesktop(Window w, const LitBox& picture) {
  ASSERT_TRUE(coversTheScreen(w)) << output();
  EXPECT_EQ(litBox(w, picture), picture);
  // The root window is the screen as it is now; the connection knows it as it was.
  EXPECT_EQ(size(DefaultRootWindow(x_)), std::make_pair(DisplayWidth(x_, 0), DisplayHeight(x_, 0)));
}

bool XScreen::cursorHidden() {
  XWarpPointer(x_, None, DefaultRootWindow(x_), 0, 0, 0, 0, DisplayWidth(x_, 0) / 2, DisplayHeight(x_, 0) / 2);
  XSync(x_, False);
  XFixesCursorImage* image = XFixesGetCursorImage(x_);
  bool invisible = image != nullptr;
  for (int i = 0; image && i < image->width * image->height; ++i) invisible = invisible && (image->pixels[i] >> 24) == 0;
  if (image) XFree(image);
  return invisible;
}

bool XScreen::coversTheScreen(Window w) {
  const XWindowAttributes a = attributes(w);
  EXPECT_EQ(std::make_tuple(a.x, a.y, a.width, a.height),
            std::make_tuple(0, 0, DisplayWidth(x_, 0), DisplayHeight(x_, 0)));
  EXPECT_TRUE(cursorHiddenWithin(true, UNTIL_TIMEOUT));
  return drawsWithin(w, UNTIL_TIMEOUT);
}

// The show looks at its keys once per frame after draining its events, and a message box acts
// on the release, so both see the key. The release goes to the window, and then once more
// through the X server itself: xdotool presses through the server when the window has the
// focus, and the window may be gone by the release (F1 and Escape close it). A finger lifting
// off the key releases it whatever became of the window.
void XScreen::press(Window w, const std::string& key) {
  const std::string id = std::to_string(w);
  const std::string command = "xdotool keydown --window " + id + " " + key + " sleep 0.2 keyup --window " + id +
                              " " + key + " 2>/dev/null; xdotool keyup " + key + " 2>/dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

void XScreen::requestClose(Window w) {
  XEvent e{};
  e.xclient = {ClientMessage, 0, False, x_, w, XInternAtom(x_, "WM_PROTOCOLS", False), 32, {}};
  e.xclient.data.l[0] = long(XInternAtom(x_, "WM_DELETE_WINDOW", False));  // at CurrentTime, 0
  XSendEvent(x_, w, False, NoEventMask, &e);
  XFlush(x_);
}

void XScreen::expectEndsOn(Window w, const std::string& key) {
  key.empty() ? requestClose(w) : press(w, key);
  EXPECT_LE(framesBeforeGone(w), 2) << "played on after " << (key.empty() ? "the close request" : key);
  EXPECT_EQ(ended(UNTIL_TIMEOUT), 0) << output();
}
