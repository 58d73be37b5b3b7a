// The seven small beat pictures. They flash up about 100 pixels tall in the lower corners, added
// onto the frame, so each is one bold shape in its own colour on black, with at most one large
// letter. The four regular ones carry a letter; the three special ones are pictures instead.
#include "tools/showdata/canvas.h"
#include "tools/showdata/pictures.h"

#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;

const Rgb INK{0.09, 0.05, 0.14};

// Letters as stroked centre lines in a box one unit high (y down); returns the box's width.
double glyphPath(cairo_t* cr, char letter) {
  switch (letter) {
    case 'M':
      cairo_move_to(cr, 0.0, 1.0);
      cairo_line_to(cr, 0.0, 0.0);
      cairo_line_to(cr, 0.42, 0.62);
      cairo_line_to(cr, 0.84, 0.0);
      cairo_line_to(cr, 0.84, 1.0);
      return 0.84;
    case 'T':
      cairo_move_to(cr, 0.0, 0.0);
      cairo_line_to(cr, 0.76, 0.0);
      cairo_move_to(cr, 0.38, 0.0);
      cairo_line_to(cr, 0.38, 1.0);
      return 0.76;
    case 'K':
      cairo_move_to(cr, 0.0, 0.0);
      cairo_line_to(cr, 0.0, 1.0);
      cairo_move_to(cr, 0.66, 0.0);
      cairo_line_to(cr, 0.04, 0.58);
      cairo_move_to(cr, 0.26, 0.40);
      cairo_line_to(cr, 0.70, 1.0);
      return 0.70;
    default: {  // 'S': two quarter-turned circles meeting in the middle
      cairo_save(cr);
      cairo_scale(cr, 0.85, 1.0);
      cairo_new_sub_path(cr);
      cairo_arc_negative(cr, 0.36, 0.25, 0.25, -PI / 5.0, PI / 2.0);
      cairo_arc(cr, 0.36, 0.75, 0.25, -PI / 2.0, PI - PI / 5.0);
      cairo_restore(cr);
      return 0.72 * 0.85;
    }
  }
}

