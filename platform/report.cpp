#include "platform/report.h"

#include <cstdarg>
#include <cstdio>
#include <algorithm>

namespace platform {
namespace {

const char* name = KK_PROGRAM_NAME;

// Longer than any path a message names; a longer line is cut, never split.
constexpr size_t REPORT_LINE_BYTES = 8192;

}  // namespace

void setProgramName(const char* programName) { name = programName; }

const char* programName() { return name; }

void report(const char* format, ...) {
  // Put together on the stack (it also reports running out of memory) and written with one
  // call, so lines from two threads never interleave.
  char line[REPORT_LINE_BYTES];
  int used = std::snprintf(line, sizeof line, "%s: ", name);
  if (used < 0) return;
  if (size_t(used) < sizeof line) {
    std::va_list args;
    va_start(args, format);
    const int text = std::vsnprintf(line + used, sizeof line - size_t(used), format, args);
    va_end(args);
    if (text > 0) used += text;
  }
  size_t length = std::min(size_t(used), sizeof line - 2);
  line[length++] = '\n';
  line[length] = '\0';
  std::fputs(line, stderr);
}

}  // namespace platform
