#include "tools/showdata/canvas.h"

#include <cstring>

Canvas::Canvas(int size_, double unitsWide, double unitsHigh)
    : size(size_),
      surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size_, size_)),
      context(cairo_create(surface)) {
  cairo_scale(context, size / unitsWide, size / unitsHigh);
  cairo_set_antialias(context, CAIRO_ANTIALIAS_BEST);
}

Canvas::~Canvas() {
  cairo_destroy(context);
  cairo_surface_destroy(surface);
}

namespace {

uint32_t pixelAt(cairo_surface_t* surface, int x, int y) {
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  uint32_t v;
  std::memcpy(&v, data + size_t(y) * size_t(stride) + size_t(x) * 4, 4);
  return v;
}

}  // namespace

Picture Canvas::overBlack() const {
  cairo_surface_flush(surface);
  Picture p;
  p.width = p.height = size;
  p.rgb.resize(size_t(size) * size_t(size) * 3);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const uint32_t v = pixelAt(surface, x, y);
      uint8_t* out = &p.rgb[(size_t(y) * size_t(size) + size_t(x)) * 3];
      out[0] = uint8_t(v >> 16);
      out[1] = uint8_t(v >> 8);
      out[2] = uint8_t(v);
    }
  }
  return p;
}

std::vector<uint8_t> Canvas::png() const {
  cairo_surface_flush(surface);
  std::vector<uint8_t> bytes;
  cairo_surface_write_to_png_stream(
      surface,
      [](void* closure, const unsigned char* data, unsigned int length) {
        auto* out = static_cast<std::vector<uint8_t>*>(closure);
        out->insert(out->end(), data, data + length);
        return CAIRO_STATUS_SUCCESS;
      },
      &bytes);
  return bytes;
}

Picture Canvas::silhouetteMask(int grow) const {
  cairo_surface_flush(surface);
  std::vector<uint8_t> alpha(size_t(size) * size_t(size));
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) alpha[size_t(y) * size_t(size) + size_t(x)] = uint8_t(pixelAt(surface, x, y) >> 24);
  }
  Picture p;
  p.width = p.height = size;
  p.rgb.resize(size_t(size) * size_t(size) * 3);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      // Coverage grown over a disc of radius `grow`.
      uint8_t covered = 0;
      for (int dy = -grow; dy <= grow; ++dy) {
        for (int dx = -grow; dx <= grow; ++dx) {
          const int sx = x + dx, sy = y + dy;
          if (dx * dx + dy * dy > grow * grow + grow || sx < 0 || sy < 0 || sx >= size || sy >= size) continue;
          covered = std::max(covered, alpha[size_t(sy) * size_t(size) + size_t(sx)]);
        }
      }
      uint8_t* out = &p.rgb[(size_t(y) * size_t(size) + size_t(x)) * 3];
      out[0] = out[1] = out[2] = uint8_t(255 - covered);
    }
  }
  return p;
}
