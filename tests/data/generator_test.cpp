// The generator writes the same bytes on every run, and the build's data/ is what it writes.
#include "tests/support/build_paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

static std::string bytesOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Generator, TwoRunsWriteIdenticalFiles) {
  const fs::path generator = fs::path(buildDirectory()) / "tools/showdata/showdata";
  char pattern[] = "/tmp/kk_showdata_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path scratch = pattern;
  for (const char* run : {"first", "second"}) {
    const std::string command = "'" + generator.string() + "' '" + (scratch / run).string() + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  // Fourteen pictures and the music, nothing left over from writing them.
  for (const fs::directory_entry& entry : fs::directory_iterator(scratch / "first")) {
    const fs::path name = entry.path().filename();
    SCOPED_TRACE(name.string());
    const std::string first = bytesOf(entry.path());
    EXPECT_TRUE(first == bytesOf(scratch / "second" / name)) << "two runs differ";
    EXPECT_TRUE(first == bytesOf("data" / name)) << "the build's data/ differs from a fresh run";
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch / "first"), fs::directory_iterator()), 15);
  fs::remove_all(scratch);
}
