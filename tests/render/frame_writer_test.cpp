// The writer thread between the renderer and the encoder's pipe: order, back-pressure, failure.
#include "tools/render/frame_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace {

struct Pipe {
  Pipe() {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    reader = fds[0];
    writer = fdopen(fds[1], "w");
  }
  ~Pipe() {
    if (reader >= 0) close(reader);
    if (writer) fclose(writer);
  }
  // Reads exactly n bytes (or what there is before the end).
  std::string read(size_t n) {
    std::string out;
    char chunk[4096];
    while (out.size() < n) {
      const ssize_t got = ::read(reader, chunk, std::min(sizeof chunk, n - out.size()));
      if (got <= 0) break;
      out.append(chunk, size_t(got));
    }
    return out;
  }
  int reader = -1;
  FILE* writer = nullptr;
};

TEST(FrameWriter, WritesFramesInOrderWhileTheReaderIsSlow) {
  Pipe pipe;
  constexpr size_t FRAME = 300000;  // several times what a pipe holds
  constexpr int FRAMES = 12;
  std::string received;
  std::atomic<bool> readerStarted{false};
  std::thread reader([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    readerStarted = true;
    received = pipe.read(FRAME * FRAMES);
  });
  FrameWriter writer(pipe.writer, 3);
  bool tookBeforeReading = true;
  for (int i = 0; i < FRAMES; ++i) {
    std::vector<uint8_t>* frame = writer.take();
    ASSERT_NE(frame, nullptr);
    // Three buffers hold three frames; the fourth waits until the reader takes the first.
    if (i == 3) tookBeforeReading = !readerStarted;
    frame->assign(FRAME, uint8_t('a' + i));
    writer.submit(frame);
  }
  EXPECT_TRUE(writer.finish());
  reader.join();
  EXPECT_FALSE(tookBeforeReading) << "a fourth buffer was handed out while three were in flight";
  ASSERT_EQ(received.size(), FRAME * FRAMES);
  for (int i = 0; i < FRAMES; ++i) {
    EXPECT_TRUE(received.compare(FRAME * size_t(i), FRAME, std::string(FRAME, char('a' + i))) == 0) << i;
  }
}

}  // namespace
