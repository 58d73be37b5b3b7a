// The window procedure's message table, the event translation and the posted quit.
#include <gtest/gtest.h>

#include "app/main_loop.h"

namespace {

TEST(WindowProcedure, KeysActivationAndQuitRequests) {
  active = true;
  EXPECT_EQ(windowProc(nullptr, WM_KEYDOWN, VK_ESCAPE, 0), 0);
  EXPECT_TRUE(keys[VK_ESCAPE]);
  windowProc(nullptr, WM_KEYDOWN, VK_F1, 0);
  EXPECT_TRUE(keys[VK_F1]);
  windowProc(nullptr, WM_KEYUP, VK_ESCAPE, 0);
  EXPECT_FALSE(keys[VK_ESCAPE]);
  EXPECT_TRUE(keys[VK_F1]);
  windowProc(nullptr, WM_KEYUP, VK_F1, 0);

  // No key message may write outside the 256 flags.
  windowProc(nullptr, WM_KEYDOWN, 256, 0);
  windowProc(nullptr, WM_KEYDOWN, 0xFFFFFFFFu, 0);

  // Only a minimised window (high word set) is inactive; losing focus alone keeps drawing.
  windowProc(nullptr, WM_ACTIVATE, 0x10000u, 0);
  EXPECT_FALSE(active);
  windowProc(nullptr, WM_ACTIVATE, 0, 0);
  EXPECT_TRUE(active);
  windowProc(nullptr, WM_ACTIVATE, 0x10001u, 0);
  EXPECT_FALSE(active);
  windowProc(nullptr, WM_ACTIVATE, 1, 0);
  EXPECT_TRUE(active);

  // Closing and every system command post a quit with code 0, which the queue hands out first.
  for (uint32_t message : {WM_CLOSE, WM_SYSCOMMAND}) {
    windowProc(nullptr, message, 0xF030u, 0);
    Msg msg;
    ASSERT_TRUE(peekMessage(&msg));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 0u);
  }
}

}  // namespace
