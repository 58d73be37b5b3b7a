#include "platform/display.h"

#include <SDL.h>
#include <pthread.h>
#include <signal.h>
#include <strings.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/report.h"
#include "platform/sdl2/pixel_format.h"

namespace platform {

struct Window {
  SDL_Window* sdl = nullptr;
  uint32_t id = 0;
  bool fullscreen = false;  // true while the window holds the display in its fullscreen mode
  bool minimised = false;
};

struct GlContext {
  SDL_GLContext sdl = nullptr;
};

namespace {

bool videoUp = false;
// Tries of a named display before giving up on it, the waits between them doubling: 1.5 s in all.
constexpr int VIDEO_TRIES = 5;
constexpr Uint32 VIDEO_RETRY_MS = 100;
std::vector<Window*> openWindows;
SDL_Window* keeperWindow = nullptr;
SDL_GLContext keeperContext = nullptr;
bool exitHandlerInstalled = false;

// Written by the signal handler, on whichever thread the signal lands.
std::atomic<int> endSignal{0};
// True while a message box is up and no window holds the display's mode.
std::atomic<bool> boxEndsAtOnce{false};
pid_t boxOwner = 0;
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the signal handler may only touch lock-free atomics");

void onEndSignal(int sig) {
  int none = 0;
  endSignal.compare_exchange_strong(none, sig);
  if (boxEndsAtOnce.load()) _exit(128 + endSignal.load());
}

// The message box runs in a process forked for it: that process must not outlive the program
// when a signal ends the program under the box.
void boxDiesWithOwner() {
  if (!boxEndsAtOnce.load()) return;
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != boxOwner) _exit(0);
}

bool anyWindowFullscreen() {
  for (const Window* w : openWindows) {
    if (w->fullscreen) return true;
  }
  return false;
}

// A program that ends while the display is in the show's mode must give the desktop its mode
// back, whatever path it leaves by (an asset failure ends the process deep inside start-up).
void restoreDisplayAtExit() {
  for (Window* w : openWindows) {
    if (w->fullscreen) {
      SDL_SetWindowFullscreen(w->sdl, 0);
      w->fullscreen = false;
    }
  }
  SDL_ShowCursor(SDL_ENABLE);
}

bool findExactMode(int width, int height, SDL_DisplayMode* found) {
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
    if (mode.w == width && mode.h == height && SDL_BITSPERPIXEL(mode.format) >= 24) {
      *found = mode;
      return true;
    }
  }
  return false;
}

Window* windowById(uint32_t id) {
  for (Window* w : openWindows) {
    if (w->id == id) return w;
  }
  return nullptr;
}

}  // namespace

void showFatalReportAtExit(const char*) {}

void tellUser(const char* text, const char*) {
  std::fputs(text, stdout);
  std::fflush(stdout);
}

void catchEndRequests() {
  static bool caught = false;
  if (caught) return;
  caught = true;
  // SDL would turn interrupt and terminate into a plain quit, losing which signal it was.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  struct sigaction action {};
  action.sa_handler = onEndSignal;
  action.sa_flags = SA_RESTART;  // the libraries underneath need not expect interrupted calls
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGHUP, SIGINT, SIGQUIT, SIGTERM}) sigaddset(&action.sa_mask, sig);
  for (int sig : {SIGHUP, SIGINT, SIGQUIT, SIGTERM}) sigaction(sig, &action, nullptr);
  pthread_atfork(nullptr, nullptr, boxDiesWithOwner);
}

int endRequest() {
  const int sig = endSignal.load();
  return sig ? 128 + sig : 0;
}

MessageAnswer messageBox(const char* text, const char* caption, MessageButtons buttons,
                         MessageIcon icon) {
  SDL_MessageBoxButtonData yesNo[2] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
  };
  SDL_MessageBoxButtonData ok[1] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 1, "OK"},
  };
  SDL_MessageBoxData box{};
  box.flags = icon == MessageIcon::Stop          ? SDL_MESSAGEBOX_ERROR
              : icon == MessageIcon::Exclamation ? SDL_MESSAGEBOX_WARNING
                                                 : SDL_MESSAGEBOX_INFORMATION;
  box.window = nullptr;
  box.title = caption;
  box.message = text;
  box.numbuttons = buttons == MessageButtons::YesNo ? 2 : 1;
  box.buttons = buttons == MessageButtons::YesNo ? yesNo : ok;
  int pressed = -1;
  // A box waits on the viewer; a signal meanwhile must not wait with it. With the desktop in its
  // own mode there is nothing to give back, and a request that came before the box ends it now.
  boxOwner = getpid();
  boxEndsAtOnce = !anyWindowFullscreen();
  if (boxEndsAtOnce && endSignal.load() != 0) _exit(endRequest());
  const int shown = SDL_ShowMessageBox(&box, &pressed);
  boxEndsAtOnce = false;
  if (shown != 0) {
    // No box could be shown: the message still reaches someone.
    report("%s: %s", caption, text);
    return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
  }
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  return pressed == 1 ? MessageAnswer::Yes : MessageAnswer::No;
}

