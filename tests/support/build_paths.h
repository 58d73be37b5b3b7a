#pragma once
// Where the build put the programs, the tools and data/: the folder the tests run in.
#include <cstdlib>
#include <string>

inline std::string buildDirectory() {
  const char* dir = std::getenv("KK_BINARY_DIR");
  return dir ? dir : KK_DEFAULT_BINARY_DIR;
}
