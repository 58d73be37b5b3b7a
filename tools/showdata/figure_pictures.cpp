// The figure with its mask, the speech bubble with its mask, and the programs' icon: the
// figure's head.
#include "tools/showdata/canvas.h"
#include "tools/showdata/pictures.h"

#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;

const Rgb INK{0.09, 0.07, 0.12};

void setColour(cairo_t* cr, Rgb c, double alpha = 1.0) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void ellipse(cairo_t* cr, double cx, double cy, double rx, double ry) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_arc(cr, 0.0, 0.0, 1.0, 0.0, 2.0 * PI);
  cairo_restore(cr);
}

// Fills the current path with a pattern and outlines it in ink.
void fillAndOutline(cairo_t* cr, cairo_pattern_t* fill, double outline) {
  cairo_set_source(cr, fill);
  cairo_fill_preserve(cr);
  setColour(cr, INK);
  cairo_set_line_width(cr, outline);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}

cairo_pattern_t* verticalGradient(double y0, Rgb top, double y1, Rgb bottom) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0.0, y0, 0.0, y1);
  cairo_pattern_add_color_stop_rgb(p, 0.0, top.r, top.g, top.b);
  cairo_pattern_add_color_stop_rgb(p, 1.0, bottom.r, bottom.g, bottom.b);
  return p;
}

cairo_pattern_t* radialGradient(double cx, double cy, double radius, Rgb inner, Rgb outer) {
  cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 0.0, cx, cy, radius);
  cairo_pattern_add_color_stop_rgb(p, 0.0, inner.r, inner.g, inner.b);
  cairo_pattern_add_color_stop_rgb(p, 1.0, outer.r, outer.g, outer.b);
  return p;
}

const Rgb SKIN_LIGHT{1.0, 0.86, 0.70}, SKIN{0.95, 0.70, 0.50}, SKIN_SHADE{0.80, 0.55, 0.38};

// Face: rounder above, a softer chin below.
void facePath(cairo_t* cr) {
  cairo_move_to(cr, 0.5, 0.205);
  cairo_curve_to(cr, 0.64, 0.205, 0.715, 0.31, 0.712, 0.44);
  cairo_curve_to(cr, 0.71, 0.58, 0.62, 0.675, 0.5, 0.675);
  cairo_curve_to(cr, 0.38, 0.675, 0.29, 0.58, 0.288, 0.44);
  cairo_curve_to(cr, 0.285, 0.31, 0.36, 0.205, 0.5, 0.205);
  cairo_close_path(cr);
}

// Hair: a spiky quiff.
void hairPath(cairo_t* cr) {
  cairo_move_to(cr, 0.287, 0.44);
  cairo_curve_to(cr, 0.27, 0.30, 0.33, 0.20, 0.42, 0.185);
  cairo_line_to(cr, 0.395, 0.12);
  cairo_line_to(cr, 0.465, 0.165);
  cairo_line_to(cr, 0.50, 0.085);
  cairo_line_to(cr, 0.545, 0.16);
  cairo_line_to(cr, 0.625, 0.105);
  cairo_line_to(cr, 0.612, 0.19);
  cairo_curve_to(cr, 0.68, 0.22, 0.73, 0.30, 0.713, 0.44);
  cairo_curve_to(cr, 0.695, 0.37, 0.66, 0.315, 0.60, 0.30);
  cairo_curve_to(cr, 0.54, 0.33, 0.46, 0.29, 0.41, 0.31);
  cairo_curve_to(cr, 0.34, 0.33, 0.305, 0.38, 0.287, 0.44);
  cairo_close_path(cr);
}

cairo_pattern_t* hairGradient() { return verticalGradient(0.09, Rgb{0.78, 0.48, 0.20}, 0.44, Rgb{0.50, 0.27, 0.10}); }

