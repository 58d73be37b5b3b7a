// The music file on Windows: a path that is no regular file (a pipe, a device, a folder) is
// refused at once rather than read.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/mp3_decoder.h"

namespace {

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

}  // namespace
