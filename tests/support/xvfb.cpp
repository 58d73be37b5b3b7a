#include "tests/support/xvfb.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

Xvfb::Xvfb(const std::string& screen) {
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    // The server must not outlive the test, nor hold the test runner's pipes open.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    dup2(fds[1], 3);
    const int devnull = open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd) dup2(devnull, fd);
    closefrom(4);
    execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", screen.c_str(), "-nolisten", "tcp", "-noreset",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  // Xvfb writes its display number once it accepts connections; a failed start closes the pipe.
  std::string number;
  for (char c; pid_ > 0 && read(fds[0], &c, 1) == 1 && c != '\n';) number += c;
  close(fds[0]);
  if (number.empty()) return;
  display_ = ":" + number;
  if (const char* old = std::getenv("DISPLAY")) previousDisplay_ = old;
  setenv("DISPLAY", display_.c_str(), 1);
}

Xvfb::~Xvfb() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  if (previousDisplay_) setenv("DISPLAY", previousDisplay_->c_str(), 1);
  else if (ok()) unsetenv("DISPLAY");
}
