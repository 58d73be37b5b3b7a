#include <gtest/gtest.h>

#include "tests/support/x_screen.h"

#include "tests/support/build_paths.h"

#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

// Windows come and go while a test looks at them (the show toggles, message boxes close):
// asking about one that has just gone is not an error worth ending the test for.
int ignoreXErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

XScreen::XScreen(const std::string& screen) : xvfb_(std::make_unique<Xvfb>(screen)) {
  x_ = xvfb_->ok() ? XOpenDisplay(nullptr) : nullptr;
  if (x_) XSetErrorHandler(ignoreXErrors);
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
  if (program_) program_->wait(seconds, &status);
  return status;
}

std::string XScreen::output() const { return program_ ? program_->output() : "no program"; }

std::string XScreen::name(Window w) {
  // Message boxes name themselves in UTF-8 only; other windows may set only the older name.
  Atom type;
  int format;
  unsigned long items = 0, after;
  unsigned char* data = nullptr;
  XGetWindowProperty(x_, w, XInternAtom(x_, "_NET_WM_NAME", False), 0, 256, False, AnyPropertyType, &type,
                     &format, &items, &after, &data);
  std::string result = data ? std::string(reinterpret_cast<char*>(data), items) : "";
  if (data) XFree(data);
  char* text = nullptr;
  if (result.empty() && XFetchName(x_, w, &text) && text) result = text;
  if (text) XFree(text);
  return result;
}

XWindowAttributes XScreen::attributes(Window w) {
  XWindowAttributes a{};
  XGetWindowAttributes(x_, w, &a);
  return a;
}

void XScreen::collect(Window under, const std::string& title, std::vector<Window>* found) {
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(x_, under, &root, &parent, &children, &count)) return;
  for (unsigned i = 0; i < count; ++i) {
    if (title == name(children[i]) && viewable(children[i])) found->push_back(children[i]);
    collect(children[i], title, found);
  }
  if (children) XFree(children);
}

std::vector<Window> XScreen::windowsNamed(const std::string& title) {
  std::vector<Window> found;
  XSync(x_, False);
  collect(DefaultRootWindow(x_), title, &found);
  return found;
}

Window XScreen::waitForWindow(const std::string& title, double seconds, Window besides) {
  Window found = 0;
  within(seconds, [&] {
    for (Window w : windowsNamed(title)) {
      if (!found && w != besides) found = w;
    }
    return found != 0;
  });
  return found;
}

XImage* XScreen::image(Window w) {
  // Only the part on the screen can be read: a framed window may reach past its edge.
  int left = 0, top = 0;
  Window child;
  XTranslateCoordinates(x_, w, DefaultRootWindow(x_), 0, 0, &left, &top, &child);
  std::pair<int, int> wh = size(w);
  wh.first = std::min(wh.first, DisplayWidth(x_, 0) - left);
  wh.second = std::min(wh.second, DisplayHeight(x_, 0) - top);
  return wh.first > 0 && wh.second > 0 ? XGetImage(x_, w, 0, 0, unsigned(wh.first), unsigned(wh.second), AllPlanes, ZPixmap)
                                       : nullptr;
}

bool XScreen::drawsWithin(Window w, double seconds) {
  return within(seconds, [&] {
    XImage* picture = image(w);
    int lit = 0;
    for (int y = 0; picture && y < picture->height; y += 2) {
      for (int x = 0; x < picture->width; x += 2) lit += (XGetPixel(picture, x, y) & 0xFFFFFF) != 0;
    }
    if (picture) XDestroyImage(picture);
    return lit > 20;
  });
}

LitBox XScreen::litBox(Window w, const LitBox& expected) {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  const auto box = [&] { return right < 0 ? LitBox{} : LitBox{left, top, right - left + 1, bottom - top + 1}; };
  // Counted in frames the show drew, not in reads: a loaded machine reads one frame many times.
  uint64_t last = 0;
  for (int frames = 0; frames < 900 && !(box() == expected);) {
    XImage* picture = image(w);
    uint64_t digest = 1469598103934665603u;
    for (int y = 0; picture && y < picture->height; ++y) {
      for (int x = 0; x < picture->width; ++x) {
        const unsigned long pixel = XGetPixel(picture, x, y) & 0xFFFFFF;
        digest = (digest ^ pixel) * 1099511628211u;
        if (pixel == 0) continue;
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
    if (picture) XDestroyImage(picture);
    frames += digest != last;
    last = digest;
  }
  return box();
}

void XScreen::expectOverTheDesktop(Window w, const LitBox& picture) {
  const XWindowAttributes a = attributes(w);
  EXPECT_EQ(std::make_pair(a.width, a.height), std::make_pair(DisplayWidth(x_, 0), DisplayHeight(x_, 0)));
  EXPECT_EQ(std::make_pair(a.x, a.y), std::make_pair(0, 0));
  EXPECT_TRUE(cursorHiddenWithin(true, 30));
  ASSERT_TRUE(drawsWithin(w, 60)) << output();
  EXPECT_EQ(litBox(w, picture), picture);
  Display* fresh = XOpenDisplay(nullptr);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(std::make_pair(DisplayWidth(fresh, 0), DisplayHeight(fresh, 0)),
            std::make_pair(DisplayWidth(x_, 0), DisplayHeight(x_, 0)));
  XCloseDisplay(fresh);
}

int XScreen::framesUntil(Window w, const std::function<bool(int)>& done, double seconds) {
  // A digest of what the window shows, 0 when it cannot be read.
  const auto digest = [&] {
    XImage* picture = image(w);
    uint64_t d = 1469598103934665603u;
    for (int i = 0; picture && i < picture->bytes_per_line * picture->height; i += 7) {
      d = (d ^ uint8_t(picture->data[i])) * 1099511628211u;
    }
    if (picture) XDestroyImage(picture);
    return picture ? d : 0;
  };
  int frames = 0;
  uint64_t last = digest();
  for (const double end = nowSeconds() + seconds; !done(frames) && nowSeconds() < end; usleep(2000)) {
    const uint64_t now = digest();
    frames += now != last && now != 0;
    last = now;
  }
  return frames;
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

bool XScreen::fullscreenAndDrawing(Window w) {
  EXPECT_TRUE(cursorHiddenWithin(true, 10));
  EXPECT_EQ(size(w), std::make_pair(640, 480));
  EXPECT_EQ(std::make_pair(attributes(w).x, attributes(w).y), std::make_pair(0, 0));
  return drawsWithin(w, 30);
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
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(x_, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = long(XInternAtom(x_, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(x_, w, False, NoEventMask, &e);
  XFlush(x_);
}

void XScreen::expectEndsOn(Window w, const std::string& key) {
  key.empty() ? requestClose(w) : press(w, key);
  EXPECT_LE(framesBeforeGone(w), 2) << "played on after " << (key.empty() ? "the close request" : key);
  EXPECT_EQ(ended(UNTIL_TIMEOUT), 0) << output();
}