void drawShoulders(cairo_t* cr) {
  cairo_move_to(cr, 0.05, 1.05);
  cairo_line_to(cr, 0.08, 0.93);
  cairo_curve_to(cr, 0.09, 0.84, 0.16, 0.80, 0.30, 0.772);
  cairo_curve_to(cr, 0.38, 0.756, 0.42, 0.75, 0.5, 0.75);
  cairo_curve_to(cr, 0.58, 0.75, 0.62, 0.756, 0.70, 0.772);
  cairo_curve_to(cr, 0.84, 0.80, 0.91, 0.84, 0.92, 0.93);
  cairo_line_to(cr, 0.95, 1.05);
  cairo_close_path(cr);
  cairo_pattern_t* shirt = verticalGradient(0.75, Rgb{0.15, 0.80, 0.74}, 1.0, Rgb{0.04, 0.45, 0.55});
  fillAndOutline(cr, shirt, 0.012);
  cairo_pattern_destroy(shirt);

  // Open collar.
  cairo_move_to(cr, 0.415, 0.752);
  cairo_line_to(cr, 0.5, 0.865);
  cairo_line_to(cr, 0.585, 0.752);
  cairo_close_path(cr);
  cairo_pattern_t* chest = verticalGradient(0.75, SKIN_SHADE, 0.86, SKIN);
  fillAndOutline(cr, chest, 0.01);
  cairo_pattern_destroy(chest);

  // A little yellow star on the shirt.
  cairo_save(cr);
  cairo_translate(cr, 0.70, 0.90);
  for (int i = 0; i < 10; ++i) {
    const double a = -PI / 2.0 + i * PI / 5.0;
    const double r = i % 2 == 0 ? 0.045 : 0.019;
    if (i == 0) cairo_move_to(cr, r * std::cos(a), r * std::sin(a));
    else cairo_line_to(cr, r * std::cos(a), r * std::sin(a));
  }
  cairo_close_path(cr);
  cairo_set_source_rgb(cr, 1.0, 0.86, 0.15);
  cairo_fill_preserve(cr);
  setColour(cr, INK);
  cairo_set_line_width(cr, 0.006);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void drawHead(cairo_t* cr) {
  // Neck, shaded under the chin.
  cairo_rectangle(cr, 0.435, 0.60, 0.13, 0.17);
  cairo_pattern_t* neck = verticalGradient(0.62, SKIN_SHADE, 0.76, SKIN);
  fillAndOutline(cr, neck, 0.01);
  cairo_pattern_destroy(neck);

  // Ears.
  for (double side : {-1.0, 1.0}) {
    ellipse(cr, 0.5 + side * 0.205, 0.47, 0.038, 0.058);
    cairo_pattern_t* ear = radialGradient(0.5 + side * 0.205, 0.47, 0.06, SKIN, SKIN_SHADE);
    fillAndOutline(cr, ear, 0.01);
    cairo_pattern_destroy(ear);
  }

  facePath(cr);
  cairo_pattern_t* face = radialGradient(0.45, 0.38, 0.33, SKIN_LIGHT, SKIN);
  fillAndOutline(cr, face, 0.012);
  cairo_pattern_destroy(face);

  // Rosy cheeks.
  for (double side : {-1.0, 1.0}) {
    ellipse(cr, 0.5 + side * 0.13, 0.545, 0.045, 0.028);
    cairo_set_source_rgba(cr, 1.0, 0.45, 0.45, 0.35);
    cairo_fill(cr);
  }

  hairPath(cr);
  cairo_pattern_t* hair = hairGradient();
  fillAndOutline(cr, hair, 0.012);
  cairo_pattern_destroy(hair);

  // Raised eyebrows peeking over the shades.
  setColour(cr, Rgb{0.26, 0.14, 0.07});
  cairo_set_line_width(cr, 0.016);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (double side : {-1.0, 1.0}) {
    cairo_move_to(cr, 0.5 + side * 0.045, 0.365);
    cairo_curve_to(cr, 0.5 + side * 0.08, 0.345, 0.5 + side * 0.12, 0.342, 0.5 + side * 0.155, 0.36);
    cairo_stroke(cr);
  }

  // Nose.
  setColour(cr, SKIN_SHADE);
  cairo_set_line_width(cr, 0.011);
  cairo_move_to(cr, 0.505, 0.48);
  cairo_curve_to(cr, 0.49, 0.52, 0.475, 0.545, 0.50, 0.55);
  cairo_line_to(cr, 0.52, 0.548);
  cairo_stroke(cr);

  // A wide grin with teeth.
  cairo_move_to(cr, 0.405, 0.585);
  cairo_curve_to(cr, 0.44, 0.655, 0.56, 0.655, 0.595, 0.585);
  cairo_curve_to(cr, 0.55, 0.600, 0.45, 0.600, 0.405, 0.585);
  cairo_close_path(cr);
  cairo_set_source_rgb(cr, 0.50, 0.10, 0.15);
  cairo_fill_preserve(cr);
  cairo_save(cr);
  cairo_clip_preserve(cr);
  cairo_rectangle(cr, 0.40, 0.58, 0.2, 0.028);
  cairo_set_source_rgb(cr, 1.0, 1.0, 0.97);
  cairo_fill(cr);
  cairo_restore(cr);
  setColour(cr, INK);
  cairo_set_line_width(cr, 0.01);
  cairo_stroke(cr);
}

void lensPath(cairo_t* cr, double left, double right, double top, double bottom) {
  const double w = right - left, h = bottom - top;
  cairo_move_to(cr, left + 0.1 * w, top);
  cairo_line_to(cr, right - 0.05 * w, top);
  cairo_curve_to(cr, right + 0.02 * w, top, right, top + 0.35 * h, right - 0.04 * w, top + 0.6 * h);
  cairo_curve_to(cr, right - 0.12 * w, bottom, left + 0.7 * w, bottom, left + 0.45 * w, bottom);
  cairo_curve_to(cr, left + 0.15 * w, bottom, left, top + 0.7 * h, left, top + 0.3 * h);
  cairo_curve_to(cr, left, top + 0.05 * h, left + 0.04 * w, top, left + 0.1 * w, top);
  cairo_close_path(cr);
}

// The right eye's lens (side 1), or the left's (side -1): the same shape mirrored about the
// middle of the face.
void sideLensPath(cairo_t* cr, double side, double left, double right, double top, double bottom) {
  cairo_save(cr);
  if (side < 0) {
    cairo_translate(cr, 1.0, 0.0);
    cairo_scale(cr, -1.0, 1.0);
  }
  lensPath(cr, left, right, top, bottom);
  cairo_restore(cr);
}

void drawSunglasses(cairo_t* cr) {
  // Temples back to the ears.
  setColour(cr, Rgb{0.05, 0.05, 0.07});
  cairo_set_line_width(cr, 0.016);
  cairo_move_to(cr, 0.33, 0.405);
  cairo_line_to(cr, 0.292, 0.43);
  cairo_move_to(cr, 0.67, 0.405);
  cairo_line_to(cr, 0.708, 0.43);
  cairo_stroke(cr);
  // Bridge.
  cairo_move_to(cr, 0.475, 0.405);
  cairo_curve_to(cr, 0.49, 0.39, 0.51, 0.39, 0.525, 0.405);
  cairo_set_line_width(cr, 0.018);
  cairo_stroke(cr);

  for (double side : {-1.0, 1.0}) {
    sideLensPath(cr, side, 0.518, 0.675, 0.378, 0.478);
    cairo_pattern_t* glass = cairo_pattern_create_linear(0.0, 0.378, 0.0, 0.478);
    cairo_pattern_add_color_stop_rgb(glass, 0.0, 0.04, 0.03, 0.10);
    cairo_pattern_add_color_stop_rgb(glass, 0.6, 0.16, 0.08, 0.36);
    cairo_pattern_add_color_stop_rgb(glass, 1.0, 0.55, 0.20, 0.55);
    cairo_set_source(cr, glass);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(glass);
    // Two streaks of reflected light.
    cairo_save(cr);
    cairo_clip_preserve(cr);
    const double x0 = side < 0 ? 0.36 : 0.55;
    cairo_new_path(cr);
    cairo_move_to(cr, x0, 0.478);
    cairo_line_to(cr, x0 + 0.05, 0.378);
    cairo_line_to(cr, x0 + 0.075, 0.378);
    cairo_line_to(cr, x0 + 0.025, 0.478);
    cairo_close_path(cr);
    cairo_move_to(cr, x0 + 0.045, 0.478);
    cairo_line_to(cr, x0 + 0.095, 0.378);
    cairo_line_to(cr, x0 + 0.105, 0.378);
    cairo_line_to(cr, x0 + 0.055, 0.478);
    cairo_close_path(cr);
    cairo_set_source_rgba(cr, 1.0, 1.0, 1.0, 0.55);
    cairo_fill(cr);
    cairo_restore(cr);
    setColour(cr, Rgb{0.03, 0.03, 0.05});
    cairo_set_line_width(cr, 0.016);
    cairo_stroke(cr);
  }
}


// The head for the small icons, where one pixel spans `px` units: no nose, cheeks or brows, and
// outlines a pixel wide; the shades grow to a bold dark band, the one thing that must still read
// at 16 pixels.
void drawSmallHead(cairo_t* cr, double px, bool tiny) {
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  for (double side : {-1.0, 1.0}) ellipse(cr, 0.5 + side * 0.205, 0.47, 0.045, 0.065);
  setColour(cr, SKIN);
  cairo_fill_preserve(cr);
  setColour(cr, INK);
  cairo_set_line_width(cr, px);
  cairo_stroke(cr);
  facePath(cr);
  setColour(cr, SKIN_LIGHT);
  cairo_fill_preserve(cr);
  setColour(cr, INK);
  cairo_set_line_width(cr, px);
  cairo_stroke(cr);
  // At the smallest size the fringe's outline would be a grey line across the forehead.
  hairPath(cr);
  cairo_pattern_t* hair = hairGradient();
  if (tiny) {
    cairo_set_source(cr, hair);
    cairo_fill(cr);
  } else {
    fillAndOutline(cr, hair, px);
  }
  cairo_pattern_destroy(hair);

  // The grin: white teeth in an outline, or at the smallest size a dark mouth, which a pixel or
  // two of white would turn into a grey smudge.
  cairo_move_to(cr, 0.39, 0.575);
  cairo_curve_to(cr, 0.43, 0.665, 0.57, 0.665, 0.61, 0.575);
  cairo_curve_to(cr, 0.55, 0.595, 0.45, 0.595, 0.39, 0.575);
  cairo_close_path(cr);
  if (tiny) {
    cairo_set_source_rgb(cr, 0.50, 0.10, 0.15);
    cairo_fill(cr);
  } else {
    cairo_set_source_rgb(cr, 1.0, 1.0, 0.97);
    cairo_fill_preserve(cr);
    setColour(cr, INK);
    cairo_set_line_width(cr, 0.8 * px);
    cairo_stroke(cr);
  }

  // The shades, wider and taller than on the figure, with one glint each.
  setColour(cr, Rgb{0.03, 0.03, 0.05});
  cairo_set_line_width(cr, 1.5 * px);
  cairo_move_to(cr, 0.285, 0.40);
  cairo_line_to(cr, 0.715, 0.40);
  cairo_stroke(cr);
  for (double side : {-1.0, 1.0}) {
    sideLensPath(cr, side, 0.51, 0.70, 0.37, 0.50);
    cairo_pattern_t* glass = cairo_pattern_create_linear(0.0, 0.37, 0.0, 0.50);
    cairo_pattern_add_color_stop_rgb(glass, 0.0, 0.04, 0.03, 0.10);
    cairo_pattern_add_color_stop_rgb(glass, 1.0, 0.40, 0.14, 0.45);
    cairo_set_source(cr, glass);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(glass);
    setColour(cr, Rgb{0.03, 0.03, 0.05});
    cairo_set_line_width(cr, px);
    cairo_stroke(cr);
    if (tiny) continue;  // a glint would only grey the lens
    const double x0 = side < 0 ? 0.36 : 0.56;
    cairo_move_to(cr, x0, 0.465);
    cairo_line_to(cr, x0 + 0.04, 0.395);
    cairo_set_source_rgba(cr, 1.0, 1.0, 1.0, 0.8);
    cairo_set_line_width(cr, px);
    cairo_stroke(cr);
  }
}

}  // namespace

