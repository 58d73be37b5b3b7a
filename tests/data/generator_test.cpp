// The generator writes the same bytes on every run, and the build's data/ and icons/ are what it
// writes.
#include "tests/support/build_paths.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
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

// A fresh folder that the generator, given `option` first (or nothing), writes into `runs`.
static fs::path generate(const char* option, std::initializer_list<const char*> runs) {
  char pattern[] = "/tmp/kk_showdata_XXXXXX";
  EXPECT_NE(mkdtemp(pattern), nullptr);
  const std::string generator = "'" + buildDirectory() + "/tools/showdata/showdata' " + option;
  for (const char* run : runs) {
    const std::string command = generator + " '" + (fs::path(pattern) / run).string() + "' > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
  return pattern;
}

// Compares every file below `fresh` with the file of its name below each of `others`; returns how
// many files there are.
static int expectSameFiles(const fs::path& fresh, std::initializer_list<fs::path> others) {
  int files = 0;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(fresh)) {
    if (entry.is_directory()) continue;
    const fs::path name = entry.path().lexically_relative(fresh);
    for (const fs::path& other : others) {
      EXPECT_TRUE(bytesOf(entry.path()) == bytesOf(other / name)) << name << " differs in " << other;
    }
    ++files;
  }
  return files;
}

TEST(Generator, TwoRunsWriteIdenticalFiles) {
  const fs::path scratch = generate("", {"first", "second"});
  ASSERT_FALSE(::testing::Test::HasFailure());
  // Fourteen pictures, their copies at twice the size and the music, nothing left over from
  // writing them; the build's data/ is what a fresh run writes.
  EXPECT_EQ(expectSameFiles(scratch / "first", {scratch / "second", "data"}), 29);
  fs::remove_all(scratch);
}

// The little-endian number of `size` bytes at `at`.
static uint32_t littleEndian(const std::string& bytes, size_t at, size_t size) {
  uint32_t value = 0;
  for (size_t i = size; i-- > 0;) value = value << 8 | uint8_t(bytes[at + i]);
  return value;
}

TEST(GeneratorIcons, TheIcoHoldsTheFourPngsWhichDecodeAtTheirSizes) {
  const fs::path scratch = generate("--icons", {"."});
  ASSERT_FALSE(::testing::Test::HasFailure());
  EXPECT_EQ(expectSameFiles(scratch, {"icons"}), 5) << "the build's icons/ is what a fresh run writes";

  const std::string ico = bytesOf(scratch / "kaikuranta.ico");
  ASSERT_GE(ico.size(), 6u + 4 * 16);
  EXPECT_EQ(littleEndian(ico, 2, 2), 1u);  // an icon
  ASSERT_EQ(littleEndian(ico, 4, 2), 4u);
  const int sizes[] = {16, 32, 48, 256};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(sizes[i]);
    const size_t entry = 6 + size_t(i) * 16;
    EXPECT_EQ(ico.substr(entry, 2), std::string(2, char(sizes[i] % 256)));  // width and height; 0 stands for 256
    const uint32_t length = littleEndian(ico, entry + 8, 4), offset = littleEndian(ico, entry + 12, 4);
    ASSERT_LE(size_t(offset) + length, ico.size());
    const std::string png = ico.substr(offset, length);
    EXPECT_TRUE(png == bytesOf(scratch / ("kaikuranta-" + std::to_string(sizes[i]) + ".png")));

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size())) << image.message;
    EXPECT_EQ(std::make_pair(int(image.width), int(image.height)), std::make_pair(sizes[i], sizes[i]));
    image.format = PNG_FORMAT_RGBA;
    std::string pixels(PNG_IMAGE_SIZE(image), '\0');
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) << image.message;
    // A picture on a transparent square: clear corners, an opaque middle.
    const size_t middle = (size_t(sizes[i] / 2) * size_t(sizes[i]) + size_t(sizes[i] / 2)) * 4;
    EXPECT_EQ(std::make_pair(uint8_t(pixels[3]), uint8_t(pixels[middle + 3])), (std::pair<uint8_t, uint8_t>(0, 255)));
  }
  fs::remove_all(scratch);
}
