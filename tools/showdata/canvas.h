#pragma once
// Drawing surfaces for the pictures: a Cairo canvas (antialiased vector drawing on a transparent
// square) and a supersampled per-pixel shader for the pictures that are light rather than shapes.
#include "tools/showdata/picture_file.h"

#include <cairo.h>

#include <algorithm>

class Canvas {
 public:
  // A transparent size × size square whose drawing units span unitsWide × unitsHigh.
  Canvas(int size, double unitsWide, double unitsHigh);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* cr() const { return context; }

  // The drawing over black. Cairo keeps colours premultiplied by coverage, so this is exactly
  // what the show gets when it adds the picture onto a frame it has cut out with the mask.
  Picture overBlack() const;

  // White where nothing was drawn and black under the drawing, grown by `grow` pixels so that
  // antialiased edges and compression noise never show through a seam.
  Picture silhouetteMask(int grow) const;

  // The drawing with its transparency, as a PNG file (for the programs' icons).
  std::vector<uint8_t> png() const;

 private:
  int size;
  cairo_surface_t* surface;
  cairo_t* context;
};

struct Rgb {
  double r = 0.0, g = 0.0, b = 0.0;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator*(Rgb a, double s) { return {a.r * s, a.g * s, a.b * s}; }
inline Rgb mix(Rgb a, Rgb b, double t) { return a * (1.0 - t) + b * t; }

inline uint8_t toByte(double v) { return uint8_t(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5); }

// A picture whose every pixel is the mean of samples × samples evaluations of colourAt(x, y),
// with x and y running over [0, 1] from the top-left corner.
template <typename ColourAt>
Picture shadePixels(int size, int samples, ColourAt colourAt) {
  Picture p;
  p.width = p.height = size;
  p.rgb.resize(size_t(size) * size_t(size) * 3);
  const double inv = 1.0 / (double(size) * samples);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      Rgb sum;
      for (int sy = 0; sy < samples; ++sy) {
        for (int sx = 0; sx < samples; ++sx) {
          sum = sum + colourAt((x * samples + sx + 0.5) * inv, (y * samples + sy + 0.5) * inv);
        }
      }
      sum = sum * (1.0 / (samples * samples));
      uint8_t* out = &p.rgb[(size_t(y) * size_t(size) + size_t(x)) * 3];
      out[0] = toByte(sum.r);
      out[1] = toByte(sum.g);
      out[2] = toByte(sum.b);
    }
  }
  return p;
}
