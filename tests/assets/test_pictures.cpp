#include "tests/assets/test_pictures.h"

#include <cstdio>

#include <jpeglib.h>

void TestPicture::fill(int x0, int y0, int x1, int y1, std::initializer_list<uint8_t> value) {
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      int c = 0;
      for (uint8_t v : value) at(x, y)[c++] = v;
    }
  }
}

bool writeJpeg(const std::string& path, const TestPicture& picture, bool progressive, int quality) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = JDIMENSION(picture.width);
  info.image_height = JDIMENSION(picture.height);
  info.input_components = picture.components;
  info.in_color_space = picture.components == 1 ? JCS_GRAYSCALE : picture.components == 4 ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  const size_t stride = size_t(picture.width) * size_t(picture.components);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(&picture.bytes[info.next_scanline * stride]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(file) == 0;
}

TestPicture quadrantPicture(int w, int h) {
  TestPicture picture(w, h);
  picture.fill(0, 0, w / 2, h / 2, {255, 0, 0});
  picture.fill(w / 2, 0, w, h / 2, {0, 255, 0});
  picture.fill(0, h / 2, w / 2, h, {0, 0, 255});
  picture.fill(w / 2, h / 2, w, h, {255, 255, 255});
  return picture;
}
