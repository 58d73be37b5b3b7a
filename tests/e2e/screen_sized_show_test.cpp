// The show over the desktop and in a window of a chosen height, on a 1920x1080 screen with no
// window manager: no display-mode change, no question asked, the picture as large as it fits,
// in the middle, with black bars.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/show_test.h"

namespace {

class ScreenSizedShow : public ShowTest<XScreen> {
 protected:
  // The show started with `option` on a 1920x1080 screen; its first window, or 0.
  Window start(const std::vector<std::string>& options) {
    x_ = std::make_unique<XScreen>("1920x1080x24");
    if (!x_->ok()) return 0;
    x_->startShow(options);
    return x_->waitForWindow("Kaikuranta", 30);
  }
  // The next window of the show after `previous` went: F1's.
  Window toggle(Window previous) {
    x_->press(previous, "F1");
    return x_->waitForWindow("Rovora", 30, previous);
  }
  void expectFramedWindow(Window w, int width, int height) {
    EXPECT_EQ(x_->size(w), std::make_pair(width, height));
    EXPECT_TRUE(x_->cursorHiddenWithin(false, 30));
    ASSERT_TRUE(x_->drawsWithin(w, 30)) << output();
    EXPECT_EQ(x_->litBox(w, {0, 0, width, height}), (LitBox{0, 0, width, height}));
  }
};

// The tallest 4:3 picture a 1920x1080 screen holds is 1440x1080; F1 goes to a window of that
// size and back, and Escape ends the show as it ends the faithful one.
TEST_F(ScreenSizedShow, OverTheDesktopThePictureIsAsTallAsTheScreenBetweenBlackBars) {
  const Window desktop = start({"--desktop"});
  ASSERT_NE(desktop, 0u) << output();
  x_->expectOverTheDesktop(desktop, {240, 0, 1440, 1080});
  EXPECT_EQ(x_->waitForWindow("Tuli GL", 0), 0u) << "asked about the display mode";

  const Window window = toggle(desktop);
  ASSERT_NE(window, 0u) << output();
  expectFramedWindow(window, 1440, 1080);

  const Window again = toggle(window);
  ASSERT_NE(again, 0u) << output();
  x_->expectOverTheDesktop(again, {240, 0, 1440, 1080});
  x_->expectEndsOn(again, "Escape");
}

// A window of the height asked for, the picture filling it; over the desktop the picture keeps
// that size, in the middle; closing the window ends the show.
TEST_F(ScreenSizedShow, ASizedWindowKeepsItsPictureSizeOverTheDesktop) {
  const Window window = start({"--window", "720"});
  ASSERT_NE(window, 0u) << output();
  expectFramedWindow(window, 960, 720);

  const Window desktop = toggle(window);
  ASSERT_NE(desktop, 0u) << output();
  x_->expectOverTheDesktop(desktop, {480, 180, 960, 720});
  const Window back = toggle(desktop);
  ASSERT_NE(back, 0u) << output();
  x_->expectEndsOn(back);
}

}  // namespace