MaskedPicture drawFigure(int scale) {
  Canvas canvas(512 * scale, 1.0, 1.0);
  cairo_t* cr = canvas.cr();
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  drawShoulders(cr);
  drawHead(cr);
  drawSunglasses(cr);
  // The body fades out before the picture's bottom edge, so the tilting square never shows a
  // straight cut; the mask fades with it and the two still add up to the frame.
  cairo_pattern_t* fade = cairo_pattern_create_linear(0.0, 0.84, 0.0, 0.985);
  cairo_pattern_add_color_stop_rgba(fade, 0.0, 0, 0, 0, 1.0);
  cairo_pattern_add_color_stop_rgba(fade, 1.0, 0, 0, 0, 0.0);
  cairo_set_operator(cr, CAIRO_OPERATOR_DEST_IN);
  cairo_set_source(cr, fade);
  cairo_paint(cr);
  cairo_pattern_destroy(fade);
  return {canvas.overBlack(), canvas.silhouetteMask(2 * scale)};
}

std::vector<uint8_t> drawIcon(int size) {
  // The head and a little of the shirt at full size; at 48 pixels and below the head alone,
  // simplified, so the sunglasses still fill a few pixels each.
  const bool small = size <= 48;
  const double left = small ? 0.21 : 0.13, top = small ? 0.085 : 0.07, span = small ? 0.58 : 0.74;
  Canvas canvas(size, span, span);
  cairo_t* cr = canvas.cr();
  cairo_translate(cr, -left, -top);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  if (small) {
    drawSmallHead(cr, span / size, size <= 16);
  } else {
    drawShoulders(cr);
    drawHead(cr);
    drawSunglasses(cr);
  }
  return canvas.png();
}

