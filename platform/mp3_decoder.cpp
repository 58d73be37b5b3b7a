#include "platform/mp3_decoder.h"

#include <mpg123.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {

bool decodeMp3(const char* path, int outputRate, std::vector<int16_t>* out, std::string* why) {
  constexpr int kChannels = 2;
  out->clear();
  FILE* probe = std::fopen(path, "rb");
  if (!probe) {
    *why = std::string("cannot open ") + path + ": " + std::strerror(errno);
    return false;
  }
  std::fclose(probe);

  mpg123_init();
  int err = MPG123_OK;
  mpg123_handle* mh = mpg123_new(nullptr, &err);
  if (!mh) {
    *why = std::string("cannot decode ") + path + ": " + mpg123_plain_strerror(err);
    return false;
  }
  // Gapless decoding drops the encoder's delay and padding, so sample 0 is the music's first.
  mpg123_param(mh, MPG123_FLAGS, MPG123_GAPLESS | MPG123_FORCE_STEREO | MPG123_QUIET, 0);
  mpg123_format_none(mh);
  mpg123_format(mh, outputRate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
  if (mpg123_open(mh, path) != MPG123_OK) {
    *why = std::string("cannot decode ") + path + ": " + mpg123_strerror(mh);
    mpg123_delete(mh);
    return false;
  }
  std::vector<unsigned char> chunk(64 * 1024);
  bool gotFormat = false;
  for (;;) {
    size_t done = 0;
    int rc = mpg123_read(mh, chunk.data(), chunk.size(), &done);
    if (rc == MPG123_NEW_FORMAT) {
      long rate = 0;
      int channels = 0, encoding = 0;
      mpg123_getformat(mh, &rate, &channels, &encoding);
      gotFormat = rate == outputRate && channels == kChannels && encoding == MPG123_ENC_SIGNED_16;
      if (!gotFormat) break;
      continue;
    }
    if (done > 0) {
      const auto* s = reinterpret_cast<const int16_t*>(chunk.data());
      out->insert(out->end(), s, s + done / sizeof(int16_t));
    }
    if (rc == MPG123_DONE) break;
    if (rc != MPG123_OK) {
      out->clear();
      break;
    }
  }
  mpg123_close(mh);
  mpg123_delete(mh);
  if (!gotFormat || out->empty()) {
    *why = std::string("cannot decode ") + path + ": not an MP3 stream at " + std::to_string(outputRate) + " Hz";
    out->clear();
    return false;
  }
  return true;
}

}  // namespace platform
