#include "assets/jpeg_loader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "tests/assets/test_pictures.h"
#include "tests/support/scratch_dir.h"

namespace {

// JPEG is lossy; flat areas come back within a few levels, a little more near chroma edges.
constexpr int TOLERANCE = 12;

void expectPixel(const RgbImage* image, int x, int y, int r, int g, int b) {
  const uint8_t* p = image->pixels + size_t(y) * size_t(image->stride) + size_t(x) * 3;
  EXPECT_NEAR(p[0], r, TOLERANCE) << "red at " << x << "," << y;
  EXPECT_NEAR(p[1], g, TOLERANCE) << "green at " << x << "," << y;
  EXPECT_NEAR(p[2], b, TOLERANCE) << "blue at " << x << "," << y;
}

void expectQuadrants(const RgbImage* image) {
  const int w = image->width, h = image->height;
  expectPixel(image, 0, 0, 255, 0, 0);
  expectPixel(image, w - 1, 0, 0, 255, 0);
  expectPixel(image, 0, h - 1, 0, 0, 255);
  expectPixel(image, w - 1, h - 1, 255, 255, 255);
  expectPixel(image, w / 4, h / 4, 255, 0, 0);
  expectPixel(image, 3 * w / 4, 3 * h / 4, 255, 255, 255);
}

bool hasMarker(const std::string& bytes, unsigned char marker) {
  for (size_t i = 0; i + 1 < bytes.size(); ++i) {
    if (uint8_t(bytes[i]) == 0xFF && uint8_t(bytes[i + 1]) == marker) return true;
  }
  return false;
}

void useThreadsafeDeathTests() { GTEST_FLAG_SET(death_test_style, "threadsafe"); }

}  // namespace

TEST(DecodeJpegFile, ColourPicturesComeBackTopRowFirstInRgbOrder) {
  ScratchDir dir;
  const std::string baseline = dir.file("baseline.jpg");
  const std::string progressive = dir.file("progressive.jpg");
  ASSERT_TRUE(writeJpeg(baseline, quadrantPicture(64, 48)));
  ASSERT_TRUE(writeJpeg(progressive, quadrantPicture(64, 48), true));
  ASSERT_TRUE(hasMarker(readFileBytes(progressive), 0xC2)) << "the test file must really be progressive";
  ASSERT_FALSE(hasMarker(readFileBytes(baseline), 0xC2));

  for (const std::string& path : {baseline, progressive}) {
    SCOPED_TRACE(path);
    const int descriptors = openDescriptorCount();
    RgbImage* image = decodeJpegFile(path.c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(openDescriptorCount(), descriptors) << "the stream must be closed";
    EXPECT_EQ(image->width, 64);
    EXPECT_EQ(image->height, 48);
    EXPECT_EQ(image->stride, 3 * 64);
    expectQuadrants(image);
    freeRgbImage(image);
  }
}

TEST(DecodeJpegFile, GreyscaleIsExpandedToThreeEqualBytesPerPixel) {
  ScratchDir dir;
  TestPicture grey(40, 30, 1);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) *grey.at(x, y) = uint8_t(x * 255 / 39);
  }
  grey.fill(0, 0, 8, 8, {200});  // a bright top-left block shows the rows are not reversed
  const std::string path = dir.file("grey.jpg");
  ASSERT_TRUE(writeJpeg(path, grey));

  RgbImage* image = decodeJpegFile(path.c_str());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 40);
  EXPECT_EQ(image->height, 30);
  EXPECT_EQ(image->stride, 120);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const uint8_t* p = image->pixels + y * image->stride + x * 3;
      ASSERT_EQ(p[0], p[1]) << x << "," << y;
      ASSERT_EQ(p[1], p[2]) << x << "," << y;
    }
  }
  EXPECT_NEAR(image->pixels[29 * image->stride + 20 * 3], 20 * 255 / 39, TOLERANCE);
  EXPECT_NEAR(image->pixels[0], 200, TOLERANCE);
  EXPECT_NEAR(image->pixels[29 * image->stride], 0, TOLERANCE);
  EXPECT_NEAR(image->pixels[29 * image->stride + 39 * 3], 255, TOLERANCE);
  freeRgbImage(image);
}

