#include "data_files.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <mpg123.h>

#include <algorithm>
#include <csetjmp>
#include <fstream>
#include <iterator>

int DecodedJpeg::maxChannel(int x, int y) const {
  const uint8_t* p = at(x, y);
  return *std::max_element(p, p + components);
}

int DecodedJpeg::minChannel(int x, int y) const {
  const uint8_t* p = at(x, y);
  return *std::min_element(p, p + components);
}

double DecodedJpeg::luma(int x, int y) const {
  const uint8_t* p = at(x, y);
  if (components < 3) return p[0];
  return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
}

namespace {

struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void onJpegError(j_common_ptr info) {
  JpegErrors* errors = reinterpret_cast<JpegErrors*>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->jump, 1);
}

}  // namespace

DecodedJpeg decodeJpeg(const std::string& path) {
  DecodedJpeg out;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    out.error = "cannot open " + path;
    return out;
  }
  jpeg_decompress_struct info;
  JpegErrors errors;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = onJpegError;
  if (setjmp(errors.jump)) {
    out.error = path + ": " + errors.message;
    out.pixels.clear();
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return out;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  out.progressive = jpeg_has_multiple_scans(&info);
  jpeg_start_decompress(&info);
  out.width = int(info.output_width);
  out.height = int(info.output_height);
  out.components = info.output_components;
  out.pixels.resize(size_t(out.width) * size_t(out.height) * size_t(out.components));
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = &out.pixels[size_t(info.output_scanline) * size_t(out.width) * size_t(out.components)];
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::fclose(file);
  return out;
}

DecodedMp3 decodeMp3(const std::string& path) {
  DecodedMp3 out;
  mpg123_init();
  int status = MPG123_OK;
  mpg123_handle* handle = mpg123_new(nullptr, &status);
  if (!handle) {
    out.error = "mpg123_new failed";
    return out;
  }
  // The show relies on the encoder delay being skipped: beat 1 must be sample 0.
  mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
  mpg123_format_none(handle);
  mpg123_format(handle, 44100, MPG123_STEREO | MPG123_MONO, MPG123_ENC_SIGNED_16);
  if (mpg123_open(handle, path.c_str()) != MPG123_OK) {
    out.error = "cannot open " + path + ": " + mpg123_strerror(handle);
    mpg123_delete(handle);
    return out;
  }
  int encoding = 0;
  if (mpg123_getformat(handle, &out.rate, &out.channels, &encoding) != MPG123_OK) {
    out.error = path + ": no audio format";
  }
  std::vector<unsigned char> buffer(1 << 16);
  while (out.error.empty()) {
    size_t done = 0;
    const int result = mpg123_read(handle, buffer.data(), buffer.size(), &done);
    const int16_t* s = reinterpret_cast<const int16_t*>(buffer.data());
    out.samples.insert(out.samples.end(), s, s + done / 2);
    if (result == MPG123_DONE) break;
    if (result != MPG123_OK && result != MPG123_NEW_FORMAT) out.error = path + ": " + mpg123_strerror(handle);
  }
  mpg123_close(handle);
  mpg123_delete(handle);
  return out;
}

std::vector<uint8_t> readFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
