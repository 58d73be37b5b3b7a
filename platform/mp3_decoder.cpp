#include "platform/mp3_decoder.h"

#include <mpg123.h>
#include <syn123.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

#include "platform/regular_file.h"

namespace platform {
namespace {

// The sample rates of MPEG-1, MPEG-2 and MPEG-2.5 audio.
constexpr long MP3_RATES[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
constexpr size_t MP3_CHUNK_BYTES = 64 * 1024;

// The file libmpg123 reads, opened here: libmpg123 never closes a descriptor it was handed.
struct FileDescriptor {
  int fd = -1;
  ~FileDescriptor() {
    if (fd >= 0) close(fd);
  }
};

struct DecoderDeleter {
  void operator()(mpg123_handle* h) const { mpg123_delete(h); }
};
struct ResamplerDeleter {
  void operator()(syn123_handle* h) const { syn123_del(h); }
};

int16_t toInt16(float x) {
  return int16_t(std::clamp(std::nearbyint(x * 32768.0f), -32768.0f, 32767.0f));
}

std::string failure(const char* path, const std::string& cause) {
  return std::string("cannot decode ") + path + ": " + cause;
}

}  // namespace

struct Mp3Decoder::State {
  std::string path;
  int outputRate = 0;
  int64_t framesLeft = 0;  // of the most a stream hands out
  FileDescriptor file;     // outlives the decoder that reads it
  std::unique_ptr<mpg123_handle, DecoderDeleter> decoder;
  std::unique_ptr<syn123_handle, ResamplerDeleter> resampler;
  // The format, read from the first frame, and again whenever the stream changes it.
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  std::vector<unsigned char> chunk;
  std::vector<float> resampled;

  bool takeFormat() {
    mpg123_handle* mh = decoder.get();
    if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK) return false;
    if (encoding != MPG123_ENC_FLOAT_32) return true;
    int err = 0;
    if (!resampler) resampler.reset(syn123_new(outputRate, 2, MPG123_ENC_FLOAT_32, 0, &err));
    return resampler &&
           syn123_setup_resample(resampler.get(), rate, outputRate, 2, 0, 0) == SYN123_OK;
  }

  // Opens `name` for libmpg123 when it is a regular file; a FIFO, a device or a folder is
  // refused at once rather than read (a FIFO blocks, a device may never end).
  bool openFile(const char* name, std::string* why) {
    OpenRefusal refusal = OpenRefusal::None;
    file.fd = openRegularFile(name, &refusal);
    if (refusal == OpenRefusal::CannotOpen) *why = std::string("cannot open ") + name + ": " + std::strerror(errno);
    if (refusal == OpenRefusal::Folder) *why = std::string("cannot open ") + name + ": is a folder, not a music file";
    if (refusal == OpenRefusal::NotRegular) *why = std::string("cannot open ") + name + ": is not a regular file";
    return file.fd >= 0;
  }

  bool open(const char* name, int toRate, std::string* why) {
    // Opened here rather than by libmpg123, which says only "file access error".
    if (!openFile(name, why)) return false;
    path = name;
    outputRate = toRate;
    framesLeft = int64_t(MP3_MAX_SECONDS) * toRate;

    mpg123_init();  // a no-op since 1.27, needed before it
    int err = MPG123_OK;
    decoder.reset(mpg123_new(nullptr, &err));
    mpg123_handle* mh = decoder.get();
    if (!mh) {
      *why = failure(name, mpg123_plain_strerror(err));
      return false;
    }
    // Gapless decoding drops the encoder's delay and padding, so sample 0 is the music's first.
    // Setting the whole flag word also turns off the decoder's own resampling, which drops or
    // repeats samples: a stream at another rate comes out as float for libsyn123's resampler.
    mpg123_param(mh, MPG123_FLAGS, MPG123_GAPLESS | MPG123_FORCE_STEREO | MPG123_QUIET, 0);
    mpg123_format_none(mh);
    for (long r : MP3_RATES) {
      mpg123_format(mh, r, MPG123_STEREO,
                    r == outputRate ? MPG123_ENC_SIGNED_16 : MPG123_ENC_FLOAT_32);
    }
    if (mpg123_open_fd(mh, file.fd) != MPG123_OK) {
      *why = failure(name, mpg123_strerror(mh));
      return false;
    }
    if (!takeFormat()) {
      *why = failure(name, "not MPEG audio");
      return false;
    }
    chunk.resize(MP3_CHUNK_BYTES);
    return true;
  }

