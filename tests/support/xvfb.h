#pragma once
// A private X server for tests that need a real display, pointed at by DISPLAY while it runs.
// Test thread only.
#include <optional>
#include <string>

#include "tests/support/child_process.h"

class Xvfb {
 public:
  // Starts Xvfb with one screen of the given geometry ("640x480x24") and points DISPLAY at it.
  explicit Xvfb(const std::string& screen = "640x480x24");
  ~Xvfb();
  bool ok() const { return !display_.empty(); }

 private:
  ChildProcess server_;
  std::string display_;
  std::optional<std::string> previousDisplay_;
};
