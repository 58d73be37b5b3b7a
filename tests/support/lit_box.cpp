#include <gtest/gtest.h>

#include "tests/support/lit_box.h"

#include <X11/Xutil.h>

#include <algorithm>

LitBox litBox(Display* x, Window w, const LitBox& expected, int reads) {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  const auto box = [&] { return right < 0 ? LitBox{} : LitBox{left, top, right - left + 1, bottom - top + 1}; };
  for (int i = 0; i < reads && !(box() == expected); ++i) {
    XWindowAttributes a{};
    XGetWindowAttributes(x, w, &a);
    XImage* image = a.width > 0 ? XGetImage(x, w, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap) : nullptr;
    if (!image) break;
    for (int y = 0; y < a.height; ++y) {
      for (int px = 0; px < a.width; ++px) {
        if ((XGetPixel(image, px, y) & 0xFFFFFF) == 0) continue;
        left = std::min(left, px), right = std::max(right, px);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
    XDestroyImage(image);
  }
  return box();
}
