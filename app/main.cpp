// The show. Without arguments it plays as it always has; --desktop and --window play it without a
// display-mode change; --help and --version answer and end.
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/program.h"
#include "app/window.h"
#include "assets/frame_size.h"
#include "platform/data_folder.h"
#include "platform/display.h"
#include "platform/report.h"

namespace {

constexpr const char* USAGE = "usage: kaikuranta [--desktop | --window [HEIGHT] | --help | --version]";

std::string helpText() {
  std::string text = std::string(USAGE) +
                     "\n"
                     "Plays the Kaikuranta show: two and a half minutes of pictures and music at\n"
                     "130 beats per minute, fullscreen in a 640x480 display mode (or in a window when\n"
                     "the display has no such mode and you agree).\n"
                     "  Escape    ends the show\n"
                     "  F1        switches between fullscreen and a window\n"
                     "  closing the window ends the show\n"
                     "It reads its pictures and music from the first of these folders that holds them:\n";
  for (const std::string& folder : platform::dataFolders()) text += "  " + folder + "\n";
  return text +
         "Options:\n"
         "  --desktop        the whole screen as it is, with no display-mode change: the show\n"
         "                   drawn as large as the screen holds, in the middle, with black bars;\n"
         "                   F1 switches to a window of that size and back\n"
         "  --window HEIGHT  a window HEIGHT pixels high, the show drawn at that size (480 when\n"
         "                   left out; 480 to 4320, a multiple of 3); F1 switches to --desktop's\n"
         "                   whole screen and back\n"
         "  --help           this text\n"
         "  --version        the version number\n";
}

// A whole number and nothing else: no sign, no spaces, no other base.
bool parseHeight(const char* text, int* height) {
  if (!*text || std::strlen(text) > 4) return false;
  for (const char* c = text; *c; ++c) {
    if (*c < '0' || *c > '9') return false;
  }
  *height = std::atoi(text);
  return true;
}

int usageError(const char* what, const char* argument) {
  platform::reportFatal("%s %s (%s)", what, argument, USAGE);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // A Windows user has no console: what ends the program is shown in a box as well.
  platform::showFatalReportAtExit("Kaikuranta");
  if (argc == 1) return runGuarded(runShow);
  const char* argument = argv[1];
  const bool help = std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0;
  const bool version = std::strcmp(argument, "--version") == 0;
  const bool desktop = std::strcmp(argument, "--desktop") == 0;
  const bool window = std::strcmp(argument, "--window") == 0;
  const int allowed = window ? 3 : 2;
  if (!(help || version || desktop || window)) return usageError("unexpected argument", argument);
  if (argc > allowed) return usageError("unexpected argument", argv[allowed]);
  if (help) {
    platform::tellUser(helpText().c_str(), "Kaikuranta");
    return 0;
  }
  if (version) {
    const std::string text = std::string("kaikuranta ") + platform::programVersion() + "\n";
    platform::tellUser(text.c_str(), "Kaikuranta");
    return 0;
  }
  if (window && argc == 3) {
    int height = 0;
    if (!parseHeight(argv[2], &height) || !setFrameHeight(height)) {
      return usageError("--window takes a height from 480 to 4320 that is a multiple of 3, not", argv[2]);
    }
  }
  // Neither mode changes the display's mode or asks about it; F1 goes between the two.
  platform::useRealPixels();
  screenUse = ScreenUse::OverDesktop;
  fullscreen = desktop;
  frameFitsFirstWindow = desktop;
  return runGuarded(runShow);
}
