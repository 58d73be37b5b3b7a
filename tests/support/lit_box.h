#pragma once
// Where a window's picture sits on black: read from the window's pixels as a viewer sees them.
// Test thread only; include after GoogleTest (see x_screen.h).
#include <X11/Xlib.h>

#include <ostream>

struct LitBox {
  int x = 0, y = 0, width = 0, height = 0;  // empty when nothing is lit
  bool operator==(const LitBox& o) const { return x == o.x && y == o.y && width == o.width && height == o.height; }
};
inline std::ostream& operator<<(std::ostream& out, const LitBox& b) {
  return out << b.width << "x" << b.height << "+" << b.x << "+" << b.y;
}

// The smallest box holding every pixel of `w` that is not black, over frames read until the box
// is `expected` or `reads` frames have been read; a pixel lit outside `expected` in any of them
// widens the box for good. The show's picture reaches each edge of its frame in most frames, but
// not always with a lit pixel in every row and column.
LitBox litBox(Display* x, Window w, const LitBox& expected, int reads = 40);
