#include "tools/showdata/picture_file.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

std::vector<uint8_t> encodeJpeg(const Picture& picture) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* memory = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &memory, &size);
  info.image_width = JDIMENSION(picture.width);
  info.image_height = JDIMENSION(picture.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 90, TRUE);
  for (int c = 0; c < 3; ++c) {
    info.comp_info[c].h_samp_factor = 1;
    info.comp_info[c].v_samp_factor = 1;
  }
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&picture.rgb[size_t(info.next_scanline) * size_t(picture.width) * 3]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> bytes(memory, memory + size);
  std::free(memory);
  return bytes;
}

Picture flippedVertically(const Picture& picture) {
  Picture out = picture;
  const size_t stride = size_t(picture.width) * 3;
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(&out.rgb[size_t(y) * stride], &picture.rgb[size_t(picture.height - 1 - y) * stride], stride);
  }
  return out;
}
