// JPEG decoding with the cross-built libjpeg-turbo: the one-line failure for a file that is no
// JPEG. (Pictures it takes are decoded by the tests both systems share.)
#include <gtest/gtest.h>

#include <fstream>

#include "assets/jpeg_loader.h"
#include "tests/assets/test_pictures.h"

namespace {

TEST(WindowsJpeg, AFileThatIsNoJpegIsRefusedWithTheLibrarysLineNamingIt) {
  TempFile gif("gif.jpg");
  std::ofstream(gif.path, std::ios::binary) << "GIF89a not a jpeg at all";
  std::string failure;
  EXPECT_EQ(decodeJpegFile(gif.path.c_str(), &failure), nullptr);
  EXPECT_EQ(failure, gif.path + ": Not a JPEG file: starts with 0x47 0x49") << failure;
}

}  // namespace
