// The Windows show window's life, twice over as an F1 toggle has it: its class registered for each
// window and unregistered after it, its context sharing the kept objects, and every release the
// system is asked for granted, so no closing message would appear.
#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "platform/display.h"

namespace {

bool classRegistered() {
  WNDCLASSA info;
  return GetClassInfoA(GetModuleHandleA(nullptr), "OpenGL", &info) != FALSE;
}

TEST(WindowsWindow, EachWindowRegistersItsClassSharesAndGivesEverythingBack) {
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    std::string why;
    ASSERT_TRUE(platform::videoStart(&why)) << why;
    EXPECT_TRUE(classRegistered());
    platform::Window* window = platform::windowCreate("Kaikuranta", 640, 480, false, &why);
    ASSERT_NE(window, nullptr) << why;
    bool unshared = true;
    platform::GlContext* context = platform::contextCreate(window, &why, &unshared);
    ASSERT_NE(context, nullptr) << why;
    EXPECT_FALSE(unshared);
    EXPECT_TRUE(platform::contextDelete(context));
    const platform::WindowRelease released = platform::windowDestroy(window);
    EXPECT_TRUE(released.drawableReleased);
    EXPECT_TRUE(released.windowDestroyed);
    EXPECT_TRUE(platform::videoRelease());
    EXPECT_FALSE(classRegistered());
  }
  EXPECT_TRUE(platform::videoRelease()) << "nothing left to unregister";
}

}  // namespace
