// The show. Without arguments it plays; --help and --version answer and end.
#include <cstring>
#include <string>

#include "app/program.h"
#include "platform/data_folder.h"
#include "platform/display.h"
#include "platform/report.h"

namespace {

constexpr const char* USAGE = "usage: kaikuranta [--help | --version]";

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
         "  --help     this text\n"
         "  --version  the version number\n";
}

}  // namespace

int main(int argc, char** argv) {
  // A Windows user has no console: what ends the program is shown in a box as well.
  platform::showFatalReportAtExit("Kaikuranta");
  if (argc == 1) return runGuarded(runShow);
  const char* argument = argv[1];
  if (argc == 2 && (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0)) {
    platform::tellUser(helpText().c_str(), "Kaikuranta");
    return 0;
  }
  if (argc == 2 && std::strcmp(argument, "--version") == 0) {
    const std::string version = std::string("kaikuranta ") + platform::programVersion() + "\n";
    platform::tellUser(version.c_str(), "Kaikuranta");
    return 0;
  }
  const bool known = std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0 ||
                     std::strcmp(argument, "--version") == 0;
  platform::reportFatal("unexpected argument %s (%s)", known ? argv[2] : argument, USAGE);
  return 2;
}
