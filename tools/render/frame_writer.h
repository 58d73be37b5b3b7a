#pragma once
// Frames on their way to a stream (the video encoder's pipe), written by a thread of their own so
// that drawing the next frames never waits for the encoder to take the last one. The drawing
// thread takes a free buffer, fills it and hands it back; the writer thread writes the buffers in
// the order they were handed back. All methods are for the drawing thread.
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class FrameWriter {
 public:
  // `buffers` frames may be in flight at once; `out` stays open, owned by the caller.
  FrameWriter(FILE* out, size_t buffers);
  ~FrameWriter();  // finishes, if the caller did not
  FrameWriter(const FrameWriter&) = delete;
  FrameWriter& operator=(const FrameWriter&) = delete;

  // A buffer to fill, waiting while every buffer is in flight; null once a write has failed.
  std::vector<uint8_t>* take();
  // Queues a buffer from take() for writing; its whole size is written.
  void submit(std::vector<uint8_t>* frame);
  // Writes what is queued, flushes and stops the thread; false when any write failed.
  bool finish();

 private:
  void run();

  FILE* out_;
  std::vector<std::vector<uint8_t>> pool_;
  std::deque<std::vector<uint8_t>*> free_, queued_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool stopping_ = false;
  bool failed_ = false;
  bool finished_ = false;
  std::thread thread_;
};
