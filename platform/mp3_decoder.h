#pragma once
// MP3 decoding with libmpg123 (and libsyn123's resampler for other rates) into the format the
// sound output plays: interleaved stereo 16-bit at one rate. Plain C++, no audio device: every
// sound backend plays what it returns. A file decodes in one call, or piece by piece, up to the
// most the show can play.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// The most of any stream that is decoded, in seconds: the show plays 154.5 s of its music, and a
// margin covers a sound device that runs slow. An hour-long file then costs what the show's own
// does (10.6 MB of samples a minute) and decodes no longer.
constexpr int MP3_MAX_SECONDS = 165;

// One stream decoded piece by piece, the same samples decodeMp3File gives. One thread at a time.
class Mp3Decoder {
 public:
  enum class Step { More, Done, Failed };

  Mp3Decoder();
  ~Mp3Decoder();
  Mp3Decoder(const Mp3Decoder&) = delete;
  Mp3Decoder& operator=(const Mp3Decoder&) = delete;

  // Opens `path` and reads its first frame. False, with one line in `why` naming the file and
  // the cause, when it is not there, is not a regular file (a FIFO or a device is refused at
  // once, never waited on) or holds no MPEG audio. Never throws.
  bool open(const char* path, int outputRate, std::string* why);
  // Appends the next piece of the music (at most about 0.4 s) to `samples`. Done at the end of
  // the stream or once MP3_MAX_SECONDS are out (the piece may still hold samples); Failed with one line in `why` when the stream
  // breaks off or memory runs out (what came before stays good). Never throws.
  Step decodeMore(std::vector<int16_t>* samples, std::string* why);
  // The stream's length in output frames as its header announces it; 0 when it does not.
  int64_t announcedFrames() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Decodes the MPEG audio stream at `path` (Layer III at 8 to 48 kHz, MPEG-1, 2 or 2.5, mono or
// stereo, constant or variable bit rate, with or without ID3v1, ID3v2 or APE tags) into
// `samples`: interleaved stereo int16 at `outputRate` Hz, its first MP3_MAX_SECONDS at most.
// Decoding is gapless: sample 0 is the
// music's first, the encoder's delay and padding are gone. A stream at `outputRate` is decoded
// as it stands; one at another rate is resampled at its pitch and speed.
// False on failure, with `samples` empty and one line in `why` that names the file and the cause
// (not there, not MPEG audio, out of memory). Never throws.
bool decodeMp3File(const char* path, int outputRate, std::vector<int16_t>* samples,
                   std::string* why);

}  // namespace platform