// A white letter with a dark edge, centred on (cx, cy).
void drawLetter(cairo_t* cr, char letter, double cx, double cy, double height) {
  for (int pass = 0; pass < 2; ++pass) {
    cairo_save(cr);
    cairo_new_path(cr);
    const double width = glyphPath(cr, letter);
    cairo_new_path(cr);
    cairo_translate(cr, cx - 0.5 * width * height, cy - 0.5 * height);
    cairo_scale(cr, height, height);
    glyphPath(cr, letter);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    if (pass == 0) {
      cairo_set_source_rgba(cr, INK.r, INK.g, INK.b, 0.9);
      cairo_set_line_width(cr, 0.34);
    } else {
      cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
      cairo_set_line_width(cr, 0.19);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
  }
}

cairo_pattern_t* radial(double cx, double cy, double radius, Rgb inner, Rgb outer) {
  cairo_pattern_t* p = cairo_pattern_create_radial(cx - 0.3 * radius, cy - 0.3 * radius, 0.0, cx, cy, radius);
  cairo_pattern_add_color_stop_rgb(p, 0.0, inner.r, inner.g, inner.b);
  cairo_pattern_add_color_stop_rgb(p, 1.0, outer.r, outer.g, outer.b);
  return p;
}

void fillWith(cairo_t* cr, cairo_pattern_t* fill) {
  cairo_set_source(cr, fill);
  cairo_fill(cr);
  cairo_pattern_destroy(fill);
}

void fillWithRim(cairo_t* cr, cairo_pattern_t* fill, double rim) {
  cairo_set_source(cr, fill);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(fill);
  cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
  cairo_set_line_width(cr, rim);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}

void starPath(cairo_t* cr, double cx, double cy, int points, double outer, double inner, double turn) {
  for (int i = 0; i < 2 * points; ++i) {
    const double a = turn + i * PI / points;
    const double r = i % 2 == 0 ? outer : inner;
    if (i == 0) cairo_move_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
    else cairo_line_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
  }
  cairo_close_path(cr);
}

// A four-pointed glint.
void sparkle(cairo_t* cr, double cx, double cy, double size, Rgb colour) {
  starPath(cr, cx, cy, 4, size, size * 0.25, -PI / 2.0);
  cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
  cairo_fill(cr);
}

void drawHeart(cairo_t* cr) {
  cairo_move_to(cr, 0.5, 0.86);
  cairo_curve_to(cr, 0.12, 0.62, 0.04, 0.38, 0.17, 0.23);
  cairo_curve_to(cr, 0.29, 0.10, 0.45, 0.14, 0.5, 0.28);
  cairo_curve_to(cr, 0.55, 0.14, 0.71, 0.10, 0.83, 0.23);
  cairo_curve_to(cr, 0.96, 0.38, 0.88, 0.62, 0.5, 0.86);
  cairo_close_path(cr);
  fillWithRim(cr, radial(0.5, 0.45, 0.45, Rgb{1.0, 0.55, 0.78}, Rgb{0.88, 0.05, 0.40}), 0.03);
  drawLetter(cr, 'M', 0.5, 0.47, 0.27);
}

void drawSticker(cairo_t* cr) {
  starPath(cr, 0.5, 0.5, 12, 0.45, 0.37, 0.0);
  fillWithRim(cr, radial(0.5, 0.5, 0.45, Rgb{0.75, 1.0, 0.35}, Rgb{0.10, 0.62, 0.15}), 0.025);
  cairo_arc(cr, 0.5, 0.5, 0.29, 0.0, 2.0 * PI);
  cairo_set_source_rgba(cr, 1.0, 1.0, 1.0, 0.55);
  cairo_set_line_width(cr, 0.015);
  cairo_stroke(cr);
  drawLetter(cr, 'T', 0.5, 0.5, 0.3);
}

void drawEcho(cairo_t* cr) {
  const double cx = 0.40, cy = 0.5;
  // Sound rings spreading to the right, fainter as they go.
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int ring = 0; ring < 3; ++ring) {
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, 0.35 + 0.085 * ring, -PI / 3.2, PI / 3.2);
    cairo_set_source_rgba(cr, 0.35, 0.92, 1.0, 1.0 - 0.2 * ring);
    cairo_set_line_width(cr, 0.045);
    cairo_stroke(cr);
  }
  cairo_arc(cr, cx, cy, 0.29, 0.0, 2.0 * PI);
  fillWithRim(cr, radial(cx, cy, 0.29, Rgb{0.45, 0.95, 1.0}, Rgb{0.02, 0.42, 0.78}), 0.025);
  drawLetter(cr, 'K', cx, cy, 0.28);
}

void drawDiamond(cairo_t* cr) {
  cairo_save(cr);
  cairo_translate(cr, 0.5, 0.5);
  cairo_rotate(cr, PI / 4.0);
  const double h = 0.30, r = 0.07;
  cairo_new_sub_path(cr);
  cairo_arc(cr, h - r, -h + r, r, -PI / 2.0, 0.0);
  cairo_arc(cr, h - r, h - r, r, 0.0, PI / 2.0);
  cairo_arc(cr, -h + r, h - r, r, PI / 2.0, PI);
  cairo_arc(cr, -h + r, -h + r, r, PI, 1.5 * PI);
  cairo_close_path(cr);
  cairo_restore(cr);
  fillWithRim(cr, radial(0.5, 0.5, 0.42, Rgb{1.0, 0.86, 0.30}, Rgb{1.0, 0.38, 0.0}), 0.028);
  drawLetter(cr, 'S', 0.5, 0.5, 0.32);
}

