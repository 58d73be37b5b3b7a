#pragma once
// The window procedure, the message queue it serves and the keyboard table it fills. Owns
// `keys`, `keyPresses` and `active`. Everything runs on the program's one thread.
#include <cstdint>

#include "platform/display.h"

// The keys the loop reads, by the names the show has always given them.
constexpr uint32_t VK_ESCAPE = uint32_t(platform::Key::Escape);
constexpr uint32_t VK_F1 = uint32_t(platform::Key::F1);

extern bool keys[platform::KEY_COUNT];  // key-down flags by key
// Presses not yet acted on, by key. A key-down message for a key that was up is a press; an
// auto-repeat of a held key only makes sure one is pending. So a tap that goes down and up
// between two passes, as a quick one does during a slow frame, still acts, and each of several
// F1 taps during one slow pass toggles once.
extern uint8_t keyPresses[platform::KEY_COUNT];
extern bool active;  // false while the fullscreen window is minimised: nothing is drawn

// The window procedure's messages: one for each kind of platform event (activation either way is
// WM_ACTIVATE), and the quit the show posts itself.
enum : uint32_t { WM_NULL, WM_ACTIVATE, WM_KEYDOWN, WM_KEYUP, WM_CLOSE, WM_SYSCOMMAND, WM_QUIT };

// A message and its one parameter: the key (WM_KEYDOWN, WM_KEYUP), non-zero when the window is
// minimised (WM_ACTIVATE), the exit status (WM_QUIT).
struct Msg {
  uint32_t message = WM_NULL;
  uint32_t wParam = 0;
};

// The window procedure: the keyboard table, activation, and every close or system command
// turned into a quit request.
intptr_t windowProc(platform::Window* window, uint32_t message, uint32_t wParam, intptr_t lParam);

// The queue: a posted quit comes first, then the platform's events translated to messages.
bool peekMessage(Msg* msg);
void dispatchMessage(const Msg& msg);
void postQuitMessage(int code);
// The message for a platform event (also used by tests).
Msg translateEvent(const platform::Event& event);
