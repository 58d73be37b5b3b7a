#include "tests/support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

double nowSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool within(double seconds, const std::function<bool()>& done) {
  for (const double deadline = nowSeconds() + seconds; !done(); usleep(50000)) {
    if (nowSeconds() > deadline) return false;
  }
  return true;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& workingDir,
                           const std::map<std::string, std::string>& env) {
  const int out = mkstemp(outputPath_.data());
  if (out < 0) return;
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
  int raw = 0;
  for (const double deadline = nowSeconds() + seconds; pid_ > 0 && status_ < 0; usleep(10000)) {
    if (waitpid(pid_, &raw, WNOHANG) == pid_) {
      killed_ = WIFSIGNALED(raw);
      status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    } else if (nowSeconds() > deadline) {
      return false;
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
  unlink(outputPath_.c_str());
}

std::string ChildProcess::output() const {
  std::ifstream in(outputPath_);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int runToEnd(const std::vector<std::string>& argv, const std::string& dir, std::string* output,
             const std::map<std::string, std::string>& env, double seconds) {
  ChildProcess child(argv, dir, env);
  int status = -1;
  child.wait(seconds, &status);
  *output = child.output();
  return status;
}

TempDir::TempDir(const std::string& prefix)
    : path(std::filesystem::canonical(std::filesystem::temp_directory_path()) / (prefix + "-XXXXXX")) {
  if (!mkdtemp(path.data())) std::abort();  // no test can go on without its folder
}

TempDir::~TempDir() { std::filesystem::remove_all(path); }
