// JPEG decoding on Windows: a folder in place of a picture. (Pictures it takes are decoded by the
// tests both systems share; the library's line for a file that is no JPEG, by the broken-picture
// test of the program under Wine.)
#include <gtest/gtest.h>

#include <filesystem>

#include "assets/jpeg_loader.h"
#include "tests/assets/test_pictures.h"

namespace {

// Windows opens no folder as a file and says "Permission denied"; the user hears what it is.
TEST(WindowsJpeg, AFolderInPlaceOfAPictureIsNamedAsAFolder) {
  TempFile folder("folder.jpg");
  ASSERT_TRUE(std::filesystem::create_directory(folder.path));
  std::string failure;
  EXPECT_EQ(decodeJpegFile(folder.path.c_str(), &failure), nullptr);
  EXPECT_EQ(failure, folder.path + ": is a folder, not a picture file");
  std::filesystem::remove(folder.path);
}

}  // namespace
