// The same frames on both systems: kaikuranta-render.exe under Wine (on a hidden WGL window)
// and the Linux kaikuranta-render draw the same pictures from the same data.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/build_paths.h"
#include "tests/win/wine/wine_session.h"

namespace {

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // top row first
};

// libpng's errors jump back here; the file is the caller's to close.
bool readRows(FILE* file, Picture* p) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_init_io(png, file);
  png_read_info(png, info);
  png_set_strip_alpha(png);
  p->width = int(png_get_image_width(png, info));
  p->height = int(png_get_image_height(png, info));
  p->rgb.resize(size_t(p->width) * size_t(p->height) * 3);
  for (int y = 0; y < p->height; ++y) png_read_row(png, &p->rgb[size_t(y) * size_t(p->width) * 3], nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

Picture readPng(const std::string& path) {
  Picture p;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return p;
  if (!readRows(file, &p)) p = Picture{};
  std::fclose(file);
  return p;
}

// Pixels that differ, counting only those outside the rectangle [x0, x1) x [y0, y1) (top-down).
int differing(const Picture& a, const Picture& b, int x0 = 0, int y0 = 0, int x1 = 0, int y1 = 0) {
  int count = 0;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      if (x >= x0 && x < x1 && y >= y0 && y < y1) continue;
      const size_t i = (size_t(y) * size_t(a.width) + size_t(x)) * 3;
      count += a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2];
    }
  }
  return count;
}

TEST(RendererUnderWine, DrawsTheLinuxFramesPixelForPixel) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("kk-frames-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  // Without text: the opening, the early glow, and the pauses between two messages. With text:
  // 20 s, the first message in the upper bubble.
  const std::vector<std::string> args = {"--at", "0.5", "--at", "10", "--at", "30.5", "--at", "70.5", "--at", "20"};

  std::vector<std::string> linuxArgs = {buildDirectory() + "/tools/render/kaikuranta-render"};
  linuxArgs.insert(linuxArgs.end(), args.begin(), args.end());
  linuxArgs.insert(linuxArgs.end(), {"--out", (dir / "linux").string()});
  ChildProcess linuxRenderer(linuxArgs, buildDirectory(), {{"SDL_VIDEODRIVER", "offscreen"}});
  int status = -1;
  ASSERT_TRUE(linuxRenderer.wait(300, &status));
  ASSERT_EQ(status, 0) << linuxRenderer.output();

  WineSession wine;
  ASSERT_TRUE(wine.ok());
  std::vector<std::string> windowsArgs = args;
  windowsArgs.insert(windowsArgs.end(), {"--out", (dir / "windows").string()});
  wine.start(windowsBuildDir() + "/tools/render/kaikuranta-render.exe", windowsArgs, windowsBuildDir());
  ASSERT_EQ(wine.ended(300), 0) << wine.output();

  for (const char* frame : {"000030", "000600", "001830", "004230", "001200"}) {
    SCOPED_TRACE(frame);
    const Picture onLinux = readPng((dir / "linux" / (std::string(frame) + ".png")).string());
    const Picture onWindows = readPng((dir / "windows" / (std::string(frame) + ".png")).string());
    ASSERT_EQ(onLinux.width, 640);
    ASSERT_EQ(onLinux.height, 480);
    ASSERT_EQ(onWindows.width, 640);
    ASSERT_EQ(onWindows.height, 480);
    if (std::string(frame) == "001200") {
      // The fonts of the two systems may differ: the upper bubble's corner is left out.
      EXPECT_EQ(differing(onLinux, onWindows, 20, 20, 400, 260), 0);
    } else {
      EXPECT_EQ(differing(onLinux, onWindows), 0);
    }
  }
  fs::remove_all(dir);
}

}  // namespace
