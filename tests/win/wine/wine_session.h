#pragma once
// Windows programs under Wine for the tests: one private Wine prefix kept beside the Windows
// build (made on first use), a private X server per session, and the prefix's processes ended
// when the session ends. Test thread only.
#include <map>
#include <string>
#include <vector>

#include "tests/support/x_screen.h"

// The folder of the Windows build under test: kaikuranta.exe, data/, the test program.
std::string windowsBuildDir();

class WineSession : public XScreen {
 public:
  // A private X server with one screen of `screen` ("640x480x24"), and Wine ready to run on it.
  explicit WineSession(const std::string& screen = "640x480x24");
  ~WineSession() override;  // ends the program and every Wine process of the prefix

  // Starts `program` (a path to a Windows program) with `args` in `dir`. Without a PULSE_SERVER
  // in `env` there is no sound server to reach, so the program finds no audio device.
  void start(const std::string& program, const std::vector<std::string>& args, const std::string& dir,
             const std::map<std::string, std::string>& env = {});
  // kaikuranta.exe, from the root folder: it finds its data beside it.
  void startShow(const std::vector<std::string>& args = {}) override {
    start(windowsBuildDir() + "/kaikuranta.exe", args, "/");
  }
};
