#pragma once
// The window procedure, the message queue it serves and the keyboard table it fills. Owns
// `keys`, `keyPresses` and `active`. Everything runs on the program's one thread.
#include <cstdint>

#include "platform/display.h"

extern bool keys[256];  // key-down flags by Windows virtual-key code
// Presses not yet acted on, by virtual-key code. A key-down message for a key that was up is a
// press; an auto-repeat of a held key only makes sure one is pending. So a tap that goes down
// and up between two passes, as a quick one does during a slow frame, still acts, and each of
// several F1 taps during one slow pass toggles once.
extern uint8_t keyPresses[256];
extern bool active;     // false while the fullscreen window is minimised: nothing is drawn

constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint32_t VK_ESCAPE = 27;
constexpr uint32_t VK_F1 = 112;

struct Msg {
  uint32_t message = 0;
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
