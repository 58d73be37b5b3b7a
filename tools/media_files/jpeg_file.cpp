#include "tools/media_files/jpeg_file.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

std::vector<uint8_t> encodeJpeg(const JpegSettings& settings, const JpegRow& fillRow) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* memory = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &memory, &size);
  info.image_width = JDIMENSION(settings.width);
  info.image_height = JDIMENSION(settings.height);
  info.input_components = settings.components;
  info.in_color_space = settings.components == 1 ? JCS_GRAYSCALE : settings.components == 4 ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, settings.quality, TRUE);
  if (!settings.subsampled) {
    for (int c = 0; c < info.num_components; ++c) {
      info.comp_info[c].h_samp_factor = 1;
      info.comp_info[c].v_samp_factor = 1;
    }
  }
  if (settings.progressive) jpeg_simple_progression(&info);
  if (settings.arithmetic) info.arith_code = TRUE;
  info.restart_in_rows = settings.restartRows;
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(size_t(settings.width) * size_t(settings.components));
  JSAMPROW rows[] = {row.data()};
  while (info.next_scanline < info.image_height) {
    fillRow(int(info.next_scanline), row.data());
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> bytes(memory, memory + size);
  std::free(memory);
  return bytes;
}
