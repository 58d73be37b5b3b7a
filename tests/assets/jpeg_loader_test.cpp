#include "assets/jpeg_loader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "tests/assets/test_pictures.h"

static long openDescriptors() {
  return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

TEST(DecodeJpegFile, GivesPackedTopRowFirstRgbRows) {
  struct Case { int w, h, components; bool progressive, truncated; };
  // Baseline, progressive, greyscale (expanded to RGB), an odd width, the largest side allowed,
  // and a file cut short, which warns and keeps the rows before the cut.
  for (const Case& c : {Case{64, 48, 3, false, false}, Case{64, 48, 3, true, false}, Case{40, 30, 1, false, false},
                        Case{301, 200, 3, false, false}, Case{16384, 8, 1, false, false}, Case{128, 128, 3, false, true}}) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << "x" << c.components << " " << c.progressive << c.truncated);
    TempFile file("picture.jpg");
    writeJpeg(file.path, c.w, c.h, c.components, c.progressive);
    if (c.truncated) std::filesystem::resize_file(file.path, std::filesystem::file_size(file.path) * 6 / 10);
    const long descriptors = openDescriptors();
    testing::internal::CaptureStderr();
    RgbImage* image = decodeJpegFile(file.path.c_str());
    const std::string warnings = testing::internal::GetCapturedStderr();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(openDescriptors(), descriptors) << "the stream must be closed";
    EXPECT_EQ(warnings.find("Premature end of JPEG file") != std::string::npos, c.truncated) << warnings;
    EXPECT_EQ(image->width, c.w);
    EXPECT_EQ(image->height, c.h);
    EXPECT_EQ(image->stride, 3 * c.w);
    EXPECT_LE(worstError(image->pixels, c.w, c.h, 3, c.components, c.truncated ? 16 : c.h), 8);  // JPEG is lossy
    freeRgbImage(image);
  }
}

TEST(DecodeJpegFile, MissingFileGivesNullAndLeavesNoStreamOpen) {
  const long descriptors = openDescriptors();
  errno = 0;
  EXPECT_EQ(decodeJpegFile(TempFile("absent.jpg").path.c_str()), nullptr);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(openDescriptors(), descriptors);
}

TEST(DecodeJpegFileDeathTest, FilesThatAreNoUsablePictureEndTheProcessWithStatusOne) {
  // Death tests run first, before any GL thread exists, so the child can simply fork.
  TempFile gif("gif.jpg"), cmyk("cmyk.jpg"), wide("wide.jpg");
  std::ofstream(gif.path) << "GIF89a not a jpeg at all";
  writeJpeg(cmyk.path, 32, 32, 4);
  writeJpeg(wide.path, 16385, 8, 1);
  // The library's own message, and nothing else, for a file that is not a JPEG.
  EXPECT_EXIT(decodeJpegFile(gif.path.c_str()), testing::ExitedWithCode(1), "^Not a JPEG file: starts with 0x47 0x49\n$");
  EXPECT_EXIT(decodeJpegFile(cmyk.path.c_str()), testing::ExitedWithCode(1), "^kaikuranta: [^\n]*cmyk\\.jpg: 4 colour components [^\n]*\n$");
  EXPECT_EXIT(decodeJpegFile(wide.path.c_str()), testing::ExitedWithCode(1), "^kaikuranta: [^\n]*wide\\.jpg: 16385x8 pixels is larger than 16384 on a side\n$");
}
