// GoogleTest before Xlib: Xlib's macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include "tests/win/wine/wine_session.h"

#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace {

// Windows come and go while a test looks at them (the show toggles, message boxes close):
// asking about one that has just gone is not an error worth ending the test for.
int ignoreXErrors(Display*, XErrorEvent*) { return 0; }

std::map<std::string, std::string> wineEnvironment() {
  return {
      {"WINEPREFIX", winePrefix()},
      {"WINEDEBUG", "-all"},
      // No Mono or Gecko installers; only the PulseAudio driver, so no sound server means no
      // device (the ALSA driver would find none either, only louder).
      {"WINEDLLOVERRIDES", "mscoree,mshtml=;winealsa.drv=d"},
      {"PULSE_SERVER", "unix:/nonexistent/kaikuranta-no-sound-server"},
      // The programs' own tests look for data/ beside them.
      {"KK_BINARY_DIR", windowsBuildDir()},
  };
}

void runQuietly(const std::string& command) { EXPECT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command; }

std::string wineserver() { return std::string(KK_WINE64).substr(0, std::string(KK_WINE64).rfind('/')) + "/wineserver"; }

}  // namespace

std::string windowsBuildDir() {
  const char* dir = std::getenv("KK_WINDOWS_BUILD_DIR");
  return dir ? dir : KK_DEFAULT_WINDOWS_BUILD_DIR;
}

std::string winePrefix() {
  const char* prefix = std::getenv("KK_WINEPREFIX");
  return prefix ? prefix : windowsBuildDir() + "/../wineprefix";
}

bool within(double seconds, const std::function<bool()>& done) {
  for (const double deadline = nowSeconds() + seconds; !done(); usleep(50000)) {
    if (nowSeconds() > deadline) return false;
  }
  return true;
}

WineSession::WineSession(const std::string& screen) {
  xvfb_ = std::make_unique<Xvfb>(screen);
  x_ = xvfb_->ok() ? XOpenDisplay(nullptr) : nullptr;
  if (!x_) return;
  XSetErrorHandler(ignoreXErrors);
  // The first run makes the prefix (about 20 s); later ones find it ready.
  struct stat st;
  if (stat((winePrefix() + "/system.reg").c_str(), &st) != 0) {
    std::string env;
    for (const auto& [k, v] : wineEnvironment()) env += k + "='" + v + "' ";
    runQuietly(env + KK_WINE64 + " wineboot -i");
    runQuietly("WINEPREFIX='" + winePrefix() + "' " + wineserver() + " -w");
  }
}

WineSession::~WineSession() {
  program_.reset();
  // Explorer and the other processes Wine starts beside a program belong to the prefix's server.
  const std::string server = "WINEPREFIX='" + winePrefix() + "' " + wineserver();
  std::system((server + " -k >/dev/null 2>&1; " + server + " -w >/dev/null 2>&1").c_str());
  if (x_) XCloseDisplay(x_);
  xvfb_.reset();
}

void WineSession::start(const std::string& program, const std::vector<std::string>& args, const std::string& dir,
                        const std::map<std::string, std::string>& env) {
  std::map<std::string, std::string> all = wineEnvironment();
  for (const auto& [k, v] : env) all[k] = v;
  std::vector<std::string> argv = {KK_WINE64, program};
  argv.insert(argv.end(), args.begin(), args.end());
  program_ = std::make_unique<ChildProcess>(argv, dir, all);
}

int WineSession::ended(double seconds) {
  int status = -1;
  if (program_) program_->wait(seconds, &status);
  return status;
}

std::string WineSession::output() const { return program_ ? program_->output() : "no program"; }

std::string WineSession::name(Window w) {
  char* text = nullptr;
  std::string result;
  if (XFetchName(x_, w, &text) && text) result = text;
  if (text) XFree(text);
  return result;
}

XWindowAttributes WineSession::attributes(Window w) {
  XWindowAttributes a{};
  XGetWindowAttributes(x_, w, &a);
  return a;
}

bool WineSession::viewable(Window w) { return attributes(w).map_state == IsViewable; }

std::pair<int, int> WineSession::size(Window w) { return {attributes(w).width, attributes(w).height}; }

Window WineSession::find(Window under, const std::string& title) {
  Window root, parent, *children = nullptr, found = 0;
  unsigned count = 0;
  if (!XQueryTree(x_, under, &root, &parent, &children, &count)) return 0;
  for (unsigned i = 0; i < count && !found; ++i) {
    found = title == name(children[i]) && viewable(children[i]) ? children[i] : find(children[i], title);
  }
  if (children) XFree(children);
  return found;
}

Window WineSession::waitForWindow(const std::string& title, double seconds) {
  Window w = 0;
  within(seconds, [&] { return XSync(x_, False), (w = find(DefaultRootWindow(x_), title)) != 0; });
  return w;
}

bool WineSession::drawsWithin(Window w, double seconds) {
  return within(seconds, [&] {
    // Only the part on the screen can be read: a framed window may reach past its edge.
    int left = 0, top = 0;
    Window child;
    XTranslateCoordinates(x_, w, DefaultRootWindow(x_), 0, 0, &left, &top, &child);
    std::pair<int, int> wh = size(w);
    wh.first = std::min(wh.first, DisplayWidth(x_, 0) - left);
    wh.second = std::min(wh.second, DisplayHeight(x_, 0) - top);
    XImage* image = wh.first > 0 && wh.second > 0
                        ? XGetImage(x_, w, 0, 0, unsigned(wh.first), unsigned(wh.second), AllPlanes, ZPixmap)
                        : nullptr;
    int lit = 0;
    for (int y = 0; image && y < wh.second; y += 2) {
      for (int x = 0; x < wh.first; x += 2) lit += (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
    }
    if (image) XDestroyImage(image);
    return lit > 20;
  });
}

bool WineSession::cursorHiddenWithin(bool hidden, double seconds) {
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

void WineSession::press(Window w, const std::string& key) {
  const std::string id = std::to_string(w);
  const std::string command = "xdotool keydown --window " + id + " " + key + " 2>/dev/null; sleep 0.2; xdotool keyup --window " +
                              id + " " + key + " 2>/dev/null";
  std::system(command.c_str());
}

void WineSession::requestClose(Window w) {
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
