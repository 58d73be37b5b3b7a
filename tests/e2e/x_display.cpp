#include "tests/e2e/x_display.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/support/xvfb.h"

namespace {

// Windows come and go while the test looks at them (the show toggles, message boxes close):
// asking about one that has just gone is not an error worth ending the test for.
int ignoreXErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

XDisplay::XDisplay() : display_(XOpenDisplay(nullptr)) { XSetErrorHandler(ignoreXErrors); }

XDisplay::~XDisplay() {
  if (display_) XCloseDisplay(display_);
}

bool XDisplay::viewable(unsigned long window) {
  XWindowAttributes a;
  if (!XGetWindowAttributes(display_, window, &a)) return false;
  return a.map_state == IsViewable;
}

std::string XDisplay::name(unsigned long window) {
  // Message boxes name themselves in UTF-8 only; the show's windows in both forms.
  Atom netName = XInternAtom(display_, "_NET_WM_NAME", False);
  Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
  Atom type;
  int format;
  unsigned long items, after;
  unsigned char* data = nullptr;
  std::string result;
  if (XGetWindowProperty(display_, window, netName, 0, 256, False, utf8, &type, &format, &items,
                         &after, &data) == Success && data) {
    result.assign(reinterpret_cast<const char*>(data), items);
    XFree(data);
    return result;
  }
  char* plain = nullptr;
  if (XFetchName(display_, window, &plain) && plain) {
    result = plain;
    XFree(plain);
  }
  return result;
}

unsigned long XDisplay::find(unsigned long under, const std::string& title) {
  Window root, parent, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display_, under, &root, &parent, &children, &count)) return 0;
  unsigned long found = 0;
  for (unsigned int i = 0; i < count && !found; ++i) {
    if (title == name(children[i]) && viewable(children[i])) found = children[i];
    if (!found) found = find(children[i], title);
  }
  if (children) XFree(children);
  return found;
}

unsigned long XDisplay::waitForWindow(const std::string& title, double seconds) {
  const double deadline = nowSeconds() + seconds;
  do {
    XSync(display_, False);
    if (unsigned long w = find(DefaultRootWindow(display_), title)) return w;
    usleep(50000);
  } while (nowSeconds() < deadline);
  return 0;
}

bool XDisplay::cursorHidden() {
  XWarpPointer(display_, None, DefaultRootWindow(display_), 0, 0, 0, 0,
               DisplayWidth(display_, 0) / 2, DisplayHeight(display_, 0) / 2);
  XSync(display_, False);
  XFixesCursorImage* image = XFixesGetCursorImage(display_);
  if (!image) return false;
  bool invisible = true;
  for (int i = 0; i < image->width * image->height; ++i) {
    if ((image->pixels[i] >> 24) != 0) invisible = false;  // any opaque pixel shows
  }
  XFree(image);
  return invisible;
}

bool XDisplay::waitForCursorHidden(bool expected, double seconds) {
  const double deadline = nowSeconds() + seconds;
  bool state = cursorHidden();
  while (state != expected && nowSeconds() < deadline) {
    usleep(50000);
    state = cursorHidden();
  }
  return state;
}

void XDisplay::size(unsigned long window, int* width, int* height) {
  XWindowAttributes a{};
  XGetWindowAttributes(display_, window, &a);
  *width = a.width;
  *height = a.height;
}

bool XDisplay::waitForPicture(unsigned long window, double seconds) {
  const double deadline = nowSeconds() + seconds;
  do {
    int width = 0, height = 0;
    size(window, &width, &height);
    XImage* image = width > 0 ? XGetImage(display_, window, 0, 0, unsigned(width), unsigned(height),
                                          AllPlanes, ZPixmap)
                              : nullptr;
    int lit = 0;
    if (image) {
      for (int y = 0; y < height; y += 2) {
        for (int x = 0; x < width; x += 2) {
          if ((XGetPixel(image, x, y) & 0xFFFFFF) != 0) ++lit;
        }
      }
      XDestroyImage(image);
    }
    if (lit > 20) return true;
    usleep(100000);
  } while (nowSeconds() < deadline);
  return false;
}

void XDisplay::requestClose(unsigned long window) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = long(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window, False, NoEventMask, &e);
  XFlush(display_);
}

void XDisplay::press(unsigned long window, const std::string& keyName) {
  const std::string id = std::to_string(window);
  // The release goes to the window (a message box acts on it), and then once more through the
  // X server itself: xdotool presses through the server when the window has the focus, and the
  // window may be gone by the release (F1 and Escape close it). A finger lifting off the key
  // releases it whatever became of the window.
  const std::string command = "xdotool keydown --window " + id + " " + keyName + " sleep 0.2 keyup --window " +
                              id + " " + keyName + " 2>/dev/null; xdotool keyup " + keyName + " 2>/dev/null";
  if (std::system(command.c_str()) != 0) {
  }
}