void drawWink(cairo_t* cr) {
  starPath(cr, 0.5, 0.5, 16, 0.47, 0.39, 0.0);
  fillWith(cr, radial(0.5, 0.5, 0.47, Rgb{0.85, 0.55, 1.0}, Rgb{0.45, 0.05, 0.75}));
  cairo_arc(cr, 0.5, 0.5, 0.34, 0.0, 2.0 * PI);
  cairo_path_t* face = cairo_copy_path(cr);
  fillWith(cr, radial(0.5, 0.5, 0.34, Rgb{1.0, 0.97, 0.55}, Rgb{1.0, 0.72, 0.0}));
  cairo_append_path(cr, face);
  cairo_path_destroy(face);
  cairo_set_source_rgb(cr, INK.r, INK.g, INK.b);
  cairo_set_line_width(cr, 0.018);
  cairo_stroke(cr);
  // One eye open, with a glint.
  cairo_save(cr);
  cairo_translate(cr, 0.40, 0.42);
  cairo_scale(cr, 0.038, 0.058);
  cairo_arc(cr, 0.0, 0.0, 1.0, 0.0, 2.0 * PI);
  cairo_restore(cr);
  cairo_set_source_rgb(cr, INK.r, INK.g, INK.b);
  cairo_fill(cr);
  cairo_arc(cr, 0.39, 0.40, 0.013, 0.0, 2.0 * PI);
  cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
  cairo_fill(cr);
  // The other one winking.
  cairo_move_to(cr, 0.56, 0.43);
  cairo_curve_to(cr, 0.58, 0.39, 0.64, 0.39, 0.66, 0.43);
  cairo_set_source_rgb(cr, INK.r, INK.g, INK.b);
  cairo_set_line_width(cr, 0.025);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_stroke(cr);
  // A grin with the tongue out.
  cairo_move_to(cr, 0.33, 0.55);
  cairo_curve_to(cr, 0.38, 0.72, 0.62, 0.72, 0.67, 0.55);
  cairo_curve_to(cr, 0.56, 0.59, 0.44, 0.59, 0.33, 0.55);
  cairo_close_path(cr);
  cairo_set_source_rgb(cr, 0.55, 0.08, 0.14);
  cairo_fill_preserve(cr);
  cairo_save(cr);
  cairo_clip_preserve(cr);
  cairo_new_path(cr);
  cairo_arc(cr, 0.56, 0.67, 0.055, 0.0, 2.0 * PI);
  cairo_set_source_rgb(cr, 1.0, 0.45, 0.55);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_set_source_rgb(cr, INK.r, INK.g, INK.b);
  cairo_set_line_width(cr, 0.018);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
  sparkle(cr, 0.17, 0.2, 0.07, Rgb{1.0, 1.0, 1.0});
  sparkle(cr, 0.83, 0.78, 0.06, Rgb{1.0, 0.9, 1.0});
}

void drawLollipop(cairo_t* cr) {
  // Stick first, so the candy sits on it.
  cairo_move_to(cr, 0.5, 0.5);
  cairo_line_to(cr, 0.74, 0.88);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_source_rgb(cr, INK.r, INK.g, INK.b);
  cairo_set_line_width(cr, 0.085);
  cairo_stroke_preserve(cr);
  cairo_set_source_rgb(cr, 0.95, 0.95, 0.92);
  cairo_set_line_width(cr, 0.055);
  cairo_stroke(cr);

  const double cx = 0.44, cy = 0.42, r = 0.3;
  cairo_arc(cr, cx, cy, r, 0.0, 2.0 * PI);
  cairo_set_source_rgb(cr, 1.0, 0.16, 0.35);
  cairo_fill_preserve(cr);
  cairo_save(cr);
  cairo_clip(cr);
  // A white swirl wound out from the middle.
  for (int i = 0; i <= 720; ++i) {
    const double theta = 4.0 * PI * i / 720.0;
    const double rr = 0.022 + r * theta / (4.0 * PI) * 1.05;
    const double x = cx + rr * std::cos(theta), y = cy + rr * std::sin(theta);
    if (i == 0) cairo_move_to(cr, x, y);
    else cairo_line_to(cr, x, y);
  }
  cairo_set_source_rgb(cr, 1.0, 0.97, 0.97);
  cairo_set_line_width(cr, 0.06);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_stroke(cr);
  cairo_save(cr);
  cairo_translate(cr, cx - 0.12, cy - 0.14);
  cairo_scale(cr, 0.1, 0.06);
  cairo_arc(cr, 0.0, 0.0, 1.0, 0.0, 2.0 * PI);
  cairo_restore(cr);
  cairo_set_source_rgba(cr, 1.0, 1.0, 1.0, 0.45);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_arc(cr, cx, cy, r, 0.0, 2.0 * PI);
  cairo_set_source_rgb(cr, INK.r, INK.g, INK.b);
  cairo_set_line_width(cr, 0.02);
  cairo_stroke(cr);
  sparkle(cr, 0.84, 0.2, 0.07, Rgb{0.55, 0.95, 1.0});
  sparkle(cr, 0.2, 0.82, 0.055, Rgb{0.55, 0.95, 1.0});
}

