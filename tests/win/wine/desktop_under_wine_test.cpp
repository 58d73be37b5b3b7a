// kaikuranta.exe --desktop under Wine on a 1920x1080 screen: a borderless window over the whole
// screen with no display-mode change, the 1440x1080 picture between black bars, F1 to a window
// and back, Escape to end.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "tests/support/lit_box.h"
#include "tests/win/wine/wine_session.h"

namespace {

TEST(DesktopUnderWine, CoversTheScreenWithThePictureBetweenBarsAndF1GoesToAWindowAndBack) {
  WineSession wine("1920x1080x24");
  ASSERT_TRUE(wine.ok());
  wine.start(windowsBuildDir() + "/kaikuranta.exe", {"--desktop"}, windowsBuildDir());
  Window shown = wine.waitForWindow("Kaikuranta", 60);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_NE(shown, 0u) << wine.output();
    EXPECT_EQ(wine.size(shown), std::make_pair(1920, 1080));
    EXPECT_EQ(std::make_pair(wine.attributes(shown).x, wine.attributes(shown).y), std::make_pair(0, 0));
    EXPECT_TRUE(wine.cursorHiddenWithin(true, 30));
    ASSERT_TRUE(wine.drawsWithin(shown, 60)) << wine.output();
    EXPECT_EQ(litBox(wine.x(), shown, {240, 0, 1440, 1080}), (LitBox{240, 0, 1440, 1080}));
    EXPECT_EQ(wine.waitForWindow("Tuli GL", 0), 0u) << "asked about the display mode";
    if (round == 1) break;

    // A framed window holding the picture at its size; the screen keeps its own.
    wine.press(shown, "F1");
    Window window = 0;
    ASSERT_TRUE(within(30, [&] { return (window = wine.waitForWindow("Rovora", 0)) != 0; })) << wine.output();
    EXPECT_TRUE(wine.cursorHiddenWithin(false, 30));
    ASSERT_TRUE(wine.drawsWithin(window, 60)) << wine.output();
    EXPECT_EQ(std::make_pair(DisplayWidth(wine.x(), 0), DisplayHeight(wine.x(), 0)), std::make_pair(1920, 1080));
    wine.press(window, "F1");
    shown = 0;
    within(30, [&] { return (shown = wine.waitForWindow("Rovora", 0)) != 0 && shown != window; });
  }
  wine.press(shown, "Escape");
  EXPECT_EQ(wine.ended(30), 0) << wine.output();
}

}  // namespace
