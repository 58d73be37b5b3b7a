#include "platform/display.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <vector>

#include "platform/report.h"
#include "platform/sound.h"
#include "platform/win32/pixel_format.h"
#include "platform/win32/windows_api.h"

namespace platform {

struct Window {
  HWND hwnd = nullptr;
  HDC hdc = nullptr;
  bool fullscreen = false;  // true while the display is in the mode this window asked for
};

struct GlContext {
  HGLRC rc = nullptr;
};

namespace {

const char* const WINDOW_CLASS = "OpenGL";
const char* const KEEPER_CLASS = "OpenGL keeper";

HINSTANCE instance = nullptr;
bool videoUp = false;
bool classRegistered = false;  // the show's window class, from videoStart to videoRelease
bool displayChanged = false;  // the show's fullscreen mode is set
bool exitHandlerInstalled = false;
const char* fatalCaption = nullptr;  // the box's, once the program asked for one
HWND showWindow = nullptr;            // the show's window while it exists
std::deque<Event> pending;    // what the window procedure received, for pollEvent to hand out

HWND keeperWindow = nullptr;
HDC keeperDC = nullptr;
HGLRC keeperContext = nullptr;

std::string lastError(const char* call) {
  return std::string(call) + " failed (error " + std::to_string(GetLastError()) + ")";
}

void setFailure(std::string* why, WindowStep* failed, WindowStep step, const std::string& text) {
  if (why) *why = text;
  if (failed) *failed = step;
}

void restoreDisplay() {
  if (displayChanged) {
    ChangeDisplaySettingsA(nullptr, 0);
    displayChanged = false;
  }
}

// A program that ends while the display is in the show's mode gives the desktop its mode back,
// whatever path it leaves by (an asset failure ends the process deep inside start-up). Only then,
// with its window out of the way, may the message that ended it appear: one handler does both,
// in that order.
void atProgramExit() {
  restoreDisplay();
  if (!fatalCaption || !*fatalReport()) return;
  if (showWindow) ShowWindow(showWindow, SW_HIDE);
  soundShutdown();  // the music would play on under the box
  while (ShowCursor(TRUE) < 0) continue;  // a fullscreen show hid it
  MessageBoxA(nullptr, fatalReport(), fatalCaption, MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
}

void installExitHandler() {
  if (exitHandlerInstalled) return;
  std::atexit(atProgramExit);
  exitHandlerInstalled = true;
}

DEVMODEA showMode(int width, int height) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = DWORD(width);
  mode.dmPelsHeight = DWORD(height);
  mode.dmBitsPerPel = 32;
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  return mode;
}

void post(EventKind kind, Key key = Key::None, bool minimised = false) {
  Event event;
  event.kind = kind;
  event.key = key;
  event.minimised = minimised;
  pending.push_back(event);
}

Key keyOf(WPARAM virtualKey) {
  switch (virtualKey) {
    case VK_ESCAPE: return Key::Escape;
    case VK_F1: return Key::F1;
    default: return Key::None;
  }
}

void postKey(EventKind kind, WPARAM virtualKey) {
  const Key key = keyOf(virtualKey);
  if (key != Key::None) post(kind, key);
}

// The show's window procedure sees activation, keys, close requests and system commands; none
// of them is carried out here (a system command, whatever it is, only asks the show to end).
// Everything else is the system's.
LRESULT CALLBACK showWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      // The low word says whether the window became active, the high word whether it is minimised.
      post(LOWORD(wParam) == WA_INACTIVE ? EventKind::Deactivated : EventKind::Activated, Key::None,
           HIWORD(wParam) != 0);
      return 0;
    case WM_SYSCOMMAND: post(EventKind::SystemCommand); return 0;
    case WM_CLOSE: post(EventKind::CloseRequest); return 0;
    case WM_KEYDOWN: postKey(EventKind::KeyDown, wParam); return 0;
    case WM_KEYUP: postKey(EventKind::KeyUp, wParam); return 0;
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

bool registerClass(const char* name, WNDPROC procedure) {
  WNDCLASSA windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = name;
  return RegisterClassA(&windowClass) != 0;
}

// The context that holds the show's textures and display lists for the life of the process, in
// a window that is never shown. Every window's context shares with it, so a fullscreen toggle
// keeps every picture, render target and glyph.
bool makeKeeper() {
  if (keeperContext) return true;
  if (!registerClass(KEEPER_CLASS, DefWindowProcA)) return false;
  keeperWindow = CreateWindowExA(0, KEEPER_CLASS, "", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 16, 16,
                                 nullptr, nullptr, instance, nullptr);
  if (!keeperWindow) return false;
  keeperDC = GetDC(keeperWindow);
  if (keeperDC && setShowPixelFormat(keeperDC, 32) == PixelFormatResult::Set) {
    keeperContext = wglCreateContext(keeperDC);
  }
  if (!keeperContext) {
    if (keeperDC) ReleaseDC(keeperWindow, keeperDC);
    DestroyWindow(keeperWindow);
    keeperWindow = nullptr;
    keeperDC = nullptr;
  }
  return keeperContext != nullptr;
}

// The C runtime's interrupt (Ctrl+C or Ctrl+Break in a console) and terminate signals; the
// handler only records which came, the main loop ends the show through its teardown.
std::atomic<int> endSignal{0};

void onEndSignal(int sig) {
  endSignal.store(sig);
  std::signal(sig, onEndSignal);  // the runtime resets the handler before calling it
}

}  // namespace

void catchEndRequests() {
  static bool caught = false;
  if (caught) return;
  caught = true;
  std::signal(SIGINT, onEndSignal);
  std::signal(SIGTERM, onEndSignal);
}

int endRequest() {
  const int sig = endSignal.load();
  return sig ? 128 + sig : 0;
}

MessageAnswer messageBox(const char* text, const char* caption, MessageButtons buttons, MessageIcon icon) {
  UINT flags = buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK;
  flags |= icon == MessageIcon::Stop ? MB_ICONSTOP : icon == MessageIcon::Exclamation ? MB_ICONEXCLAMATION
                                                                                      : MB_ICONINFORMATION;
  const int answer = MessageBoxA(nullptr, text, caption, flags);
  if (answer <= 0) {
    // No box could be shown (Windows answers 0, Wine without a display -1): the message still
    // reaches someone.
    report("%s: %s", caption, text);
    return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
  }
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
}

void showFatalReportAtExit(const char* caption) {
  fatalCaption = caption;
  installExitHandler();
}

void tellUser(const char* text, const char* caption) {
  // A program with a window gets standard handles only where its starter handed them over: a
  // console's redirection, a pipe, Wine's terminal.
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) {
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONINFORMATION);
    return;
  }
  std::fputs(text, stdout);
  std::fflush(stdout);
}

