#include "tests/support/xvfb.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>

double nowSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

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

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& workingDir,
                           const std::map<std::string, std::string>& env) {
  char path[] = "/tmp/kk-child-XXXXXX";
  const int out = mkstemp(path);
  if (out < 0) return;
  outputPath_ = path;
  pid_ = fork();
  if (pid_ == 0) {
    setsid();
    dup2(open("/dev/null", O_RDONLY), 0);
    dup2(out, 1);
    dup2(out, 2);
    closefrom(3);
    if (chdir(workingDir.c_str()) != 0) _exit(126);
    for (const auto& [k, v] : env) setenv(k.c_str(), v.c_str(), 1);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(out);
}

bool ChildProcess::wait(double seconds, int* exitStatus) {
  const double deadline = nowSeconds() + seconds;
  int raw = 0;
  while (pid_ > 0 && status_ < 0) {
    if (waitpid(pid_, &raw, WNOHANG) == pid_) {
      killed_ = WIFSIGNALED(raw);
      status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    } else if (nowSeconds() > deadline) {
      return false;
    } else {
      usleep(10000);
    }
  }
  if (exitStatus) *exitStatus = status_;
  return status_ >= 0;
}

void ChildProcess::signal(int sig) {
  if (pid_ > 0 && status_ < 0) kill(pid_, sig);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) kill(-pid_, SIGKILL);
  wait(60);
  if (!outputPath_.empty()) unlink(outputPath_.c_str());
}

std::string ChildProcess::output() const {
  std::ifstream in(outputPath_);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
