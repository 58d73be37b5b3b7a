#include "app/window_proc.h"

#include "app/window.h"
#include "platform/display.h"

bool keys[256];
uint8_t keyPresses[256];
bool active = true;

namespace {

bool quitPosted = false;
int quitCode = 0;

}  // namespace

intptr_t windowProc(platform::Window*, uint32_t message, uint32_t wParam, intptr_t) {
  switch (message) {
    case WM_ACTIVATE:
      // Only minimising stops the drawing; losing focus alone does not.
      active = (wParam >> 16) == 0;
      return 0;
    case WM_KEYDOWN:
      if (wParam < 256) {
        uint8_t& pending = keyPresses[wParam];
        if (!keys[wParam] && pending < 255) ++pending;
        if (pending == 0) pending = 1;  // an auto-repeat asks again, but adds no press
        keys[wParam] = true;
      }
      return 0;
    case WM_KEYUP:
      if (wParam < 256) keys[wParam] = false;
      return 0;
    case WM_CLOSE:
    case WM_SYSCOMMAND:
      // Any system command ends the show; the command itself is not carried out.
      postQuitMessage(0);
      return 0;
    default:
      return 0;
  }
}

Msg translateEvent(const platform::Event& event) {
  Msg msg;
  msg.wParam = event.wParam;
  switch (event.kind) {
    case platform::EventKind::Activate: msg.message = WM_ACTIVATE; break;
    case platform::EventKind::KeyDown: msg.message = WM_KEYDOWN; break;
    case platform::EventKind::KeyUp: msg.message = WM_KEYUP; break;
    case platform::EventKind::Close: msg.message = WM_CLOSE; break;
    case platform::EventKind::SysCommand: msg.message = WM_SYSCOMMAND; break;
    case platform::EventKind::None: msg.message = 0; break;
  }
  return msg;
}

bool peekMessage(Msg* msg) {
  // A hangup, interrupt, quit or terminate signal asks for the same orderly end as a closed window,
  // with the status a shell reports for that signal.
  if (const int status = platform::endRequest(); status != 0 && !quitPosted) postQuitMessage(status);
  if (quitPosted) {
    quitPosted = false;
    msg->message = WM_QUIT;
    msg->wParam = uint32_t(quitCode);
    return true;
  }
  platform::Event event;
  if (!platform::pollEvent(&event)) return false;
  *msg = translateEvent(event);
  return true;
}

void dispatchMessage(const Msg& msg) { windowProc(hWnd, msg.message, msg.wParam, 0); }

void postQuitMessage(int code) {
  quitPosted = true;
  quitCode = code;
}