// SDL windows need no class: there is nothing to register or give back.
bool videoRelease() { return true; }

bool videoStart(std::string* why) {
  if (videoUp) return true;
  catchEndRequests();
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  const char* display = SDL_getenv("DISPLAY");
  for (int attempt = 1;; ++attempt) {
    std::string failure;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      failure = SDL_GetError();
    } else {
      const char* driver = SDL_GetCurrentVideoDriver();
      const bool showsNothing =
          driver && (strcasecmp(driver, "offscreen") == 0 || strcasecmp(driver, "dummy") == 0);
      if (!showsNothing || (asked && strcasecmp(asked, driver) == 0)) {
        videoUp = true;
        return true;
      }
      failure = std::string("no display to open a window on (SDL fell back to its ") + driver + " driver)";
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    // An X server at its client limit refuses new connections until one it holds has closed,
    // which on a busy server takes a moment after a program ends; a named display is asked
    // again a few times before the program gives up on it.
    if (!display || !*display || attempt == VIDEO_TRIES) {
      if (why) *why = failure;
      return false;
    }
    SDL_Delay(VIDEO_RETRY_MS << (attempt - 1));
  }
}

bool displayOffersMode(int width, int height) {
  SDL_DisplayMode mode;
  return videoUp && findExactMode(width, height, &mode);
}