MaskedPicture drawBubble(int scale) {
  // Drawn in the units of the card as it appears on screen (320 × 240, y down), right way up:
  // the body holds the scrolling text line, whose baseline sits 70 % up the card and whose
  // letters are about a tenth of its height; the tail points down and right, to the figure.
  constexpr double W = 320.0, H = 240.0;
  Canvas canvas(512 * scale, W, H);
  cairo_t* cr = canvas.cr();
  const double left = 0.04 * W, right = 0.96 * W;
  const double top = (1.0 - 0.92) * H, bottom = (1.0 - 0.55) * H;
  const double radius = 30.0;
  auto bodyPath = [&] {
    cairo_new_sub_path(cr);
    cairo_arc(cr, right - radius, top + radius, radius, -PI / 2.0, 0.0);
    cairo_arc(cr, right - radius, bottom - radius, radius, 0.0, PI / 2.0);
    cairo_arc(cr, left + radius, bottom - radius, radius, PI / 2.0, PI);
    cairo_arc(cr, left + radius, top + radius, radius, PI, 1.5 * PI);
    cairo_close_path(cr);
  };
  auto tailPath = [&] {
    cairo_move_to(cr, 0.58 * W, bottom - 6.0);
    cairo_curve_to(cr, 0.63 * W, bottom + 20.0, 0.70 * W, bottom + 40.0, 0.80 * W, 0.74 * H);
    cairo_curve_to(cr, 0.77 * W, bottom + 35.0, 0.765 * W, bottom + 18.0, 0.765 * W, bottom - 6.0);
    cairo_close_path(cr);
  };
  // Both outlines first at double width, then both fills over their inner halves: one clean
  // outline around body and tail together, none where they join.
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_width(cr, 2.0 * 4.5);
  cairo_set_source_rgb(cr, 0.08, 0.08, 0.17);
  bodyPath();
  cairo_stroke(cr);
  tailPath();
  cairo_stroke(cr);
  cairo_pattern_t* paper = cairo_pattern_create_linear(0.0, top, 0.0, 0.74 * H);
  cairo_pattern_add_color_stop_rgb(paper, 0.0, 1.0, 1.0, 1.0);
  cairo_pattern_add_color_stop_rgb(paper, 0.6, 0.97, 0.98, 1.0);
  cairo_pattern_add_color_stop_rgb(paper, 1.0, 0.90, 0.92, 0.98);
  cairo_set_source(cr, paper);
  bodyPath();
  cairo_fill(cr);
  tailPath();
  cairo_fill(cr);
  cairo_pattern_destroy(paper);
  // The show puts the picture's top row at the bottom of the screen, so store it upside down.
  return {flippedVertically(canvas.overBlack()), flippedVertically(canvas.silhouetteMask(2 * scale))};
}
