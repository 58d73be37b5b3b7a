// JPEG decoding with the cross-built libjpeg-turbo: the one-line failure for a file that is no
// JPEG, or no file at all. (Pictures it takes are decoded by the tests both systems share.)
#include <gtest/gtest.h>

#include <filesystem>
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