TEST(DecodeJpegFile, OddWidthRowsArePackedWithoutPadding) {
  ScratchDir dir;
  TestPicture picture(301, 200);
  picture.fill(0, 0, 301, 200, {200, 40, 40});
  picture.fill(140, 0, 161, 200, {40, 40, 220});
  picture.fill(290, 190, 301, 200, {250, 250, 250});  // bottom-right corner: the last bytes
  const std::string path = dir.file("odd.jpg");
  ASSERT_TRUE(writeJpeg(path, picture));

  RgbImage* image = decodeJpegFile(path.c_str());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 301);
  EXPECT_EQ(image->height, 200);
  EXPECT_EQ(image->stride, 903);
  for (int y : {0, 99, 199}) {
    expectPixel(image, 100, y, 200, 40, 40);
    expectPixel(image, 150, y, 40, 40, 220);
  }
  expectPixel(image, 300, 199, 250, 250, 250);
  freeRgbImage(image);
}

TEST(DecodeJpegFile, TruncatedFileWarnsAndStillDeliversThePicture) {
  ScratchDir dir;
  TestPicture picture(128, 128);
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 128; ++x) {
      uint8_t* p = picture.at(x, y);
      p[0] = uint8_t(x * 2);
      p[1] = uint8_t((x * y) & 255);
      p[2] = uint8_t(y * 2);
    }
  }
  picture.fill(0, 0, 16, 16, {255, 255, 0});
  const std::string whole = dir.file("whole.jpg");
  ASSERT_TRUE(writeJpeg(whole, picture));
  const std::string bytes = readFileBytes(whole);
  ASSERT_GT(bytes.size(), 2000u);
  const std::string cut = dir.file("cut.jpg");
  ASSERT_TRUE(writeFileBytes(cut, bytes.substr(0, bytes.size() * 6 / 10)));

  testing::internal::CaptureStderr();
  RgbImage* image = decodeJpegFile(cut.c_str());
  const std::string warnings = testing::internal::GetCapturedStderr();
  ASSERT_NE(image, nullptr);
  EXPECT_NE(warnings.find("Premature end of JPEG file"), std::string::npos) << warnings;
  EXPECT_EQ(image->width, 128);
  EXPECT_EQ(image->height, 128);
  EXPECT_EQ(image->stride, 384);
  expectPixel(image, 4, 4, 255, 255, 0);  // the rows before the cut are intact
  freeRgbImage(image);
}

TEST(DecodeJpegFile, MissingFileGivesNullAndLeavesNoStreamOpen) {
  ScratchDir dir;
  const int descriptors = openDescriptorCount();
  errno = 0;
  EXPECT_EQ(decodeJpegFile(dir.file("nothing-here.jpg").c_str()), nullptr);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(openDescriptorCount(), descriptors);
}

TEST(DecodeJpegFile, LargestAllowedSideIsAccepted) {
  ScratchDir dir;
  TestPicture wide(16384, 8, 1);
  const std::string path = dir.file("wide.jpg");
  ASSERT_TRUE(writeJpeg(path, wide));
  RgbImage* image = decodeJpegFile(path.c_str());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->stride, 3 * 16384);
  EXPECT_EQ(image->height, 8);
  freeRgbImage(image);
}

TEST(DecodeJpegFileDeathTest, FilesThatAreNoUsablePictureEndTheProcessWithStatusOne) {
  useThreadsafeDeathTests();
  // The library's own message, and nothing else, for a file that is not a JPEG.
  EXPECT_EXIT(
      {
        ScratchDir dir;
        writeFileBytes(dir.file("picture.jpg"), "GIF89a not a jpeg at all");
        decodeJpegFile(dir.file("picture.jpg").c_str());
      },
      testing::ExitedWithCode(1), "^Not a JPEG file: starts with 0x47 0x49\n$");
  EXPECT_EXIT(
      {
        ScratchDir dir;
        TestPicture cmyk(32, 32, 4);
        writeJpeg(dir.file("cmyk.jpg"), cmyk);
        decodeJpegFile(dir.file("cmyk.jpg").c_str());
      },
      testing::ExitedWithCode(1), "^kaikuranta: [^\n]*/cmyk\\.jpg: 4 colour components [^\n]*\n$");
  EXPECT_EXIT(
      {
        ScratchDir dir;
        TestPicture tooWide(16385, 8, 1);
        writeJpeg(dir.file("too-wide.jpg"), tooWide);
        decodeJpegFile(dir.file("too-wide.jpg").c_str());
      },
      testing::ExitedWithCode(1),
      "^kaikuranta: [^\n]*/too-wide\\.jpg: 16385x8 pixels is larger than 16384 on a side\n$");
}
