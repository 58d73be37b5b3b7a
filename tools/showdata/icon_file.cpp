#include "tools/showdata/icon_file.h"

#include <cstddef>

namespace {

void put16(std::vector<uint8_t>& out, unsigned v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t>& out, size_t v) {
  put16(out, unsigned(v & 0xffff));
  put16(out, unsigned(v >> 16));
}

}  // namespace

std::vector<uint8_t> iconFile(const std::vector<IconImage>& images) {
  // A 6-byte header, a 16-byte entry per picture, then the pictures in the same order.
  std::vector<uint8_t> out;
  put16(out, 0);
  put16(out, 1);  // an icon, not a cursor
  put16(out, unsigned(images.size()));
  size_t offset = 6 + 16 * images.size();
  for (const IconImage& image : images) {
    out.push_back(uint8_t(image.size == 256 ? 0 : image.size));  // 0 stands for 256
    out.push_back(uint8_t(image.size == 256 ? 0 : image.size));
    out.push_back(0);  // not a palette picture
    out.push_back(0);
    put16(out, 1);   // colour planes
    put16(out, 32);  // bits per pixel: RGBA
    put32(out, image.png.size());
    put32(out, offset);
    offset += image.png.size();
  }
  for (const IconImage& image : images) out.insert(out.end(), image.png.begin(), image.png.end());
  return out;
}
