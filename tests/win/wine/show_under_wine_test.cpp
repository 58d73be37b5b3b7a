// kaikuranta.exe under Wine in a real X window on a private X server with no window manager,
// driven by key presses and close requests as a viewer would; and the Windows test program.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/show_files.h"
#include "tests/win/wine/wine_session.h"

namespace {

TEST(WindowsTestProgram, PassesUnderWine) {
  WineSession wine;
  ASSERT_TRUE(wine.ok());
  // GL tests draw on a hidden window, so it runs on the X server too.
  wine.start(windowsBuildDir() + "/tests/win_unit_tests.exe", {}, windowsBuildDir());
  const int status = wine.ended(300);
  // Shown only on failure; CTest would take the inner program's "[  SKIPPED ]" lines for a
  // skip of this whole test and hide the failure.
  std::string said = wine.output();
  for (size_t at; (at = said.find("[  SKIPPED ]")) != std::string::npos;) said.replace(at, 12, "[  skipped ]");
  EXPECT_EQ(status, 0) << said;
  EXPECT_NE(said.find("[  PASSED  ]"), std::string::npos) << said;
}

class ShowUnderWine : public testing::Test {
 protected:
  // A display with one screen mode and the show on it, playing silent; its window named `title`.
  Window start(const char* screen, const char* title) {
    wine_.reset();  // its server first: each server restores the DISPLAY it found
    wine_ = std::make_unique<WineSession>(screen);
    if (!wine_->ok()) return 0;
    wine_->start(windowsBuildDir() + "/kaikuranta.exe", {}, windowsBuildDir());
    return wine_->waitForWindow(title, 60);
  }

  // Where the display has the mode: fullscreen, "Kaikuranta", drawing.
  Window startFullscreen() {
    const Window w = start("640x480x24", "Kaikuranta");
    return w && wine_->fullscreenAndDrawing(w) ? w : 0;
  }

  std::string output() const { return wine_ ? wine_->output() : "no X server"; }

  std::unique_ptr<WineSession> wine_;
};

TEST_F(ShowUnderWine, StartsFullscreenSaysOnceThatItPlaysSilentAndEscapeEndsIt) {
  const Window w = startFullscreen();
  ASSERT_NE(w, 0u) << output();
  wine_->press(w, "Escape");
  EXPECT_EQ(wine_->ended(10), 0) << output();
  // No sound server here: one line says so, and nothing else is written.
  const std::string said = output();
  EXPECT_EQ(said.rfind("kaikuranta: cannot open the audio device", 0), 0u) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
}

TEST_F(ShowUnderWine, F1SwitchesToAWindowAndBackAndACloseRequestEndsIt) {
  const Window first = startFullscreen();
  ASSERT_NE(first, 0u) << output();
  wine_->press(first, "F1");
  const Window windowed = wine_->waitForWindow("Rovora", 15);
  ASSERT_NE(windowed, 0u) << output();
  EXPECT_TRUE(wine_->cursorHiddenWithin(false, 5));
  EXPECT_FALSE(wine_->viewable(first));
  // A framed window placed at the screen's corner: its client area starts below and right of
  // the frame. (On this 640x480 screen the system keeps the framed window on the screen, so the
  // client area's own size is checked where it fits, on the larger screen below.)
  EXPECT_GT(wine_->attributes(windowed).x, 0);
  EXPECT_GT(wine_->attributes(windowed).y, 0);
  ASSERT_TRUE(wine_->drawsWithin(windowed, 15)) << output();

  wine_->press(windowed, "F1");
  Window again = 0;
  EXPECT_TRUE(within(15, [&] { return (again = wine_->waitForWindow("Rovora", 0)) != 0 && again != windowed; }));
  ASSERT_NE(again, 0u) << output();
  ASSERT_TRUE(wine_->fullscreenAndDrawing(again)) << output();
  ASSERT_EQ(wine_->ended(0), -1) << output();
  wine_->requestClose(again);
  EXPECT_EQ(wine_->ended(10), 0) << output();
}

// Without the 640x480 mode the show asks whether to play in a window instead: Yes (the default
// button) plays in a 640x480 one below its title bar; No (its key n) says the program will
// close, and closes it.
TEST_F(ShowUnderWine, WithoutThe640x480ModeItAsksToPlayInAWindow) {
  const struct { const char *answer, *next, *ending; bool plays; } cases[] = {
      {"Return", "Kaikuranta", "Escape", true}, {"n", "ERROR", "Return", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.next);
    const Window question = start("1024x768x24", "Tuli GL");
    ASSERT_NE(question, 0u) << output();
    EXPECT_EQ(wine_->waitForWindow("Kaikuranta", 0.1), 0u);
    wine_->press(question, c.answer);
    const Window w = wine_->waitForWindow(c.next, 15);
    ASSERT_NE(w, 0u) << output();
    EXPECT_EQ(wine_->waitForWindow("Kaikuranta", 0.1), c.plays ? w : 0u);
    if (c.plays) {
      EXPECT_TRUE(wine_->cursorHiddenWithin(false, 5));
      EXPECT_EQ(wine_->size(w), std::make_pair(640, 480));
      EXPECT_GT(wine_->attributes(w).y, 0);  // below its title bar
      ASSERT_TRUE(wine_->drawsWithin(w, 30)) << output();
    }
    wine_->press(w, c.ending);
    EXPECT_EQ(wine_->ended(10), 0) << output();
  }
}

TEST_F(ShowUnderWine, AMissingPictureEndsWithStatusOneAndALineNamingIt) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("kk-wine-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy(fs::path(windowsBuildDir()) / "data", dir / "data");
  fs::remove(dir / DATA_METAL);
  wine_ = std::make_unique<WineSession>("640x480x24");
  ASSERT_TRUE(wine_->ok());
  wine_->start(windowsBuildDir() + "/kaikuranta.exe", {}, dir.string());
  EXPECT_EQ(wine_->ended(60), 1) << output();
  // After the silent-sound line: exactly one line, naming the picture.
  const std::string said = output();
  const size_t line = said.find(std::string("kaikuranta: cannot open ") + DATA_METAL);
  EXPECT_NE(line, std::string::npos) << said;
  if (line != std::string::npos) {
    EXPECT_EQ(said.find('\n', line), said.size() - 1) << said;
  }
  fs::remove_all(dir);
}

// The whole show, 155 s: it ends by itself with status 0 once its clock passes 154.5 s.
TEST_F(ShowUnderWine, SlowPlaysTheWholeShowAndEndsByItself) {
  ASSERT_NE(startFullscreen(), 0u) << output();
  const double playing = nowSeconds();
  EXPECT_EQ(wine_->ended(200), 0) << output();
  EXPECT_GT(nowSeconds() - playing, 152.5);
  EXPECT_LT(nowSeconds() - playing, 160.0);
}

}  // namespace