bool videoStart(std::string* why) {
  if (!videoUp) {
    catchEndRequests();
    instance = GetModuleHandleA(nullptr);
    videoUp = true;
  }
  // Registered for each window and unregistered when it is gone, so every close says whether
  // the system let its window go.
  if (classRegistered) return true;
  if (!registerClass(WINDOW_CLASS, showWindowProcedure)) {
    if (why) *why = lastError("RegisterClassA");
    return false;
  }
  classRegistered = true;
  return true;
}

bool videoRelease() {
  if (!classRegistered) return true;
  if (!UnregisterClassA(WINDOW_CLASS, instance)) return false;
  classRegistered = false;
  return true;
}

bool displayOffersMode(int width, int height) {
  DEVMODEA mode = showMode(width, height);
  return ChangeDisplaySettingsA(&mode, CDS_TEST) == DISP_CHANGE_SUCCESSFUL;
}

int displayRefreshRate() {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 0;
  // 0 and 1 stand for the hardware's default rate, which the system does not name.
  return mode.dmDisplayFrequency > 1 ? int(mode.dmDisplayFrequency) : 0;
}

namespace {

// A window whose client area is the rectangle's size, at its place, with the show's pixel format.
Window* createShowWindow(const char* title, RECT client, DWORD style, DWORD extendedStyle, bool fullscreen,
                         std::string* why, WindowStep* failed) {
  auto* w = new Window;
  w->fullscreen = fullscreen;
  // The frame is added around the client area, so that the client area is exactly the size asked;
  // the window itself, frame and all, starts at the client rectangle's corner.
  RECT rect = client;
  AdjustWindowRectEx(&rect, style, FALSE, extendedStyle);
  w->hwnd = CreateWindowExA(extendedStyle, WINDOW_CLASS, title, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                            client.left, client.top, rect.right - rect.left, rect.bottom - rect.top, nullptr,
                            nullptr, instance, nullptr);
  if (!w->hwnd) {
    setFailure(why, failed, WindowStep::Window, lastError("CreateWindowExA"));
    windowDestroy(w);
    return nullptr;
  }
  showWindow = w->hwnd;
  w->hdc = GetDC(w->hwnd);
  if (!w->hdc) {
    setFailure(why, failed, WindowStep::DeviceContext, lastError("GetDC"));
    windowDestroy(w);
    return nullptr;
  }
  switch (setShowPixelFormat(w->hdc, 32)) {
    case PixelFormatResult::Set:
      break;
    case PixelFormatResult::NoneSuitable:
      setFailure(why, failed, WindowStep::ChoosePixelFormat, lastError("ChoosePixelFormat"));
      windowDestroy(w);
      return nullptr;
    case PixelFormatResult::NotSet:
      setFailure(why, failed, WindowStep::SetPixelFormat, lastError("SetPixelFormat"));
      windowDestroy(w);
      return nullptr;
  }
  return w;
}

}  // namespace

