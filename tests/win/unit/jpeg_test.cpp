// JPEG decoding with the cross-built libjpeg-turbo: made-up pictures of every kind the loader
// takes, the show's own pictures, and the one-line failure for a file that is no JPEG.
#include <gtest/gtest.h>

#include <fstream>

#include "assets/jpeg_loader.h"
#include "tests/assets/test_pictures.h"

namespace {

TEST(WindowsJpeg, DecodesEveryKindOfPictureTopRowFirst) {
  struct Case { int w, h, components; bool progressive; };
  for (const Case& c : {Case{64, 48, 3, false}, Case{64, 48, 3, true}, Case{40, 30, 1, false}, Case{301, 200, 3, false}}) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << "x" << c.components << " " << c.progressive);
    TempFile file("picture.jpg");
    writeJpeg(file.path, c.w, c.h, c.components, c.progressive);
    RgbImage* image = decodeJpegFile(file.path.c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, c.w);
    EXPECT_EQ(image->height, c.h);
    EXPECT_EQ(image->stride, 3 * c.w);
    EXPECT_LE(worstError(image->pixels, c.w, c.h, 3, c.components, c.h), 8);
    freeRgbImage(image);
    // The file is closed again: it can be removed at once.
    EXPECT_EQ(std::remove(file.path.c_str()), 0);
  }
}

TEST(WindowsJpeg, TheShowsPicturesDecodeWhole) {
  // Run from the folder that holds data/. A picture read as text would stop at its first ^Z
  // byte or lose the CR of its CR LF pairs, and the library would warn of a damaged file.
  for (const char* name : {"spiralkeltainen", "kasvot", "maski", "metalli", "star", "mutsis", "tarrat", "kaiku",
                           "scene", "vekkuli", "suck", "kurwa", "kupla", "kupla_maski"}) {
    const std::string path = std::string("data/") + name + ".jpg";
    testing::internal::CaptureStderr();
    RgbImage* image = decodeJpegFile(path.c_str());
    const std::string warnings = testing::internal::GetCapturedStderr();
    ASSERT_NE(image, nullptr) << path;
    EXPECT_EQ(warnings, "") << path;
    // Square pictures of 256 or 512 pixels a side, every row there.
    EXPECT_TRUE(image->width == 256 || image->width == 512) << path << ": " << image->width;
    EXPECT_EQ(image->height, image->width) << path;
    EXPECT_EQ(image->stride, 3 * image->width);
    freeRgbImage(image);
  }
}

TEST(WindowsJpeg, AFileThatIsNoJpegIsRefusedWithTheLibrarysLineNamingIt) {
  TempFile gif("gif.jpg");
  std::ofstream(gif.path, std::ios::binary) << "GIF89a not a jpeg at all";
  std::string failure;
  EXPECT_EQ(decodeJpegFile(gif.path.c_str(), &failure), nullptr);
  EXPECT_EQ(failure, gif.path + ": Not a JPEG file: starts with 0x47 0x49") << failure;
}

}  // namespace
