#include "platform/data_folder.h"

#include <vector>

#include "platform/win32/windows_api.h"

namespace platform {

const char PATH_SEPARATOR = '\\';
// A program double-clicked in a zip viewer, or copied out of its folder alone, has no data
// beside it.
const char* const DATA_MISSING_ADVICE =
    "Unpack the whole folder from the zip, data folder included, and run the program from there.";

std::string programFolder() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), DWORD(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) {
      const std::string program(path.data(), length);
      const size_t separator = program.find_last_of("\\/");
      if (separator == std::string::npos) return std::string();
      // "C:\kaikuranta.exe" lives in "C:\", not in "C:".
      return program.substr(0, separator > 0 && program[separator - 1] == ':' ? separator + 1 : separator);
    }
    path.resize(path.size() * 2);  // cut short: a longer path than MAX_PATH
  }
}

std::string workingFolder() {
  const DWORD size = GetCurrentDirectoryA(0, nullptr);
  if (size == 0) return std::string();
  std::vector<char> path(size);
  const DWORD length = GetCurrentDirectoryA(size, path.data());
  return length > 0 && length < size ? std::string(path.data(), length) : std::string();
}

}  // namespace platform
