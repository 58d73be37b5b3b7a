#pragma once
// A private X server for tests that need a real display, and child processes run in their own
// process group so that a message box left behind is killed with them.
#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

class Xvfb {
 public:
  // Starts Xvfb with one screen of the given geometry ("640x480x24") and sets DISPLAY.
  explicit Xvfb(const std::string& screen = "640x480x24");
  ~Xvfb();
  bool ok() const { return pid_ > 0 && !display_.empty(); }
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
  std::string previousDisplay_;
  bool hadDisplay_ = false;
};

class ChildProcess {
 public:
  // Runs `argv` in `workingDir` in a new session, with `env` added to the environment;
  // standard output and error go to a temporary file.
  ChildProcess(const std::vector<std::string>& argv, const std::string& workingDir,
               const std::map<std::string, std::string>& env = {});
  ~ChildProcess();
  bool started() const { return pid_ > 0; }
  // Waits up to `seconds` for the process to end; true with its status when it did.
  bool wait(double seconds, int* exitStatus);
  bool running();
  void killGroup();
  std::string output() const;  // what it wrote to standard output and error so far

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
  int status_ = 0;
  std::string outputPath_;
};

// Runs a shell command and returns what it printed on standard output.
std::string commandOutput(const std::string& command);
// Seconds from a monotonic clock.
double nowSeconds();
