// The generator writes the same bytes on every run, and the build's data/ is what it writes.
#include "data_files.h"
#include "tests/support/build_paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::vector<const char*> FILES = {
    "spiralkeltainen.jpg", "kasvot.jpg", "maski.jpg",  "metalli.jpg", "star.jpg",  "mutsis.jpg",
    "tarrat.jpg",          "kaiku.jpg",  "scene.jpg",  "vekkuli.jpg", "suck.jpg",  "kurwa.jpg",
    "kupla.jpg",           "kupla_maski.jpg", "diskolumi2.mp3"};

}  // namespace

TEST(Generator, TwoRunsWriteIdenticalFiles) {
  const std::filesystem::path generator = std::filesystem::path(buildDirectory()) / "tools/showdata/showdata";
  ASSERT_TRUE(std::filesystem::exists(generator)) << generator;

  char pattern[] = "/tmp/kk_showdata_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::filesystem::path scratch = pattern;
  for (const char* run : {"first", "second"}) {
    const std::string command = "'" + generator.string() + "' '" + (scratch / run).string() + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  for (const char* name : FILES) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> first = readFileBytes((scratch / "first" / name).string());
    const std::vector<uint8_t> second = readFileBytes((scratch / "second" / name).string());
    const std::vector<uint8_t> built = readFileBytes(std::string("data/") + name);
    EXPECT_FALSE(first.empty());
    EXPECT_TRUE(first == second) << "two runs differ";
    EXPECT_TRUE(first == built) << "the build's data/ differs from a fresh run";
  }
  std::filesystem::remove_all(scratch);
  // Nothing but the fifteen files: no leftovers from writing them.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("data"), std::filesystem::directory_iterator()),
            long(FILES.size()));
}
