// The spiral, the chrome sphere map and the star.
#include "tools/showdata/canvas.h"
#include "tools/showdata/pictures.h"

#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;

double smoothstep(double edge0, double edge1, double x) {
  const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

}  // namespace

Picture drawSpiral(int scale) {
  // The show multiplies the spinning spiral over the metal: the arms let the metal through and
  // the gaps darken it, so the arms are bright and the gaps nearly black. Three Archimedean
  // arms wound out past the corners, so the square is filled at any angle.
  Canvas canvas(512 * scale, 1.0, 1.0);
  cairo_t* cr = canvas.cr();
  cairo_pattern_t* ground = cairo_pattern_create_radial(0.5, 0.5, 0.0, 0.5, 0.5, 0.72);
  cairo_pattern_add_color_stop_rgb(ground, 0.0, 0.16, 0.08, 0.0);
  cairo_pattern_add_color_stop_rgb(ground, 1.0, 0.04, 0.02, 0.0);
  cairo_set_source(cr, ground);
  cairo_paint(cr);
  cairo_pattern_destroy(ground);

  constexpr int arms = 3;
  constexpr double pitch = 0.3;                    // radial growth per turn of one arm
  constexpr double width = 0.55 * pitch / arms;    // arm thickness, a little more than the gap
  constexpr double turns = 0.8 / pitch + 0.5;      // until well past the corners
  constexpr double growth = pitch / (2.0 * PI);
  cairo_pattern_t* glow = cairo_pattern_create_radial(0.5, 0.5, 0.0, 0.5, 0.5, 0.72);
  cairo_pattern_add_color_stop_rgb(glow, 0.0, 1.0, 0.98, 0.75);
  cairo_pattern_add_color_stop_rgb(glow, 0.35, 1.0, 0.88, 0.1);
  cairo_pattern_add_color_stop_rgb(glow, 1.0, 1.0, 0.62, 0.0);
  for (int arm = 0; arm < arms; ++arm) {
    const double offset = 2.0 * PI * arm / arms;
    const int steps = int(turns * 360.0);
    // Inner edge outwards, then the outer edge back in.
    for (int i = 0; i <= steps; ++i) {
      const double theta = 2.0 * PI * turns * i / steps;
      const double r = growth * theta;
      const double x = 0.5 + r * std::cos(theta + offset), y = 0.5 + r * std::sin(theta + offset);
      if (i == 0) cairo_move_to(cr, x, y);
      else cairo_line_to(cr, x, y);
    }
    for (int i = steps; i >= 0; --i) {
      const double theta = 2.0 * PI * turns * i / steps;
      const double r = growth * theta + width;
      cairo_line_to(cr, 0.5 + r * std::cos(theta + offset), 0.5 + r * std::sin(theta + offset));
    }
    cairo_close_path(cr);
  }
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_set_source(cr, glow);
  cairo_fill(cr);
  cairo_pattern_destroy(glow);
  // A round hub where the arms meet.
  cairo_arc(cr, 0.5, 0.5, width * 0.9, 0.0, 2.0 * PI);
  cairo_set_source_rgb(cr, 1.0, 0.98, 0.8);
  cairo_fill(cr);
  return canvas.overBlack();
}

Picture drawMetal(int scale) {
  // A mirrored ball photographed from in front: each point of the disc shows the direction its
  // surface reflects the view into: sky, a bright horizon, a dark chequered floor. GL's sphere
  // map reads upward reflections from the bottom rows of the picture, so the sky is stored at
  // the bottom. Outside the disc the rim's colours carry on, so the whole square is usable.
  // The ball is dark chrome: the show adds nine copies of the blurred surface at half strength,
  // so the metal has to be dim for the glow to keep its shapes instead of burning out.
  const Rgb zenith{0.10, 0.26, 0.72}, skyLow{0.72, 0.84, 1.0}, horizon{1.0, 1.0, 1.0};
  const Rgb floorNear{0.36, 0.33, 0.32}, floorFar{0.10, 0.09, 0.10};
  const double sunX = 0.45, sunY = 0.62, sunZ = 0.64;
  return shadePixels(512 * scale, 2, [&](double px, double py) {
    double u = 2.0 * px - 1.0, v = 2.0 * py - 1.0;
    const double d = u * u + v * v;
    if (d > 0.999) {
      const double s = std::sqrt(0.999 / d);
      u *= s;
      v *= s;
    }
    const double nz = std::sqrt(std::max(0.0, 1.0 - u * u - v * v));
    const double rx = 2.0 * nz * u, ry = 2.0 * nz * v, rz = 2.0 * nz * nz - 1.0;
    Rgb c;
    if (ry >= 0.0) {
      c = mix(skyLow, zenith, std::pow(ry, 0.55));
      // Soft bands of cloud across the sky.
      const double cloud = 0.5 + 0.5 * std::sin(7.0 * std::atan2(rx, rz) + 9.0 * ry);
      c = mix(c, Rgb{0.95, 0.96, 1.0}, 0.25 * cloud * smoothstep(0.5, 0.05, ry));
      const double sun = std::max(0.0, rx * sunX + ry * sunY + rz * sunZ);
      c = c + Rgb{1.0, 0.95, 0.8} * (std::pow(sun, 180.0) * 1.5 + std::pow(sun, 12.0) * 0.25);
    } else {
      const double down = -ry;
      c = mix(floorNear, floorFar, std::pow(down, 0.4));
      // Chequers on the floor plane, blended away towards the horizon where they would shimmer.
      const double fx = rx / std::max(down, 1e-3), fz = rz / std::max(down, 1e-3);
      const bool odd = (int(std::floor(fx * 1.5)) + int(std::floor(fz * 1.5))) % 2 != 0;
      c = c * (1.0 - (odd ? 0.45 : 0.0) * smoothstep(0.05, 0.3, down));
    }
    c = c + horizon * (0.8 * std::exp(-(ry * ry) / 0.0012));
    // Chrome darkens towards the rim of the ball, where the reflection grazes.
    return c * (0.32 * (0.55 + 0.45 * std::pow(nz, 0.35)));
  });
}

Picture drawStar(int scale) {
  // A white-hot core, a bluish halo and four long warm rays with four short ones between them,
  // everything fading to black well inside the square so the sprite has no visible edge.
  const Rgb warm{1.0, 0.93, 0.75}, halo{0.55, 0.72, 1.0}, white{1.0, 1.0, 1.0};
  return shadePixels(256 * scale, 3, [&](double px, double py) {
    const double x = 2.0 * px - 1.0, y = 2.0 * py - 1.0;
    const double r = std::sqrt(x * x + y * y);
    const double core = std::exp(-(r * r) / (0.07 * 0.07));
    const double glow = 0.55 * std::exp(-(r * r) / (0.2 * 0.2)) + 0.25 * std::exp(-r / 0.22);
    auto ray = [&](double along, double across, double length, double thickness) {
      const double a = std::fabs(along);
      if (a >= length) return 0.0;
      const double t = thickness * (1.0 - 0.7 * a / length);
      const double fade = 1.0 - a / length;
      return std::exp(-(across * across) / (t * t)) * fade * fade;
    };
    const double diagonalU = (x + y) * 0.70710678, diagonalV = (x - y) * 0.70710678;
    const double rays = ray(x, y, 0.95, 0.035) + ray(y, x, 0.95, 0.035) + 0.5 * ray(diagonalU, diagonalV, 0.55, 0.025) +
                        0.5 * ray(diagonalV, diagonalU, 0.55, 0.025);
    const double edge = smoothstep(0.98, 0.8, r);
    return (white * core + halo * glow + warm * rays) * edge;
  });
}
