#include "tools/render/frame_writer.h"

FrameWriter::FrameWriter(FILE* out, size_t buffers) : out_(out), pool_(buffers < 1 ? 1 : buffers) {
  for (std::vector<uint8_t>& buffer : pool_) free_.push_back(&buffer);
  thread_ = std::thread([this] { run(); });
}

FrameWriter::~FrameWriter() { finish(); }

std::vector<uint8_t>* FrameWriter::take() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return failed_ || !free_.empty(); });
  if (failed_) return nullptr;
  std::vector<uint8_t>* buffer = free_.front();
  free_.pop_front();
  return buffer;
}

void FrameWriter::submit(std::vector<uint8_t>* frame) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queued_.push_back(frame);
  }
  changed_.notify_all();
}

bool FrameWriter::finish() {
  if (!finished_) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
    finished_ = true;
    if (std::fflush(out_) != 0) failed_ = true;
  }
  return !failed_;
}

void FrameWriter::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !queued_.empty(); });
    if (queued_.empty()) return;  // stopping, with everything written
    std::vector<uint8_t>* frame = queued_.front();
    queued_.pop_front();
    // Once a write has failed the rest are dropped, but every buffer still comes back, so
    // nobody waits for one forever.
    if (!failed_) {
      lock.unlock();
      const bool written = std::fwrite(frame->data(), 1, frame->size(), out_) == frame->size();
      lock.lock();
      if (!written) failed_ = true;
    }
    free_.push_back(frame);
    changed_.notify_all();
  }
}
