#pragma once
// The show's one window and its GL context: opened at start and after every F1 toggle, closed
// before every toggle and at the end. Owns the window handles and `fullscreen`.
#include "platform/display.h"

extern platform::Window* hWnd;    // the window
extern platform::Window* hDC;     // the drawable that is swapped (the window itself here)
extern platform::GlContext* hRC;  // the GL context, current on the program's thread
extern bool fullscreen;           // true while the show asks for (or holds) the fullscreen mode

// How the show takes the whole screen. The faithful show switches the display to the frame's own
// mode (or asks to play in a window); over the desktop it never changes the mode: a borderless
// window covers the screen and the frame sits in its middle with black bars.
enum class ScreenUse { ModeSwitch, OverDesktop };
extern ScreenUse screenUse;
// Set by the options before the first window: the frame takes the tallest 4:3 size the first
// desktop-sized window holds.
extern bool frameFitsFirstWindow;

// Opens the window with a client area of width x height (the frame's size), or over the desktop,
// and a current context; on failure the user has been told in a message box and false comes back.
bool openWindow(const char* title, int width, int height, int bits, bool fullscreenRequested);
// F1: closes the window and opens it again in the other mode. Where the new window's context
// cannot share the show's pictures and glyphs, one line on standard error says so and the show
// reopens in the mode it had. False when no window could be opened (the user has been told).
bool toggleFullscreen(const char* title, int width, int height, int bits);
// Gives the desktop its mode back and releases the context, the window and its class; each
// release the system refuses is shown in a box. Safe to call twice.
void closeWindow();
void setProjection(int width, int height);
// Its perspective: a 90-degree field of view, the near plane at the single-precision value of
// 0.1 (as the show has always used it) and the far plane out of reach.
constexpr double PROJECTION_FOV_DEGREES = 90.0;
constexpr double PROJECTION_NEAR = 0.10000000149011612;
constexpr double PROJECTION_FAR = 10000.0;
bool initGLState();
