// The real program in a real window on a private X server with no window manager, driven by
// key presses and close requests as a viewer would.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "tests/e2e/x_display.h"
#include "tests/support/build_paths.h"
#include "tests/support/xvfb.h"

namespace {

class ShowWindowTest : public ::testing::Test {
 protected:
  // Starts a display with one screen mode and the show on it, playing silent.
  void start(const std::string& screen) {
    xvfb_ = std::make_unique<Xvfb>(screen);
    ASSERT_TRUE(xvfb_->ok());
    x_ = std::make_unique<XDisplay>();
    ASSERT_TRUE(x_->ok());
    show_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{buildDirectory() + "/kaikuranta"}, buildDirectory(),
        std::map<std::string, std::string>{{"DISPLAY", xvfb_->display()}, {"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(show_->started());
  }

  void TearDown() override {
    if (show_) show_->killGroup();
    x_.reset();
    xvfb_.reset();
  }

  // Waits for the program to end; its status, or -1 if it is still running after `seconds`.
  int ended(double seconds) {
    int status = -1;
    if (!show_->wait(seconds, &status)) return -1;
    return status;
  }

  std::unique_ptr<Xvfb> xvfb_;
  std::unique_ptr<XDisplay> x_;
  std::unique_ptr<ChildProcess> show_;
};

TEST_F(ShowWindowTest, StartsFullscreenAndEscapeEndsItAtOnce) {
  start("640x480x24");
  const unsigned long w = x_->waitForWindow("Kaikuranta", 30);
  ASSERT_NE(w, 0u) << show_->output();
  EXPECT_TRUE(x_->waitForCursorHidden(true, 10));
  int width = 0, height = 0;
  x_->size(w, &width, &height);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);

  ASSERT_TRUE(x_->waitForPicture(w, 30)) << show_->output();
  const double pressed = nowSeconds();
  XDisplay::press(w, "Escape");
  EXPECT_EQ(ended(5), 0) << show_->output();
  EXPECT_LT(nowSeconds() - pressed, 1.0);
}

TEST_F(ShowWindowTest, F1SwitchesToAWindowAndBackAndACloseRequestEndsIt) {
  start("640x480x24");
  const unsigned long first = x_->waitForWindow("Kaikuranta", 30);
  ASSERT_NE(first, 0u) << show_->output();
  EXPECT_TRUE(x_->waitForCursorHidden(true, 10));
  ASSERT_TRUE(x_->waitForPicture(first, 30)) << show_->output();

  XDisplay::press(first, "F1");
  const unsigned long windowed = x_->waitForWindow("Rovora", 10);
  ASSERT_NE(windowed, 0u) << show_->output();
  EXPECT_FALSE(x_->waitForCursorHidden(false, 5));
  int width = 0, height = 0;
  x_->size(windowed, &width, &height);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);
  EXPECT_FALSE(x_->viewable(first));
  ASSERT_TRUE(x_->waitForPicture(windowed, 10)) << show_->output();

  XDisplay::press(windowed, "F1");
  unsigned long again = 0;
  for (double until = nowSeconds() + 10; nowSeconds() < until && (again == 0 || again == windowed);) {
    again = x_->waitForWindow("Rovora", 0);
  }
  ASSERT_NE(again, 0u);
  EXPECT_NE(again, windowed) << show_->output();
  EXPECT_TRUE(x_->waitForCursorHidden(true, 5));
  ASSERT_TRUE(show_->running()) << show_->output();

  x_->requestClose(again);
  EXPECT_EQ(ended(5), 0) << show_->output();
}

TEST_F(ShowWindowTest, WithoutThe640x480ModeYesPlaysInAWindow) {
  start("1024x768x24");
  const unsigned long question = x_->waitForWindow("Tuli GL", 30);
  ASSERT_NE(question, 0u) << show_->output();
  XDisplay::press(question, "Return");
  const unsigned long w = x_->waitForWindow("Kaikuranta", 15);
  ASSERT_NE(w, 0u) << show_->output();
  EXPECT_FALSE(x_->waitForCursorHidden(false, 5));
  int width = 0, height = 0;
  x_->size(w, &width, &height);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);
  ASSERT_TRUE(x_->waitForPicture(w, 30)) << show_->output();
  XDisplay::press(w, "Escape");
  EXPECT_EQ(ended(5), 0) << show_->output();
}

TEST_F(ShowWindowTest, WithoutThe640x480ModeNoClosesTheProgram) {
  start("1024x768x24");
  const unsigned long question = x_->waitForWindow("Tuli GL", 30);
  ASSERT_NE(question, 0u) << show_->output();
  XDisplay::press(question, "Escape");
  const unsigned long closing = x_->waitForWindow("ERROR", 10);
  ASSERT_NE(closing, 0u) << show_->output();
  EXPECT_EQ(x_->waitForWindow("Kaikuranta", 0.1), 0u);
  XDisplay::press(closing, "Return");
  EXPECT_EQ(ended(5), 0) << show_->output();
}

}  // namespace

namespace {

// The whole show, start to finish, with a silent audio device: it ends by itself once its
// clock passes 154.5 s.
TEST_F(ShowWindowTest, PlaysTheWholeShowAndEndsByItself) {
  start("640x480x24");
  const unsigned long w = x_->waitForWindow("Kaikuranta", 30);
  ASSERT_NE(w, 0u) << show_->output();
  ASSERT_TRUE(x_->waitForPicture(w, 30)) << show_->output();
  const double playing = nowSeconds();
  const int status = ended(200);
  const double played = nowSeconds() - playing;
  EXPECT_EQ(status, 0) << show_->output();
  // The first picture appears within a second of show time 0; the end follows 154.5 s later.
  EXPECT_GT(played, 152.5);
  EXPECT_LT(played, 160.0);
}

}  // namespace
