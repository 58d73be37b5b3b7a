#pragma once
// Decoding one JPEG file into rows of RGB bytes with libjpeg (interface version 62).
#include <cstdint>

struct RgbImage {
  int32_t stride;   // bytes in one row: 3 x width (greyscale files are expanded to RGB)
  int32_t width;
  int32_t height;
  uint8_t* pixels;  // stride x height bytes, top row first, no padding between rows
};

// Decodes the file at `path` (relative to the working directory). Null when the file cannot be
// opened, with errno left as fopen set it and nothing reported. A file that is not a valid JPEG
// ends the process with status 1 after the library's message; so does a picture with other than
// one or three components or with a side over 16384 pixels, after a line of our own. Recoverable
// damage gives the library's warning and whatever pixels it delivers. The record and its pixels
// belong to the caller: release with freeRgbImage.
RgbImage* decodeJpegFile(const char* path);

// Releases the pixel buffer, then the record.
void freeRgbImage(RgbImage* image);
