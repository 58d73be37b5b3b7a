#include "tools/showdata/picture_file.h"

#include <cstring>

#include "tools/media_files/jpeg_file.h"

std::vector<uint8_t> encodeJpeg(const Picture& picture) {
  JpegSettings settings;
  settings.width = picture.width;
  settings.height = picture.height;
  settings.quality = 90;
  settings.subsampled = false;
  return encodeJpeg(settings, [&picture](int y, uint8_t* row) {
    std::memcpy(row, &picture.rgb[size_t(y) * size_t(picture.width) * 3], size_t(picture.width) * 3);
  });
}

Picture flippedVertically(const Picture& picture) {
  Picture out = picture;
  const size_t stride = size_t(picture.width) * 3;
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(&out.rgb[size_t(y) * stride], &picture.rgb[size_t(picture.height - 1 - y) * stride], stride);
  }
  return out;
}