void drawDiscoBall(cairo_t* cr) {
  const double cx = 0.5, cy = 0.54, r = 0.34;
  // Coloured beams fanning out behind the ball.
  const Rgb beams[6] = {{1.0, 0.2, 0.3}, {1.0, 0.7, 0.1}, {0.9, 1.0, 0.2},
                        {0.2, 1.0, 0.5}, {0.2, 0.6, 1.0}, {0.75, 0.3, 1.0}};
  for (int i = 0; i < 12; ++i) {
    const double a = i * PI / 6.0 + PI / 12.0;
    cairo_move_to(cr, cx, cy);
    cairo_arc(cr, cx, cy, 0.45, a - 0.1, a + 0.1);
    cairo_close_path(cr);
    const Rgb c = beams[i % 6];
    cairo_set_source_rgba(cr, c.r, c.g, c.b, 0.95);
    cairo_fill(cr);
  }
  // The string it hangs from.
  cairo_move_to(cr, cx, 0.05);
  cairo_line_to(cr, cx, cy - r);
  cairo_set_source_rgb(cr, 0.75, 0.75, 0.8);
  cairo_set_line_width(cr, 0.015);
  cairo_stroke(cr);

  cairo_arc(cr, cx, cy, r, 0.0, 2.0 * PI);
  cairo_set_source_rgb(cr, 0.12, 0.12, 0.16);
  cairo_fill(cr);
  // Mirror tiles on the visible half of the sphere, lit from the upper left; a fixed scatter of
  // brighter tiles makes it glitter.
  constexpr int bands = 10, columns = 12;
  const double lx = -0.45, ly = -0.55, lz = 0.70;
  uint32_t scatter = 12345u;
  for (int b = 0; b < bands; ++b) {
    for (int c = 0; c < columns; ++c) {
      scatter = scatter * 1664525u + 1013904223u;
      const double glitter = double(scatter >> 24) / 255.0;
      auto corner = [&](double fb, double fc, double& x, double& y) {
        const double lat = -PI / 2.0 + PI * fb / bands, lon = -PI / 2.0 + PI * fc / columns;
        x = cx + r * 0.985 * std::cos(lat) * std::sin(lon);
        y = cy + r * 0.985 * std::sin(lat);
      };
      const double inset = 0.08;
      double x, y;
      corner(b + inset, c + inset, x, y);
      cairo_move_to(cr, x, y);
      corner(b + inset, c + 1 - inset, x, y);
      cairo_line_to(cr, x, y);
      corner(b + 1 - inset, c + 1 - inset, x, y);
      cairo_line_to(cr, x, y);
      corner(b + 1 - inset, c + inset, x, y);
      cairo_line_to(cr, x, y);
      cairo_close_path(cr);
      const double lat = -PI / 2.0 + PI * (b + 0.5) / bands, lon = -PI / 2.0 + PI * (c + 0.5) / columns;
      const double nx = std::cos(lat) * std::sin(lon), ny = std::sin(lat), nz = std::cos(lat) * std::cos(lon);
      const double light = std::max(0.0, nx * lx + ny * ly + nz * lz);
      const double v = std::min(1.0, 0.45 + 0.55 * light + 0.4 * glitter * glitter);
      cairo_set_source_rgb(cr, v * 0.92, v * 0.95, v);
      cairo_fill(cr);
    }
  }
  cairo_arc(cr, cx, cy, r, 0.0, 2.0 * PI);
  cairo_set_source_rgb(cr, 0.9, 0.92, 1.0);
  cairo_set_line_width(cr, 0.015);
  cairo_stroke(cr);
  sparkle(cr, cx - 0.13, cy - 0.15, 0.09, Rgb{1.0, 1.0, 1.0});
  sparkle(cr, cx + 0.16, cy + 0.07, 0.06, Rgb{1.0, 1.0, 1.0});
  sparkle(cr, cx - 0.05, cy + 0.2, 0.045, Rgb{1.0, 1.0, 1.0});
}

}  // namespace

Picture drawBadge(Badge badge, int scale) {
  Canvas canvas(256 * scale, 1.0, 1.0);
  cairo_t* cr = canvas.cr();
  switch (badge) {
    case Badge::Heart:
      drawHeart(cr);
      break;
    case Badge::Sticker:
      drawSticker(cr);
      break;
    case Badge::Echo:
      drawEcho(cr);
      break;
    case Badge::Diamond:
      drawDiamond(cr);
      break;
    case Badge::Wink:
      drawWink(cr);
      break;
    case Badge::Lollipop:
      drawLollipop(cr);
      break;
    case Badge::DiscoBall:
      drawDiscoBall(cr);
      break;
  }
  return canvas.overBlack();
}
