#include "platform/report.h"

#include <cstdarg>
#include <cstdio>
#include <algorithm>
#include <cstring>

namespace platform {
namespace {

const char* name = KK_PROGRAM_NAME;

// Longer than any path a message names; a longer line is cut, never split.
constexpr size_t REPORT_LINE_BYTES = 8192;

}  // namespace

void setProgramName(const char* programName) { name = programName; }

const char* programName() { return name; }

const char* programVersion() { return KK_PROGRAM_VERSION; }

namespace {

// The fatal report's text; written once, by the thread that ends the program.
char fatalText[REPORT_LINE_BYTES];

void writeLine(bool fatal, const char* format, std::va_list args) {
  // Put together on the stack (it also reports running out of memory) and written with one
  // call, so lines from two threads never interleave.
  char line[REPORT_LINE_BYTES];
  int used = std::snprintf(line, sizeof line, "%s: ", name);
  if (used < 0) return;
  const size_t textStart = std::min(size_t(used), sizeof line - 2);
  if (size_t(used) < sizeof line) {
    const int text = std::vsnprintf(line + used, sizeof line - size_t(used), format, args);
    if (text > 0) used += text;
  }
  size_t length = std::min(size_t(used), sizeof line - 2);
  if (fatal) {
    std::memcpy(fatalText, line + textStart, length - textStart);
    fatalText[length - textStart] = '\0';
  }
  line[length++] = '\n';
  line[length] = '\0';
  std::fputs(line, stderr);
}

}  // namespace

void report(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  writeLine(false, format, args);
  va_end(args);
}

void reportFatal(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  writeLine(true, format, args);
  va_end(args);
}

const char* fatalReport() { return fatalText; }

}  // namespace platform
