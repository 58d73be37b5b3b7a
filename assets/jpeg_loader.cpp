#include "assets/jpeg_loader.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

static_assert(JPEG_LIB_VERSION == 62, "the loader is written against the libjpeg 6b interface");

namespace {

// Larger pictures than this are no picture the show could use, and refusing them early keeps
// every size computation below far from overflow (16384 x 16384 x 3 bytes fits easily).
constexpr JDIMENSION MAX_SIDE = 16384;

// Pictures the show cannot use end the process the way the library's own errors do: one line on
// standard error and status 1.
[[noreturn]] void refuse(jpeg_decompress_struct* info, FILE* file, RgbImage* image, const char* path,
                         const char* reason) {
  std::fprintf(stderr, "kaikuranta: %s: %s\n", path, reason);
  jpeg_destroy_decompress(info);
  std::fclose(file);
  freeRgbImage(image);
  std::exit(1);
}

// One grey byte per pixel becomes three equal bytes. Walks from the last pixel back so the
// expansion can happen inside the buffer the grey rows were decoded into.
void expandGreyToRgb(uint8_t* pixels, size_t count) {
  for (size_t i = count; i-- > 0;) {
    const uint8_t grey = pixels[i];
    pixels[3 * i] = grey;
    pixels[3 * i + 1] = grey;
    pixels[3 * i + 2] = grey;
  }
}

}  // namespace

RgbImage* decodeJpegFile(const char* path) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return nullptr;  // errno still tells why; the caller reports it

  jpeg_decompress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_CreateDecompress(&info, 62, sizeof(jpeg_decompress_struct));
  jpeg_stdio_src(&info, file);

  auto* image = static_cast<RgbImage*>(std::calloc(1, sizeof(RgbImage)));
  if (!image) refuse(&info, file, image, path, "out of memory");

  jpeg_read_header(&info, TRUE);
  if (info.image_width > MAX_SIDE || info.image_height > MAX_SIDE) {
    char reason[96];
    std::snprintf(reason, sizeof reason, "%ux%u pixels is larger than %u on a side",
                  unsigned(info.image_width), unsigned(info.image_height), unsigned(MAX_SIDE));
    refuse(&info, file, image, path, reason);
  }

  jpeg_start_decompress(&info);
  const int components = info.output_components;
  if (components != 1 && components != 3) {
    char reason[96];
    std::snprintf(reason, sizeof reason,
                  "%d colour components (only RGB and greyscale pictures are supported)", components);
    refuse(&info, file, image, path, reason);
  }

  // Greyscale rows are decoded tightly packed into the front of an RGB-sized buffer, then
  // expanded in place, so every picture leaves here with three bytes per pixel.
  const size_t width = info.output_width;
  const size_t height = info.output_height;
  const size_t decodedStride = size_t(components) * width;
  const size_t rgbStride = 3 * width;
  image->stride = static_cast<int32_t>(rgbStride);
  image->width = static_cast<int32_t>(width);
  image->height = static_cast<int32_t>(height);
  image->pixels = static_cast<uint8_t*>(std::malloc(rgbStride * height > 0 ? rgbStride * height : 1));
  auto** rows = static_cast<JSAMPROW*>(std::malloc(sizeof(JSAMPROW) * (height > 0 ? height : 1)));
  if (!image->pixels || !rows) {
    std::free(rows);
    refuse(&info, file, image, path, "out of memory");
  }
  for (size_t i = 0; i < height; ++i) rows[i] = image->pixels + i * decodedStride;

  JDIMENSION rowsRead = 0;
  while (info.output_scanline < info.output_height) {
    rowsRead += jpeg_read_scanlines(&info, rows + rowsRead, info.output_height - rowsRead);
  }
  std::free(rows);

  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::fclose(file);

  if (components == 1) expandGreyToRgb(image->pixels, width * height);
  return image;
}

void freeRgbImage(RgbImage* image) {
  if (!image) return;
  std::free(image->pixels);
  std::free(image);
}
