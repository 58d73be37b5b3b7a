// Files that are no usable picture, or declare far more than they hold, refused or decoded
// reduced without running out of memory or waiting on a pipe.
#include "assets/jpeg_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "tests/assets/test_pictures.h"
#include "tools/media_files/crafted_jpeg.h"

static long openDescriptors() {
  return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

// A crafted square picture of `side` pixels, otherwise as `set` makes it.
static void writeCrafted(const TempFile& file, int side, const std::function<void(CraftedJpeg&)>& set) {
  CraftedJpeg picture;
  picture.width = picture.height = side;
  set(picture);
  ASSERT_TRUE(writeBytes(file.path, craftJpeg(picture))) << file.path;
}

TEST(DecodeJpegFile, FilesThatAreNoUsablePictureGiveNullAndOneLineNamingThem) {
  TempFile gif("gif.jpg"), png("png.jpg"), empty("empty.jpg"), twelveBits("twelve.jpg"), cmyk("cmyk.jpg"),
      wide("wide.jpg"), folder("folder.jpg"), absent("absent.jpg"), hugeInFewBytes("huge.jpg"),
      progressiveBomb("progressive.jpg"), manyScans("scans.jpg"), arithmeticHuge("arithmetic.jpg"), fifo("fifo.jpg");
  std::ofstream(gif.path) << "GIF89a not a jpeg at all";
  std::ofstream(png.path) << "\x89PNG\r\n\x1a\n";
  std::ofstream(empty.path);
  std::vector<uint8_t> bytes = craftJpeg({});
  for (size_t i = 0; i + 4 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) bytes[i + 4] = 12;  // the frame's sample precision
  }
  ASSERT_TRUE(writeBytes(twelveBits.path, bytes));
  writeJpeg(cmyk.path, 32, 32, 4);
  writeJpeg(wide.path, 16385, 8, 1);
  ASSERT_EQ(mkdir(folder.path.c_str(), 0700), 0);
  // Opened for reading, a FIFO would wait for a writer: the test would hang until its timeout.
  ASSERT_EQ(mkfifo(fifo.path.c_str(), 0600), 0);
  writeCrafted(hugeInFewBytes, 16384, [](CraftedJpeg& p) { p.components = 3; p.dataBytes = 2; });
  // Within what any file may declare, but its coefficients alone would take 72 MB: complete,
  // flat and valid, yet far smaller than any photo of that size.
  writeCrafted(progressiveBomb, 6000, [](CraftedJpeg& p) { p.progressive = true; });
  // A 4000x4000 picture walked seventeen times over.
  writeCrafted(manyScans, 4000, [](CraftedJpeg& p) { p.progressive = true; p.dataBytes = 2; p.scans = 17; });
  // The most a file of any size may declare in Huffman-coded blocks costs three times as much to
  // decode when arithmetic-coded.
  writeCrafted(arithmeticHuge, 16384, [](CraftedJpeg& p) { p.arithmetic = true; p.dataBytes = 2; });
  auto size = [](const TempFile& file) { return std::to_string(std::filesystem::file_size(file.path)); };

  const std::pair<const TempFile*, std::string> cases[] = {
      {&gif, gif.path + ": Not a JPEG file: starts with 0x47 0x49"},
      {&png, png.path + ": Not a JPEG file: starts with 0x89 0x50"},
      {&empty, empty.path + ": Empty input file"},
      {&twelveBits, twelveBits.path + ": Unsupported JPEG data precision 12"},
      {&cmyk, cmyk.path + ": 4 colour components (only RGB and greyscale pictures are supported)"},
      {&wide, wide.path + ": 16385x8 pixels is larger than 16384 on a side"},
      {&folder, folder.path + ": is a folder, not a picture file"},
      {&fifo, fifo.path + ": is not a regular file"},
      {&absent, "cannot open " + absent.path + ": No such file or directory"},
      {&hugeInFewBytes, hugeInFewBytes.path + ": 16384x16384 pixels in a file of only " + size(hugeInFewBytes) + " bytes"},
      {&progressiveBomb, progressiveBomb.path + ": 6000x6000 pixels in several scans need more than 64 MB to decode, "
                             "too much for a file of " + size(progressiveBomb) + " bytes"},
      {&manyScans, manyScans.path + ": too many scans (17) for 4000x4000 pixels"},
      {&arithmeticHuge, arithmeticHuge.path + ": 16384x16384 pixels in a file of only " + size(arithmeticHuge) + " bytes"},
  };
  const long descriptors = openDescriptors();
  for (const auto& [file, line] : cases) {
    SCOPED_TRACE(file->path);
    const Decoded decoded(file->path);
    EXPECT_EQ(decoded.image, nullptr);
    EXPECT_EQ(decoded.failure, line);
    EXPECT_EQ(decoded.printed.find("kaikuranta: ") == 0 ? "" : decoded.printed, "") << "warnings must name the file";
  }
  EXPECT_EQ(openDescriptors(), descriptors) << "every stream must be closed";
  rmdir(folder.path.c_str());
}

TEST(DecodeJpegFile, HugeDeclaredSizesThatTheFileCanHoldAreDecodedReduced) {
  TempFile grey("grey.jpg"), padded("padded.jpg"), scans("scans.jpg");
  // The most any file may declare: 16384x16384 grey, here in 148 bytes with its data cut short.
  writeCrafted(grey, 16384, [](CraftedJpeg& p) { p.dataBytes = 2; });
  // 72 MB of progressive coefficients, from a file large enough to justify them.
  writeCrafted(padded, 6000, [](CraftedJpeg& p) { p.progressive = true; p.paddingBytes = 1200000; });
  // Sixteen walks over a picture are allowed.
  writeCrafted(scans, 4000, [](CraftedJpeg& p) { p.progressive = true; p.scans = 16; });

  const struct { const TempFile* file; int w, h; const char* warning; } cases[] = {
      {&grey, 2048, 2048, ": Corrupt JPEG data: premature end of data segment\n"},
      {&padded, 1500, 1500, ""},
      {&scans, 2000, 2000, ""},
  };
  const long descriptors = openDescriptors();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file->path);
    const Decoded decoded(c.file->path);
    ASSERT_NE(decoded.image, nullptr) << decoded.failure;
    EXPECT_EQ(std::make_pair(decoded.image->width, decoded.image->height), std::make_pair(c.w, c.h));
    EXPECT_EQ(decoded.printed, *c.warning ? "kaikuranta: " + c.file->path + c.warning : "");
    // Flat blocks, all of them.
    EXPECT_EQ(decoded.image->pixels[0], 128);
    EXPECT_EQ(std::memcmp(decoded.image->pixels, decoded.image->pixels + 1, size_t(decoded.image->stride) * size_t(c.h) - 1), 0);
  }
  EXPECT_EQ(openDescriptors(), descriptors) << "every stream must be closed";
}
