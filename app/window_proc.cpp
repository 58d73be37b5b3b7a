#include "app/window_proc.h"

#include "app/window.h"
#include "platform/display.h"

bool keys[platform::KEY_COUNT];
uint8_t keyPresses[platform::KEY_COUNT];
bool active = true;

namespace {

bool quitPosted = false;
int quitCode = 0;

}  // namespace

intptr_t windowProc(platform::Window*, uint32_t message, uint32_t wParam, intptr_t) {
  switch (message) {
    case WM_ACTIVATE:
      // Only minimising stops the drawing; losing focus alone does not.
      active = wParam == 0;
      return 0;
    case WM_KEYDOWN:
      if (wParam < platform::KEY_COUNT) {
        uint8_t& pending = keyPresses[wParam];
        if (!keys[wParam] && pending < 255) ++pending;
        if (pending == 0) pending = 1;  // an auto-repeat asks again, but adds no press
        keys[wParam] = true;
      }
      return 0;
    case WM_KEYUP:
      if (wParam < platform::KEY_COUNT) keys[wParam] = false;
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
  using platform::EventKind;
  switch (event.kind) {
    case EventKind::Activated:
    case EventKind::Deactivated: return {WM_ACTIVATE, event.minimised ? 1u : 0u};
    case EventKind::KeyDown: return {WM_KEYDOWN, uint32_t(event.key)};
    case EventKind::KeyUp: return {WM_KEYUP, uint32_t(event.key)};
    case EventKind::CloseRequest: return {WM_CLOSE, 0};
    case EventKind::SystemCommand: return {WM_SYSCOMMAND, 0};
    case EventKind::None: break;
  }
  return {};
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
