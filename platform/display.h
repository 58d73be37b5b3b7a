#pragma once
// The window, its GL context, the display mode, message boxes and the event queue. Plain C++
// types only: SDL2 stands behind these calls on Linux, Win32 and WGL on Windows. Everything
// here runs on the program's one thread.
#include <cstdint>
#include <string>

namespace platform {

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { Exclamation, Stop, Information };
enum class MessageAnswer { Ok, Yes, No };

// A modal box with no owner window. When no box can be shown (no display), the caption and text
// go to standard error as one reported line ("kaikuranta: ERROR: Window Creation Error.") and the
// answer is the one Escape would give (No, or Ok).
MessageAnswer messageBox(const char* text, const char* caption, MessageButtons buttons,
                         MessageIcon icon);

// From now on, a program that ends after a fatal report (platform::reportFatal) also shows it
// in a box with `caption` and the stop icon, once its window is hidden and the desktop has its
// mode back: Windows, where a program with a window has no console and standard error reaches
// nobody. On Linux standard error stays the one voice, and this does nothing.
void showFatalReportAtExit(const char* caption);

// Text the user asked for (--help, --version), on standard output; on Windows, where a program
// started from a shortcut or a console without redirection has no standard output, in a box
// with `caption` instead.
void tellUser(const char* text, const char* caption);

// Catches the signals that ask a program to end (hangup, interrupt, quit, terminate; on Windows
// the C runtime's interrupt and terminate) from now on; videoStart does it too. The handler only
// records the signal, which endRequest reports to the main loop. On Linux, while a message box
// is up and no window holds the display's mode, nothing needs the program's thread to end
// cleanly, so the program ends at once, box and all.
void catchEndRequests();
// 0 until such a signal came; then the status to end with: 128 + the signal's number.
int endRequest();

// Readies the video side for one window: the first call starts it and refuses a display that
// shows nothing (on Linux SDL's offscreen or dummy driver, unless the environment named it), so
// the show never plays invisibly; every call also registers the window class windowCreate uses
// (Windows; Linux has none), which videoRelease gives back once the window is destroyed.
bool videoStart(std::string* why);
// Unregisters the window class of the last videoStart; false when the system refuses (a window
// of the class still exists). True when nothing is registered, so a second call does no harm.
bool videoRelease();

// Whether the display offers exactly this mode (at 24 colour bits or more).
bool displayOffersMode(int width, int height);
// The display's refresh rate in Hz, or 0 when it does not say.
int displayRefreshRate();

struct Window;
struct GlContext;

// A window whose client area is width x height: fullscreen in the exact display mode (which is
// restored by an exit handler if the program ends without closing the window), or an ordinary
// decorated window. Created hidden; windowShow maps it, and its activation follows (Activated,
// not minimised), as Windows tells a newly shown window. The GL pixel format asked for
// is double-buffered RGBA with 32 colour bits (8-8-8-8 on Linux) and a depth buffer of at least
// 16 bits.
// `failed` tells which step went wrong, so the user hears it in the show's own words.
enum class WindowStep { Mode, Window, DeviceContext, ChoosePixelFormat, SetPixelFormat };
Window* windowCreate(const char* title, int width, int height, bool fullscreen, std::string* why,
                     WindowStep* failed = nullptr);
// A borderless window over the whole (primary) screen at the desktop's own mode: no mode
// change, and its drawable is the screen's size (windowClientSize tells it). Created hidden, as
// windowCreate's, with the same pixel format.
Window* windowCreateOverDesktop(const char* title, std::string* why, WindowStep* failed = nullptr);
// From now on, window and screen sizes are the screen's real pixels: on Windows the process
// becomes DPI aware, so the system stops scaling its windows up (call it before the first window).
// Linux's X11 never scales; SDL asks Wayland for the real pixels of a desktop window.
void useRealPixels();
void windowShow(Window* window);
// Leaves the fullscreen mode (the desktop mode comes back); nothing for a windowed window.
void windowLeaveFullscreen(Window* window);
// Destroys the window, leaving fullscreen first. Releasing its drawable (Windows' device context)
// and destroying the window are both attempted; each says whether the system agreed.
struct WindowRelease {
  bool drawableReleased = true;
  bool windowDestroyed = true;
};
WindowRelease windowDestroy(Window* window);
bool windowIsFullscreen(const Window* window);
void windowClientSize(const Window* window, int* width, int* height);
void windowSwap(Window* window);

// Compatibility-profile contexts. Every context shares its textures and display lists with one
// kept for the life of the process, so closing a window loses none of the show's objects. A
// context that cannot share them (the kept context could not be made, or the system refuses to
// share with this window's pixel format or driver) is not made: it would draw every picture and
// glyph blank. contextCreate then returns null with the reason and sets `*unshared`; the caller
// goes back to a window that shares (an F1 toggle keeps the mode the show had, after one line on
// standard error) or, at start, reports it as any other context failure.
GlContext* contextCreate(Window* window, std::string* why, bool* unshared = nullptr);
bool contextMakeCurrent(Window* window, GlContext* context);  // null, null releases
bool contextDelete(GlContext* context);

// Requests the swap interval for the current context; false when the driver refuses it.
bool setSwapInterval(int interval);

void showCursor(bool show);

// The keys the show acts on. Each backend translates its own key codes; other keys never arrive.
enum class Key : uint8_t { None, Escape, F1 };
constexpr int KEY_COUNT = 3;  // one past the last Key, for tables indexed by it

// What happens to the show's window, as each backend's own events are translated once.
enum class EventKind {
  None,
  Activated,      // the window became the active one; a newly shown window is activated
  Deactivated,    // this one was minimised, or (where the system says) another became active
  KeyDown,        // a press, or the keyboard's auto-repeat of a held key
  KeyUp,
  CloseRequest,   // the window's close button, the window manager's close, a quit request
  SystemCommand,  // any command of the window's system menu or frame: move, size, minimise,
                  // maximise, the screen saver (none is carried out)
};
struct Event {
  EventKind kind = EventKind::None;
  Key key = Key::None;     // KeyDown and KeyUp: never None
  bool minimised = false;  // Activated and Deactivated: whether the window is minimised
};
// Takes one event off the queue; false when the queue is empty. Events of no interest to the
// show (moves, exposes, other keys, window events of windows already closed) are dropped.
// Keys are the keyboard's, not a window's: a press made while its window was closing still
// arrives.
bool pollEvent(Event* event);

}  // namespace platform
