// The music file on Windows: a path that is no regular file (a pipe, a device, a folder) is
// refused at once rather than read.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <future>
#include <string>

#include "platform/mp3_decoder.h"

namespace {

TEST(WindowsMusicFile, APipeADeviceOrAFolderIsRefusedWithoutReadingIt) {
  // Two listening ends of a pipe that never says anything: reading it would wait forever.
  const char* pipe = "\\\\.\\pipe\\kk-music-test";
  HANDLE ends[2];
  for (HANDLE& end : ends) {
    end = CreateNamedPipeA(pipe, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
                           4096, 4096, 0, nullptr);
    ASSERT_NE(end, INVALID_HANDLE_VALUE);
  }
  for (const char* path : {pipe, "NUL", "data"}) {
    std::string why;
    auto opening = std::async(std::launch::async, [&] { return platform::Mp3Decoder().open(path, 44100, &why); });
    if (opening.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
      ADD_FAILURE() << path << " is being read";
      for (HANDLE end : ends) DisconnectNamedPipe(end);  // the read then fails
    }
    EXPECT_FALSE(opening.get()) << path;
    EXPECT_EQ(why.rfind(std::string("cannot open ") + path + ": ", 0), 0u) << why;
  }
  for (HANDLE end : ends) CloseHandle(end);
}

}  // namespace
