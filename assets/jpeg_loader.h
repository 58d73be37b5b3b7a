#pragma once
// Decoding one JPEG file into rows of RGB bytes with libjpeg (interface version 62), on the
// program's thread. Hostile files cost bounded time and memory: see decodeJpegFile.
#include <cstdint>
#include <string>

struct RgbImage {
  int32_t stride;   // bytes in one row: 3 x width (greyscale files are expanded to RGB)
  int32_t width;
  int32_t height;
  uint8_t* pixels;  // stride x height bytes, top row first, no padding between rows
};

// Pictures larger than this on a side are decoded at 1/2, 1/4 or 1/8 of their size, the library
// scaling while it decodes; the show never draws a picture even half this wide.
constexpr int32_t JPEG_MAX_DECODED_SIDE = 2048;

// Decodes the regular file at `path` (relative to the working directory). Null when the file is
// no picture the show can use: one that cannot be opened, is not a regular file, is refused by
// the library, has other than one or three components or a side over 16384 pixels, or would
// cost far more to decode than a real picture of its size (progressive scans that need more
// memory than the file's size justifies, or more scans than any encoder writes). `*failure`,
// when given, then holds one line that names the file and says why. Recoverable damage is
// reported on standard error as one line naming the file (the first warning only), and the
// picture keeps whatever pixels the library delivers. The record and its pixels belong to the
// caller: release with freeRgbImage.
RgbImage* decodeJpegFile(const char* path, std::string* failure = nullptr);

// Releases the pixel buffer, then the record.
void freeRgbImage(RgbImage* image);
