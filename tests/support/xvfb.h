#pragma once
// A private X server for tests that need a real display, and child processes run in their own
// process group so that a message box left behind is killed with them.
#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

// Seconds from a monotonic clock.
double nowSeconds();

class Xvfb {
 public:
  // Starts Xvfb with one screen of the given geometry ("640x480x24") and points DISPLAY at it.
  explicit Xvfb(const std::string& screen = "640x480x24");
  ~Xvfb();
  bool ok() const { return !display_.empty(); }

 private:
  pid_t pid_ = -1;
  std::string display_;
  std::optional<std::string> previousDisplay_;
};

class ChildProcess {
 public:
  // Runs `argv` in `workingDir` in a new session, with `env` added to the environment;
  // standard output and error go to a temporary file.
  ChildProcess(const std::vector<std::string>& argv, const std::string& workingDir,
               const std::map<std::string, std::string>& env = {});
  ~ChildProcess();  // kills its whole group, so that a message box left behind goes with it
  // Waits up to `seconds` for the process to end; true, with its exit status, when it did. A
  // process a signal killed has status 128 + the signal's number, as a shell reports it.
  bool wait(double seconds, int* exitStatus = nullptr);
  bool killedBySignal() const { return killed_; }  // rather than ending by itself
  void signal(int sig);                             // to the process itself, not its group
  std::string output() const;  // what it wrote to standard output and error so far

 private:
  pid_t pid_ = -1;
  int status_ = -1;  // until it is reaped
  bool killed_ = false;
  std::string outputPath_;
};
