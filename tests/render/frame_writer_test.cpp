// The writer thread between the renderer and the encoder's pipe: order, back-pressure, failure.
#include "tools/render/frame_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

TEST(FrameWriter, WritesFramesInOrderWhileTheReaderIsSlow) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  FILE* out = fdopen(ends[1], "w");
  constexpr size_t FRAME = 300000;  // several times what a pipe holds
  constexpr int FRAMES = 12;
  std::string received;
  std::atomic<bool> readerStarted{false};
  std::thread reader([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    readerStarted = true;
    char chunk[4096];
    for (ssize_t got; (got = read(ends[0], chunk, sizeof chunk)) > 0;) received.append(chunk, size_t(got));
  });
  FrameWriter writer(out, 3);
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
  fclose(out);  // the reader's end of the stream
  reader.join();
  close(ends[0]);
  EXPECT_FALSE(tookBeforeReading) << "a fourth buffer was handed out while three were in flight";
  ASSERT_EQ(received.size(), FRAME * FRAMES);
  for (int i = 0; i < FRAMES; ++i) {
    EXPECT_TRUE(received.compare(FRAME * size_t(i), FRAME, std::string(FRAME, char('a' + i))) == 0) << i;
  }
}
