#include "tests/support/xvfb.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// A forked helper closes every descriptor the test runner had open, but the one it needs.
void closeInheritedFiles(int keep) {
  for (int fd = 3; fd < 1024; ++fd) {
    if (fd != keep) close(fd);
  }
}

}  // namespace

double nowSeconds() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

Xvfb::Xvfb(const std::string& screen) {
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    // The server must not outlive the test, nor hold the test runner's pipes open.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    close(fds[0]);
    closeInheritedFiles(fds[1]);
    int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 0);
    dup2(devnull, 1);
    dup2(devnull, 2);
    std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
           "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  if (pid_ < 0) {
    close(fds[0]);
    return;
  }
  // Xvfb writes its display number once it accepts connections.
  std::string number;
  const double deadline = nowSeconds() + 15.0;
  pollfd p{fds[0], POLLIN, 0};
  while (nowSeconds() < deadline) {
    if (poll(&p, 1, 200) <= 0) continue;
    char c;
    if (read(fds[0], &c, 1) != 1) break;
    if (c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) return;
  display_ = ":" + number;
  const char* old = std::getenv("DISPLAY");
  hadDisplay_ = old != nullptr;
  if (old) previousDisplay_ = old;
  setenv("DISPLAY", display_.c_str(), 1);
}

Xvfb::~Xvfb() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status;
    waitpid(pid_, &status, 0);
  }
  if (hadDisplay_) {
    setenv("DISPLAY", previousDisplay_.c_str(), 1);
  } else {
    unsetenv("DISPLAY");
  }
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& workingDir,
                           const std::map<std::string, std::string>& env) {
  char pattern[] = "/tmp/kk-child-XXXXXX";
  int out = mkstemp(pattern);
  if (out < 0) return;
  outputPath_ = pattern;
  pid_ = fork();
  if (pid_ == 0) {
    setsid();
    closeInheritedFiles(out);
    if (chdir(workingDir.c_str()) != 0) _exit(126);
    int devnull = open("/dev/null", O_RDONLY);
    dup2(devnull, 0);
    dup2(out, 1);
    dup2(out, 2);
    for (const auto& [k, v] : env) setenv(k.c_str(), v.c_str(), 1);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(out);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !reaped_) killGroup();
  if (!outputPath_.empty()) unlink(outputPath_.c_str());
}

bool ChildProcess::wait(double seconds, int* exitStatus) {
  if (pid_ <= 0) return false;
  const double deadline = nowSeconds() + seconds;
  while (!reaped_) {
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      reaped_ = true;
      status_ = status;
      break;
    }
    if (nowSeconds() > deadline) return false;
    usleep(10000);
  }
  if (exitStatus) *exitStatus = WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
  return true;
}

bool ChildProcess::running() {
  if (pid_ <= 0 || reaped_) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == pid_) {
    reaped_ = true;
    status_ = status;
    return false;
  }
  return true;
}

void ChildProcess::killGroup() {
  if (pid_ <= 0) return;
  kill(-pid_, SIGKILL);
  if (!reaped_) {
    int status;
    waitpid(pid_, &status, 0);
    reaped_ = true;
    status_ = status;
  }
}

std::string ChildProcess::output() const {
  std::ifstream in(outputPath_);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string commandOutput(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}
