#include "tools/png_file.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/report.h"

namespace {

// The file being written and, once something went wrong, why: the system's words for a failed
// write, libpng's for anything else.
struct PngOutput {
  FILE* file;
  const char* path;
  char why[256];
};

void setWhy(PngOutput* out, const char* why) {
  if (out->why[0] == '\0') std::snprintf(out->why, sizeof out->why, "%s", why);
}

// libpng's errors end the write (the caller names the file once); its warnings are reported as
// every line of the program is.
[[noreturn]] void refuse(png_structp png, png_const_charp message) {
  setWhy(static_cast<PngOutput*>(png_get_error_ptr(png)), message);
  png_longjmp(png, 1);
}

void warn(png_structp png, png_const_charp message) {
  platform::report("%s: %s", static_cast<PngOutput*>(png_get_error_ptr(png))->path, message);
}

void writeBytes(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<PngOutput*>(png_get_io_ptr(png));
  if (std::fwrite(data, 1, length, out->file) != length) {
    setWhy(out, std::strerror(errno));
    png_error(png, out->why);
  }
}

void flushBytes(png_structp png) {
  auto* out = static_cast<PngOutput*>(png_get_io_ptr(png));
  if (std::fflush(out->file) != 0) {
    setWhy(out, std::strerror(errno));
    png_error(png, out->why);
  }
}

bool encode(PngOutput* out, int w, int h, const std::vector<uint8_t>& rgba) {
  // Made before the jump target, so a jump back from libpng leaves it to its destructor.
  std::vector<png_byte> row(size_t(w) * 3);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, out, refuse, warn);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    setWhy(out, "out of memory");
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, writeBytes, flushBytes);
  // A frame is opaque on screen whatever its alpha channel holds after the blending, so the
  // file keeps the colours only.
  png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = h - 1; y >= 0; --y) {
    const uint8_t* src = &rgba[size_t(y) * size_t(w) * 4];
    for (int x = 0; x < w; ++x) {
      row[size_t(x) * 3] = src[x * 4];
      row[size_t(x) * 3 + 1] = src[x * 4 + 1];
      row[size_t(x) * 3 + 2] = src[x * 4 + 2];
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool writePng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgba) {
  const std::string part = path + ".part";
  PngOutput out{nullptr, path.c_str(), ""};
  out.file = std::fopen(part.c_str(), "wb");
  if (!out.file) {
    platform::report("cannot write %s: %s", path.c_str(), std::strerror(errno));
    return false;
  }
  bool written = encode(&out, w, h, rgba);
  // What the stream still buffers goes out on closing, and may not fit either.
  if (std::fclose(out.file) != 0 && written) {
    setWhy(&out, std::strerror(errno));
    written = false;
  }
  if (written) {
    std::error_code error;
    std::filesystem::rename(part, path, error);
    if (!error) return true;
    setWhy(&out, error.message().c_str());
  }
  std::remove(part.c_str());
  platform::report("cannot write %s: %s", path.c_str(), out.why);
  return false;
}