  Step decodeMore(std::vector<int16_t>* out, std::string* why) {
    mpg123_handle* mh = decoder.get();
    const size_t before = out->size();
    for (;;) {
      size_t done = 0;
      const int rc = mpg123_read(mh, chunk.data(), chunk.size(), &done);
      if (rc == MPG123_NEW_FORMAT) {
        if (!takeFormat()) {
          *why = failure(path.c_str(), "cannot resample " + std::to_string(rate) + " Hz");
          return Step::Failed;
        }
        continue;
      }
      if (encoding == MPG123_ENC_SIGNED_16) {
        const auto* s = reinterpret_cast<const int16_t*>(chunk.data());
        out->insert(out->end(), s, s + done / sizeof(int16_t));
      } else if (done > 0) {
        auto* s = reinterpret_cast<float*>(chunk.data());
        const size_t frames = done / (2 * sizeof(float));
        resampled.resize(2 * syn123_resample_count(rate, outputRate, frames));
        const size_t made = syn123_resample(resampler.get(), resampled.data(), s, frames);
        std::transform(resampled.begin(), resampled.begin() + ptrdiff_t(2 * made),
                       std::back_inserter(*out), toInt16);
      }
      const int64_t made = int64_t(out->size() - before) / 2;
      if (made >= framesLeft) {
        // All the show can play is there: the rest of a longer stream is never decoded.
        out->resize(before + size_t(2 * framesLeft));
        framesLeft = 0;
        return Step::Done;
      }
      framesLeft -= made;
      if (rc == MPG123_DONE) return Step::Done;
      if (rc != MPG123_OK) {
        *why = failure(path.c_str(), mpg123_strerror(mh));
        return Step::Failed;
      }
      return Step::More;
    }
  }
};

Mp3Decoder::Mp3Decoder() = default;
Mp3Decoder::~Mp3Decoder() = default;

bool Mp3Decoder::open(const char* path, int outputRate, std::string* why) {
  try {
    state_ = std::make_unique<State>();
    if (state_->open(path, outputRate, why)) return true;
  } catch (const std::exception&) {
    *why = failure(path, "out of memory");
  }
  state_.reset();
  return false;
}

Mp3Decoder::Step Mp3Decoder::decodeMore(std::vector<int16_t>* samples, std::string* why) {
  if (!state_) return Step::Done;
  try {
    const Step step = state_->decodeMore(samples, why);
    if (step != Step::More) state_.reset();
    return step;
  } catch (const std::exception& e) {
    // The music does not fit in memory: what was decoded stays, the stream ends here.
    try {
      const bool noMemory = dynamic_cast<const std::bad_alloc*>(&e) != nullptr;
      *why = failure(state_->path.c_str(), noMemory ? "out of memory" : e.what());
    } catch (...) {
      why->clear();
    }
    state_.reset();
    return Step::Failed;
  }
}

int64_t Mp3Decoder::announcedFrames() const {
  if (!state_) return 0;
  // 64-bit arithmetic: off_t is 32 bits on Windows, and samples times a rate overflow it.
  const long long length = mpg123_length(state_->decoder.get());
  if (length <= 0 || state_->rate <= 0) return 0;
  return int64_t(length) * state_->outputRate / state_->rate;
}

namespace {

bool decode(const char* path, int outputRate, std::vector<int16_t>* out, std::string* why) {
  Mp3Decoder decoder;
  if (!decoder.open(path, outputRate, why)) return false;
  // Reserving for the announced length saves the vector's doublings; a header may announce far
  // more than the decoder hands out.
  const int64_t frames = decoder.announcedFrames();
  if (frames > 0) {
    out->reserve(size_t(std::min(frames + outputRate, int64_t(MP3_MAX_SECONDS) * outputRate)) * 2);
  }
  for (;;) {
    switch (decoder.decodeMore(out, why)) {
      case Mp3Decoder::Step::More: continue;
      case Mp3Decoder::Step::Failed: return false;
      case Mp3Decoder::Step::Done: break;
    }
    break;
  }
  if (out->empty()) {
    *why = failure(path, "no MPEG audio in it");
    return false;
  }
  return true;
}

}  // namespace

bool decodeMp3File(const char* path, int outputRate, std::vector<int16_t>* samples,
                   std::string* why) {
  samples->clear();
  bool ok = false;
  try {
    ok = decode(path, outputRate, samples, why);
  } catch (const std::exception& e) {
    // The whole music does not fit in memory: the file fails, the program goes on.
    samples->clear();
    samples->shrink_to_fit();
    try {
      const bool noMemory = dynamic_cast<const std::bad_alloc*>(&e) != nullptr;
      *why = std::string("cannot decode ") + path + ": " +
             (noMemory ? "out of memory" : e.what());
    } catch (...) {
      why->clear();
    }
    return false;
  }
  if (!ok) {
    samples->clear();
    samples->shrink_to_fit();
  }
  return ok;
}

}  // namespace platform
