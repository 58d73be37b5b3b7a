#pragma once
// The music as a sound backend plays it: decoded by a thread of its own from the moment the
// stream opens, so playback starts at once and the rest decodes while the show runs (the show's
// music takes a third of a second, hundreds of times faster than it plays; a longer file stops at
// MP3_MAX_SECONDS). The backend's feeding code reads frame ranges from any thread; a range not
// decoded yet is not handed out, so the music never skips ahead of what was decoded. Plain C++:
// both backends use it.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/mp3_decoder.h"

namespace platform {

class DecodedMusic {
 public:
  DecodedMusic() = default;
  ~DecodedMusic();  // stops the decoding
  DecodedMusic(const DecodedMusic&) = delete;
  DecodedMusic& operator=(const DecodedMusic&) = delete;

  // Opens the MP3 at `path` (as Mp3Decoder::open) and starts decoding it, as interleaved stereo
  // at `outputRate` Hz. Returns once the first `readyFrames` are decoded (or the music is
  // shorter). False, with one line in `why`, when the file cannot be opened or holds no MPEG
  // audio; nothing is decoded then. A stream that breaks off later ends there, after one line
  // on standard error.
  bool start(const char* path, int outputRate, int64_t readyFrames, std::string* why);

  // Copies `count` stereo frames from frame `first` into `out` (2 * count samples) when every
  // one of them is decoded or lies outside the music (before 0, past its end: silence). False,
  // with `out` untouched, while some are still to come.
  bool copyFrames(int64_t first, int count, int16_t* out) const;

  // Waits until `frames` frames are decoded or the decoding has ended.
  void waitFor(int64_t frames) const;

  // The frames decoded so far, and whether that is all there will be.
  int64_t decodedFrames() const;
  bool finished() const;

  // Stops the decoding thread (what is decoded stays and counts as the whole music).
  void stop();

 private:
  void run(std::unique_ptr<Mp3Decoder> decoder, std::string path);
  bool store(const std::vector<int16_t>& samples);

  mutable std::mutex mutex_;
  mutable std::condition_variable progress_;
  // Fixed-size blocks: appending never moves what a reader may be copying from.
  std::vector<std::unique_ptr<int16_t[]>> blocks_;
  int64_t frames_ = 0;
  bool finished_ = true;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace platform
