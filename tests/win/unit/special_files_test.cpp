// Paths on Windows that are no regular file: a folder in place of a picture is named as a folder,
// and a pipe, a device or a folder in place of the music is refused at once rather than read.
// (Pictures it takes are decoded by the tests both systems share; the library's line for a file
// that is no JPEG, by the broken-picture test of the program under Wine.)
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "assets/jpeg_loader.h"
#include "platform/mp3_decoder.h"
#include "tests/assets/test_pictures.h"

// Windows opens no folder as a file and says "Permission denied"; the user hears what it is.
TEST(WindowsJpeg, AFolderInPlaceOfAPictureIsNamedAsAFolder) {
  TempFile folder("folder.jpg");
  ASSERT_TRUE(std::filesystem::create_directory(folder.path));
  std::string failure;
  EXPECT_EQ(decodeJpegFile(folder.path.c_str(), &failure), nullptr);
  EXPECT_EQ(failure, folder.path + ": is a folder, not a picture file");
  std::filesystem::remove(folder.path);
}

TEST(WindowsMusicFile, APipeADeviceOrAFolderIsRefusedWithoutReadingIt) {
  // Two listening ends of a pipe that never says anything.
  const char* pipe = "\\\\.\\pipe\\kk-music-test";
  HANDLE ends[2];
  for (HANDLE& end : ends) {
    end = CreateNamedPipeA(pipe, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
                           4096, 4096, 0, nullptr);
    ASSERT_NE(end, INVALID_HANDLE_VALUE);
  }
  // Read, the pipe would wait forever: the test would hang until its timeout.
  for (const char* path : {pipe, "NUL", "data"}) {
    std::string why;
    EXPECT_FALSE(platform::Mp3Decoder().open(path, 44100, &why)) << path;
    EXPECT_EQ(why.rfind(std::string("cannot open ") + path + ": ", 0), 0u) << why;
  }
  for (HANDLE end : ends) CloseHandle(end);
}
