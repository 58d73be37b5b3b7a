// kaikuranta.exe under Wine in a real X window on a private X server with no window manager,
// driven by key presses and close requests as a viewer would; and the Windows test program.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/show_files.h"
#include "tests/support/show_test.h"
#include "tests/win/wine/wine_session.h"

namespace {

TEST(WindowsTestProgram, PassesUnderWine) {
  WineSession wine;
  ASSERT_TRUE(wine.ok());
  // GL tests draw on a hidden window, so it runs on the X server too. Without a sound server:
  // the sound cases that need a device run in SoundUnderWine, the boxes below.
  wine.start(windowsBuildDir() + "/tests/win_unit_tests.exe", {"--gtest_filter=-ContractSound.*:ContractMessageBox.*"},
             windowsBuildDir());
  const int status = wine.ended(UNTIL_TIMEOUT);
  // Shown only on failure; CTest would take the inner program's "[  SKIPPED ]" lines for a
  // skip of this whole test and hide the failure.
  std::string said = wine.output();
  for (size_t at; (at = said.find("[  SKIPPED ]")) != std::string::npos;) said.replace(at, 12, "[  skipped ]");
  EXPECT_EQ(status, 0) << said;
  EXPECT_NE(said.find("[  PASSED  ]"), std::string::npos) << said;
  // With no X server to reach, no box can be shown: the contract's case for that runs so.
  wine.start(windowsBuildDir() + "/tests/win_unit_tests.exe", {"--gtest_filter=ContractMessageBox.*"},
             windowsBuildDir(), {{"DISPLAY", ""}});
  EXPECT_EQ(wine.ended(UNTIL_TIMEOUT), 0) << wine.output();
  EXPECT_NE(wine.output().find("[  PASSED  ] 1 test"), std::string::npos) << wine.output();
}

using ShowUnderWine = ShowTest<WineSession>;

TEST_F(ShowUnderWine, F1SwitchesToAWindowAndBackAndACloseRequestEndsIt) {
  const Window first = startFullscreen();
  ASSERT_NE(first, 0u) << output();
  x_->press(first, "F1");
  const Window windowed = x_->waitForWindow("Rovora", UNTIL_TIMEOUT);
  ASSERT_NE(windowed, 0u) << output();
  EXPECT_FALSE(x_->viewable(first));
  // A framed window placed at the screen's corner: its client area starts below and right of
  // the frame. (On this 640x480 screen the system keeps the framed window on the screen, so the
  // client area's own size is checked where it fits, on the larger screen below.)
  EXPECT_GT(x_->attributes(windowed).x, 0);
  EXPECT_GT(x_->attributes(windowed).y, 0);
  ASSERT_TRUE(x_->playing(windowed)) << output();
  EXPECT_FALSE(x_->cursorHidden());

  x_->press(windowed, "F1");
  const Window again = x_->waitForWindow("Rovora", UNTIL_TIMEOUT, windowed);
  ASSERT_TRUE(x_->fullscreenAndDrawing(again)) << output();
  ASSERT_EQ(x_->ended(0), -1) << output();
  x_->expectEndsOn(again);
  // With no sound server here, one line says it plays silent, and nothing else is written.
  const std::string said = output();
  EXPECT_EQ(said.rfind("kaikuranta: cannot open the audio device", 0), 0u) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
  x_->startShow({"--version"});
  EXPECT_EQ(x_->ended(UNTIL_TIMEOUT), 0);
  EXPECT_EQ(output(), "kaikuranta " KK_PROJECT_VERSION "\r\n");
}

// Without the 640x480 mode the show asks whether to play in a window instead: Yes (the default
// button) plays in a 640x480 one below its title bar; No (its key n) says the program will
// close, and closes it.
TEST_F(ShowUnderWine, WithoutThe640x480ModeItAsksToPlayInAWindow) { expectTheModeQuestion("n", true); }

// With --desktop on a 1920x1080 screen: a borderless window over the whole screen with no
// display-mode change, the 1440x1080 picture between black bars, F1 to a window and back, Escape
// to end.
TEST(DesktopUnderWine, CoversTheScreenWithThePictureBetweenBarsAndF1GoesToAWindowAndBack) {
  WineSession wine("1920x1080x24");
  ASSERT_TRUE(wine.ok());
  wine.startShow({"--desktop"});
  Window shown = wine.waitForWindow("Kaikuranta", UNTIL_TIMEOUT);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_NE(shown, 0u) << wine.output();
    wine.expectOverTheDesktop(shown, {240, 0, 1440, 1080});
    EXPECT_EQ(wine.waitForWindow("Tuli GL", 0), 0u) << "asked about the display mode";
    if (round == 1) break;

    // A framed window holding the picture at its size; the screen keeps its own.
    wine.press(shown, "F1");
    const Window window = wine.waitForWindow("Rovora", UNTIL_TIMEOUT);
    ASSERT_NE(window, 0u) << wine.output();
    EXPECT_TRUE(wine.cursorHiddenWithin(false, UNTIL_TIMEOUT));
    ASSERT_TRUE(wine.drawsWithin(window, UNTIL_TIMEOUT)) << wine.output();
    EXPECT_EQ(std::make_pair(DisplayWidth(wine.x(), 0), DisplayHeight(wine.x(), 0)), std::make_pair(1920, 1080));
    wine.press(window, "F1");
    shown = wine.waitForWindow("Rovora", 30, window);
  }
  wine.expectEndsOn(shown, "Escape");
}

