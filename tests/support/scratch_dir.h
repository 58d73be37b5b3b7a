#pragma once
// Temporary folders for tests that need files on disk, and a guard that works inside one.
// A folder is removed when its ScratchDir goes out of scope, and also when the process ends
// through exit() first (as a death-test child does), so no run leaves folders behind.
#include <string>

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  // `relative` joined to the folder's path.
  std::string file(const std::string& relative) const;
  // Creates a folder directly inside this one and returns its path.
  std::string makeDir(const std::string& name) const;

 private:
  std::string path_;
};

// Makes `path` the working directory for the guard's lifetime.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& path);
  ~WorkingDirectory();
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  std::string previous_;
};

// Writes `bytes` to `path`, replacing the file. False on any failure.
bool writeFileBytes(const std::string& path, const std::string& bytes);
// The whole file, or an empty string when it cannot be read.
std::string readFileBytes(const std::string& path);
// Number of file descriptors the process has open.
int openDescriptorCount();
