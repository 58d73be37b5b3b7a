#include "tests/support/xvfb.h"

#include <csignal>
#include <cstdlib>

// The server must not outlive the test, and writes its display number on descriptor 3 once it
// accepts connections; what else it says goes nowhere.
Xvfb::Xvfb(const std::string& screen)
    : server_({"/usr/bin/setpriv", "--pdeathsig", "TERM", "/bin/sh", "-c",
               "exec Xvfb -displayfd 3 -screen 0 " + screen + " -nolisten tcp -noreset 3>&1 >/dev/null 2>&1"},
              "/") {
  std::string said;
  do {
    said = server_.output();
  } while (said.find('\n') == std::string::npos && !server_.wait(0.005));  // a failed start ends it
  if (said.find('\n') == std::string::npos) return;
  display_ = ":" + said.substr(0, said.find('\n'));
  if (const char* old = std::getenv("DISPLAY")) previousDisplay_ = old;
  setenv("DISPLAY", display_.c_str(), 1);
}

Xvfb::~Xvfb() {
  server_.signal(SIGTERM);
  server_.wait(60);
  if (previousDisplay_) setenv("DISPLAY", previousDisplay_->c_str(), 1);
  else if (ok()) unsetenv("DISPLAY");
}