int displayRefreshRate() {
  SDL_DisplayMode mode;
  if (!videoUp || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
  return mode.refresh_rate;
}

Window* windowCreate(const char* title, int width, int height, bool fullscreen, std::string* why,
                     WindowStep* failed) {
  if (failed) *failed = WindowStep::Window;
  if (!videoUp) {
    if (why) *why = "video not started";
    return nullptr;
  }
  requestShowPixelFormat();
  SDL_DisplayMode mode{};
  if (fullscreen && !findExactMode(width, height, &mode)) {
    if (why) *why = "the display offers no such mode";
    if (failed) *failed = WindowStep::Mode;
    return nullptr;
  }
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN;
  int x = fullscreen ? 0 : int(SDL_WINDOWPOS_CENTERED);
  SDL_Window* sdl = SDL_CreateWindow(title, x, x, width, height, flags);
  if (!sdl) {
    if (why) *why = SDL_GetError();
    return nullptr;
  }
  if (fullscreen) {
    if (SDL_SetWindowDisplayMode(sdl, &mode) != 0) {
      if (why) *why = SDL_GetError();
      if (failed) *failed = WindowStep::Mode;
      SDL_DestroyWindow(sdl);
      return nullptr;
    }
    if (!exitHandlerInstalled) {
      std::atexit(restoreDisplayAtExit);
      exitHandlerInstalled = true;
    }
  }
  auto* w = new Window;
  w->sdl = sdl;
  w->id = SDL_GetWindowID(sdl);
  w->fullscreen = fullscreen;
  openWindows.push_back(w);
  return w;
}

Window* windowCreateOverDesktop(const char* title, std::string* why, WindowStep* failed) {
  if (failed) *failed = WindowStep::Window;
  SDL_Rect screen{};
  if (!videoUp || SDL_GetDisplayBounds(0, &screen) != 0) {
    if (why) *why = videoUp ? SDL_GetError() : "video not started";
    return nullptr;
  }
  requestShowPixelFormat();
  // SDL's desktop fullscreen: the window takes the screen as it is. It is also placed and sized
  // over the screen, for a window manager that does not honour the fullscreen request.
  const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS |
                       SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_ALLOW_HIGHDPI;
  SDL_Window* sdl = SDL_CreateWindow(title, screen.x, screen.y, screen.w, screen.h, flags);
  if (!sdl) {
    if (why) *why = SDL_GetError();
    return nullptr;
  }
  auto* w = new Window;
  w->sdl = sdl;
  w->id = SDL_GetWindowID(sdl);
  openWindows.push_back(w);
  return w;
}

void useRealPixels() {}

void windowShow(Window* w) {
  if (!w) return;
  SDL_ShowWindow(w->sdl);
  SDL_RaiseWindow(w->sdl);
}

void windowLeaveFullscreen(Window* w) {
  if (!w || !w->fullscreen) return;
  SDL_SetWindowFullscreen(w->sdl, 0);
  w->fullscreen = false;
}

WindowRelease windowDestroy(Window* w) {
  if (!w) return {};
  // SDL forgets what its X queue still holds for a window it destroys: take the keys pressed
  // on this one into the event queue first.
  SDL_PumpEvents();
  windowLeaveFullscreen(w);
  for (size_t i = 0; i < openWindows.size(); ++i) {
    if (openWindows[i] == w) {
      openWindows.erase(openWindows.begin() + long(i));
      break;
    }
  }
  // SDL says nothing of how a window went.
  SDL_DestroyWindow(w->sdl);
  delete w;
  return {};
}

bool windowIsFullscreen(const Window* w) { return w && w->fullscreen; }

void windowClientSize(const Window* w, int* width, int* height) {
  int cw = 0, ch = 0;
  if (w) SDL_GL_GetDrawableSize(w->sdl, &cw, &ch);
  if (width) *width = cw;
  if (height) *height = ch;
}

void windowSwap(Window* w) {
  if (w) SDL_GL_SwapWindow(w->sdl);
}

GlContext* contextCreate(Window* w, std::string* why, bool* unshared) {
  if (unshared) *unshared = false;
  if (!w) {
    if (why) *why = "no window";
    return nullptr;
  }
  requestShowPixelFormat();
  // The keeper context holds the show's textures and display lists for the life of the process;
  // every window's context shares them, so a fullscreen toggle keeps every picture and glyph.
  if (!keeperContext) {
    keeperWindow = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (keeperWindow) {
      keeperContext = SDL_GL_CreateContext(keeperWindow);
      if (!keeperContext) {
        SDL_DestroyWindow(keeperWindow);
        keeperWindow = nullptr;
      }
    }
  }
  if (!keeperContext || SDL_GL_MakeCurrent(keeperWindow, keeperContext) != 0) {
    if (why) *why = std::string("no context to keep the show's pictures and glyphs in: ") + SDL_GetError();
    if (unshared) *unshared = true;
    SDL_GL_MakeCurrent(nullptr, nullptr);
    return nullptr;
  }
  // GLX and EGL make no context that cannot share with the one given: no check of its own here.
  SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
  SDL_GLContext sdl = SDL_GL_CreateContext(w->sdl);
  SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
  if (!sdl) {
    if (why) *why = SDL_GetError();
    SDL_GL_MakeCurrent(nullptr, nullptr);
    return nullptr;
  }
  auto* c = new GlContext;
  c->sdl = sdl;
  return c;
}

bool contextMakeCurrent(Window* w, GlContext* c) {
  return SDL_GL_MakeCurrent(w ? w->sdl : nullptr, c ? c->sdl : nullptr) == 0;
}

bool contextDelete(GlContext* c) {
  if (!c) return false;
  SDL_GL_DeleteContext(c->sdl);
  delete c;
  return true;
}

bool setSwapInterval(int interval) { return SDL_GL_SetSwapInterval(interval) == 0; }

void showCursor(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

static Key keyOf(SDL_Keycode key) {
  switch (key) {
    case SDLK_ESCAPE: return Key::Escape;
    case SDLK_F1: return Key::F1;
    default: return Key::None;
  }
}

bool pollEvent(Event* out) {
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    *out = Event{};
    switch (e.type) {
      case SDL_QUIT:
        out->kind = EventKind::CloseRequest;
        return true;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        out->key = keyOf(e.key.keysym.sym);
        if (out->key == Key::None) break;
        out->kind = e.type == SDL_KEYDOWN ? EventKind::KeyDown : EventKind::KeyUp;
        return true;
      }
      case SDL_WINDOWEVENT: {
        Window* w = windowById(e.window.windowID);
        if (!w) break;
        switch (e.window.event) {
          case SDL_WINDOWEVENT_SHOWN:
            // A window just shown is active, whatever its predecessor was (minimised, say).
            w->minimised = false;
            out->kind = EventKind::Activated;
            return true;
          case SDL_WINDOWEVENT_CLOSE:
            out->kind = EventKind::CloseRequest;
            return true;
          case SDL_WINDOWEVENT_MAXIMIZED:
            // A fullscreen window may be reported maximised as it is placed: not a request.
            if (w->fullscreen) break;
            out->kind = EventKind::SystemCommand;
            return true;
          case SDL_WINDOWEVENT_MINIMIZED:
            if (!w->fullscreen) {
              out->kind = EventKind::SystemCommand;
              return true;
            }
            // Fullscreen gives way to another application: the show stops drawing.
            w->minimised = true;
            out->kind = EventKind::Deactivated;
            out->minimised = true;
            return true;
          case SDL_WINDOWEVENT_RESTORED:
            if (!w->minimised) break;
            w->minimised = false;
            out->kind = EventKind::Activated;
            return true;
          default:
            break;
        }
        break;
      }
      default:
        break;
    }
  }
  return false;
}

}  // namespace platform
