#include "platform/decoded_music.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>
#include <utility>

#include "platform/report.h"

namespace platform {
namespace {

constexpr int64_t MUSIC_BLOCK_FRAMES = 1 << 16;  // 1.5 s at 44100 Hz, 256 KB
constexpr int MUSIC_CHANNELS = 2;

}  // namespace

DecodedMusic::~DecodedMusic() { stop(); }

bool DecodedMusic::start(const char* path, int outputRate, int64_t readyFrames, std::string* why) {
  stop();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    blocks_.clear();
    frames_ = 0;
    finished_ = true;
  }
  std::unique_ptr<Mp3Decoder> decoder;
  try {
    decoder = std::make_unique<Mp3Decoder>();
  } catch (const std::bad_alloc&) {
    *why = std::string("cannot decode ") + path + ": out of memory";
    return false;
  }
  if (!decoder->open(path, outputRate, why)) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = false;
    stopping_ = false;
  }
  try {
    thread_ = std::thread(&DecodedMusic::run, this, std::move(decoder), std::string(path));
  } catch (const std::exception&) {
    // No thread to be had: nothing plays rather than the show waiting for the whole file.
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    *why = std::string("cannot decode ") + path + ": no thread to decode it on";
    return false;
  }
  waitFor(readyFrames);
  return true;
}

void DecodedMusic::run(std::unique_ptr<Mp3Decoder> decoder, std::string path) {
  std::vector<int16_t> piece;
  std::string why;
  bool failed = false;
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) break;
    }
    piece.clear();
    const Mp3Decoder::Step step = decoder->decodeMore(&piece, &why);
    if (!store(piece)) {
      why = "cannot decode " + path + ": out of memory";
      failed = true;
      break;
    }
    if (step == Mp3Decoder::Step::Failed) failed = true;
    if (step != Mp3Decoder::Step::More) break;
  }
  decoder.reset();
  if (failed) report("%s; the music ends there", why.c_str());
  std::lock_guard<std::mutex> lock(mutex_);
  finished_ = true;
  progress_.notify_all();
}

// Appends whole frames to the blocks; false when memory runs out (what was stored before stays).
// Only this thread appends, and readers never look past frames_: the copy runs unlocked.
bool DecodedMusic::store(const std::vector<int16_t>& samples) {
  const int64_t frames = int64_t(samples.size() / MUSIC_CHANNELS);
  for (int64_t at = 0; at < frames;) {
    int16_t* dst = nullptr;
    int64_t n = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const size_t block = size_t(frames_ / MUSIC_BLOCK_FRAMES);
      if (block == blocks_.size()) {
        try {
          std::unique_ptr<int16_t[]> fresh(new int16_t[size_t(MUSIC_BLOCK_FRAMES * MUSIC_CHANNELS)]);
          blocks_.push_back(std::move(fresh));
        } catch (const std::bad_alloc&) {
          return false;
        }
      }
      const int64_t offset = frames_ % MUSIC_BLOCK_FRAMES;
      dst = blocks_[block].get() + offset * MUSIC_CHANNELS;
      n = std::min(frames - at, MUSIC_BLOCK_FRAMES - offset);
    }
    std::memcpy(dst, samples.data() + at * MUSIC_CHANNELS, size_t(n * MUSIC_CHANNELS) * sizeof(int16_t));
    std::lock_guard<std::mutex> lock(mutex_);
    frames_ += n;
    at += n;
    progress_.notify_all();
  }
  return true;
}

bool DecodedMusic::copyFrames(int64_t first, int count, int16_t* out) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const int64_t last = first + count;
  if (!finished_ && last > frames_) return false;
  for (int64_t f = first; f < last;) {
    if (f < 0 || f >= frames_) {
      // Silence up to the music's start, or to the end of the range.
      const int64_t to = f < 0 ? std::min<int64_t>(0, last) : last;
      std::memset(out + (f - first) * MUSIC_CHANNELS, 0, size_t((to - f) * MUSIC_CHANNELS) * sizeof(int16_t));
      f = to;
      continue;
    }
    const int64_t offset = f % MUSIC_BLOCK_FRAMES;
    const int64_t n = std::min({last, frames_, f - offset + MUSIC_BLOCK_FRAMES}) - f;
    std::memcpy(out + (f - first) * MUSIC_CHANNELS, blocks_[size_t(f / MUSIC_BLOCK_FRAMES)].get() + offset * MUSIC_CHANNELS,
                size_t(n * MUSIC_CHANNELS) * sizeof(int16_t));
    f += n;
  }
  return true;
}

void DecodedMusic::waitFor(int64_t frames) const {
  std::unique_lock<std::mutex> lock(mutex_);
  progress_.wait(lock, [&] { return finished_ || frames_ >= frames; });
}

int64_t DecodedMusic::decodedFrames() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return frames_;
}

bool DecodedMusic::finished() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return finished_;
}

void DecodedMusic::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  if (thread_.joinable()) thread_.join();
}

}  // namespace platform
