#include "platform/data_folder.h"

#include <limits.h>
#include <unistd.h>

namespace platform {

const char PATH_SEPARATOR = '/';
const char* const DATA_MISSING_ADVICE = "";

std::string programFolder() {
  // The kernel's link names the program itself, symbolic links resolved: an installed program
  // linked into another folder still finds its own share/ beside it.
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return std::string();
  const std::string program(path, size_t(length));
  const size_t slash = program.rfind('/');
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? std::string("/") : program.substr(0, slash);
}

std::string workingFolder() {
  char path[PATH_MAX];
  return getcwd(path, sizeof path) ? std::string(path) : std::string();
}

}  // namespace platform
