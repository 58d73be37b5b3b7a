#pragma once
// Child processes for the tests, each in a session and process group of its own so that a
// message box it leaves behind is killed with it; waiting on a condition with a deadline; and
// scratch folders. Test thread only.
#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// Seconds from a monotonic clock.
double nowSeconds();

// Asks `done` until it holds (true) or `seconds` have passed (false); at least once.
bool within(double seconds, const std::function<bool()>& done);
// For waits on an event that must come, however busy the machine: bounded only by the test's
// own timeout.
constexpr double UNTIL_TIMEOUT = 1e9;

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
  std::string outputPath_ = "/tmp/kk-child-XXXXXX";  // made unique as the file is made
};

// Runs `argv` in `dir` to its end: its exit status (-1 when it runs on past `seconds`), and what
// it wrote in `output`.
int runToEnd(const std::vector<std::string>& argv, const std::string& dir, std::string* output,
             const std::map<std::string, std::string>& env = {}, double seconds = UNTIL_TIMEOUT);

// A new folder in the temporary folder, named as the system names it (no symbolic link on the
// way), removed with all it holds at the end of the scope.
struct TempDir {
  explicit TempDir(const std::string& prefix = "kk-test");
  ~TempDir();
  std::string path;
};