// The message that ends the show, in a box on the desktop: the one window named "Kaikuranta" on
// the screen, no 640x480 show window beside it. The show waits for its answer, then ends with 1.
class FatalBoxUnderWine : public ShowUnderWine {
 protected:
  // What the show wrote, without the line that it plays silent and without carriage returns.
  std::string endsWithABox(const std::string& program) {
    x_ = std::make_unique<WineSession>("640x480x24");
    x_->start(program, {}, scratch_.path);
    std::vector<Window> found;
    within(UNTIL_TIMEOUT, [&] {
      found = x_->windowsNamed("Kaikuranta");
      return (found.size() == 1 && x_->size(found[0]) != std::make_pair(640, 480)) || x_->ended(0) >= 0;
    });
    if (found.size() != 1) return output();
    EXPECT_EQ(x_->ended(0), -1) << "ended before the box was answered: " << output();
    x_->press(found[0], "Return");
    EXPECT_EQ(x_->ended(UNTIL_TIMEOUT), 1) << output();
    std::string said = output();
    said.erase(std::remove(said.begin(), said.end(), '\r'), said.end());
    if (said.rfind("kaikuranta: cannot open the audio device", 0) == 0) said.erase(0, said.find('\n') + 1);
    return said;
  }

  const TempDir scratch_{"kk-wine"};
};

// Extracted alone from the zip, or copied to the desktop: no data anywhere.
TEST_F(FatalBoxUnderWine, AloneInAnEmptyFolderItSaysToUnpackTheWholeFolder) {
  std::filesystem::copy_file(windowsBuildDir() + "/kaikuranta.exe", scratch_.path + "/kaikuranta.exe");
  const std::string said = endsWithABox(scratch_.path + "/kaikuranta.exe");
  EXPECT_EQ(said.rfind("kaikuranta: cannot find the show's data: spiralkeltainen.jpg is missing from Z:", 0), 0u)
      << said;
  EXPECT_NE(said.find("Unpack the whole folder from the zip"), std::string::npos) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
}

TEST_F(FatalBoxUnderWine, ABrokenPictureEndsWithABoxNamingIt) {
  std::filesystem::copy(windowsBuildDir() + "/data", scratch_.path + "/data");
  std::ofstream(scratch_.path + "/" + DATA_METAL, std::ios::binary | std::ios::trunc) << "no picture at all";
  const std::string said = endsWithABox(windowsBuildDir() + "/kaikuranta.exe");
  EXPECT_EQ(said, std::string("kaikuranta: ") + DATA_METAL + ": Not a JPEG file: starts with 0x6e 0x6f\n");
}

// The whole show, 155 s: it ends by itself once its clock passes 154.5 s, closing its window on
// the first pass after it (its clock keeps the wall's time: no sound server here), then status 0.
TEST_F(ShowUnderWine, SlowPlaysTheWholeShowAndEndsByItself) {
  const Window w = startFullscreen();
  ASSERT_NE(w, 0u) << output();
  const double playing = nowSeconds();
  within(UNTIL_TIMEOUT, [&] { return !x_->viewable(w) || nowSeconds() - playing > 154.5; });
  EXPECT_GT(nowSeconds() - playing, 152.5) << "ended early";
  EXPECT_LE(x_->framesBeforeGone(w), 2) << "played on past its end";
  EXPECT_EQ(x_->ended(UNTIL_TIMEOUT), 0) << output();
}

}  // namespace