Window* windowCreate(const char* title, int width, int height, bool fullscreen, std::string* why,
                     WindowStep* failed) {
  if (!classRegistered) {
    setFailure(why, failed, WindowStep::Window, "video not started");
    return nullptr;
  }
  DWORD extendedStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
  DWORD style = WS_OVERLAPPEDWINDOW;
  if (fullscreen) {
    DEVMODEA mode = showMode(width, height);
    const LONG result = ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
    if (result != DISP_CHANGE_SUCCESSFUL) {
      setFailure(why, failed, WindowStep::Mode,
                 "ChangeDisplaySettingsA refused the mode (result " + std::to_string(result) + ")");
      return nullptr;
    }
    displayChanged = true;
    installExitHandler();
    extendedStyle = WS_EX_APPWINDOW;
    style = WS_POPUP;
  }
  return createShowWindow(title, RECT{0, 0, width, height}, style, extendedStyle, fullscreen, why, failed);
}

Window* windowCreateOverDesktop(const char* title, std::string* why, WindowStep* failed) {
  if (!classRegistered) {
    setFailure(why, failed, WindowStep::Window, "video not started");
    return nullptr;
  }
  // The primary screen as the desktop has it, in real pixels once useRealPixels was called.
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return createShowWindow(title, screen, WS_POPUP, WS_EX_APPWINDOW, false, why, failed);
}

void useRealPixels() {
  // Looked up rather than linked: the call is Vista's. A manifest that declared the awareness
  // would make it fail, which is why the programs' manifest declares none.
  using SetAware = BOOL(WINAPI*)();
  if (HMODULE user32 = GetModuleHandleA("user32.dll")) {
    if (auto set = reinterpret_cast<SetAware>(reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware")))) {
      set();
    }
  }
}

void windowShow(Window* w) {
  if (!w) return;
  ShowWindow(w->hwnd, SW_SHOW);
  SetForegroundWindow(w->hwnd);
  SetFocus(w->hwnd);
}

void windowLeaveFullscreen(Window* w) {
  if (!w || !w->fullscreen) return;
  ChangeDisplaySettingsA(nullptr, 0);
  displayChanged = false;
  w->fullscreen = false;
}

WindowRelease windowDestroy(Window* w) {
  WindowRelease released;
  if (!w) return released;
  windowLeaveFullscreen(w);
  // A mode granted to a window that could not be made goes back too.
  if (!w->hwnd && displayChanged) restoreDisplay();
  if (w->hdc) released.drawableReleased = ReleaseDC(w->hwnd, w->hdc) != 0;
  // What the window tells its procedure while it is destroyed (its deactivation, above all) is
  // news of a window already closed: the show never hears it, as SDL's show never does.
  const size_t heard = pending.size();
  if (w->hwnd) released.windowDestroyed = DestroyWindow(w->hwnd) != FALSE;
  pending.resize(heard);
  if (w->hwnd == showWindow) showWindow = nullptr;
  delete w;
  return released;
}

bool windowIsFullscreen(const Window* w) { return w && w->fullscreen; }

void windowClientSize(const Window* w, int* width, int* height) {
  RECT rect{};
  if (w) GetClientRect(w->hwnd, &rect);
  if (width) *width = rect.right - rect.left;
  if (height) *height = rect.bottom - rect.top;
}

void windowSwap(Window* w) {
  if (w) SwapBuffers(w->hdc);
}

GlContext* contextCreate(Window* w, std::string* why, bool* unshared) {
  if (unshared) *unshared = false;
  if (!w) {
    if (why) *why = "no window";
    return nullptr;
  }
  if (!makeKeeper()) {
    if (why) *why = "no context to keep the show's pictures and glyphs in: " + lastError("wglCreateContext");
    if (unshared) *unshared = true;
    return nullptr;
  }
  HGLRC rc = wglCreateContext(w->hdc);
  if (!rc) {
    if (why) *why = lastError("wglCreateContext");
    return nullptr;
  }
  // Shared before the new context holds anything of its own, as sharing requires.
  if (!wglShareLists(keeperContext, rc)) {
    if (why) *why = "this window's context cannot share the show's pictures and glyphs: " + lastError("wglShareLists");
    if (unshared) *unshared = true;
    wglDeleteContext(rc);
    return nullptr;
  }
  auto* c = new GlContext;
  c->rc = rc;
  return c;
}

bool contextMakeCurrent(Window* w, GlContext* c) {
  return wglMakeCurrent(w ? w->hdc : nullptr, c ? c->rc : nullptr) != FALSE;
}

bool contextDelete(GlContext* c) {
  if (!c) return false;
  const bool deleted = wglDeleteContext(c->rc) != FALSE;
  delete c;
  return deleted;
}

bool setSwapInterval(int interval) {
  using SwapInterval = BOOL(WINAPI*)(int);
  const PROC entry = wglGetProcAddress("wglSwapIntervalEXT");
  if (!entry) return false;
  return reinterpret_cast<SwapInterval>(reinterpret_cast<void*>(entry))(interval) != FALSE;
}

void showCursor(bool show) { ShowCursor(show ? TRUE : FALSE); }

bool pollEvent(Event* event) {
  for (;;) {
    if (!pending.empty()) {
      *event = pending.front();
      pending.pop_front();
      return true;
    }
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    // The show posts and reads its own quit request; the system's is not its concern.
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace platform
