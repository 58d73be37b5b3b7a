// kaikuranta.exe --desktop under Wine on a 1920x1080 screen: a borderless window over the whole
// screen with no display-mode change, the 1440x1080 picture between black bars, F1 to a window
// and back, Escape to end.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/win/wine/wine_session.h"

namespace {

TEST(DesktopUnderWine, CoversTheScreenWithThePictureBetweenBarsAndF1GoesToAWindowAndBack) {
  WineSession wine("1920x1080x24");
  ASSERT_TRUE(wine.ok());
  wine.startShow({"--desktop"});
  Window shown = wine.waitForWindow("Kaikuranta", 60);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_NE(shown, 0u) << wine.output();
    wine.expectOverTheDesktop(shown, {240, 0, 1440, 1080});
    EXPECT_EQ(wine.waitForWindow("Tuli GL", 0), 0u) << "asked about the display mode";
    if (round == 1) break;

    // A framed window holding the picture at its size; the screen keeps its own.
    wine.press(shown, "F1");
    const Window window = wine.waitForWindow("Rovora", 30);
    ASSERT_NE(window, 0u) << wine.output();
    EXPECT_TRUE(wine.cursorHiddenWithin(false, 30));
    ASSERT_TRUE(wine.drawsWithin(window, 60)) << wine.output();
    EXPECT_EQ(std::make_pair(DisplayWidth(wine.x(), 0), DisplayHeight(wine.x(), 0)), std::make_pair(1920, 1080));
    wine.press(window, "F1");
    shown = wine.waitForWindow("Rovora", 30, window);
  }
  wine.expectEndsOn(shown, "Escape");
}

}  // namespace
