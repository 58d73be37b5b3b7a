// Prints how long the effects take on the headless context (median and 95th percentile over
// many runs): the rippling surface drawn into the capture corner, the four-pass feedback blur,
// and the surface's CPU work alone. GL timings end with glFinish so the GPU work is counted.
#include "platform/gl.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/window.h"
#include "assets/textures.h"
#include "fx/feedback_blur.h"
#include "fx/grid_mesh.h"
#include "fx/quads.h"
#include "fx/rippling_surface.h"
#include "platform/headless_gl.h"
#include "show/frame.h"

namespace {

constexpr int WARMUP = 20;
constexpr int RUNS = 400;

GLuint makeTexture(const std::vector<uint8_t>& rgb) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 256, 256, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  return name;
}

std::vector<uint8_t> gradient() {
  std::vector<uint8_t> rgb(256 * 256 * 3);
  for (int t = 0; t < 256; ++t) {
    for (int s = 0; s < 256; ++s) {
      uint8_t* p = &rgb[(size_t(t) * 256 + s) * 3];
      p[0] = uint8_t(s);
      p[1] = uint8_t(t);
      p[2] = uint8_t(127.5 + 127.5 * std::cos(std::hypot(s - 127.5, t - 127.5) / 7.0));
    }
  }
  return rgb;
}

void report(const char* name, const std::function<void(int)>& run) {
  using Clock = std::chrono::steady_clock;
  std::vector<double> ms;
  for (int i = 0; i < WARMUP + RUNS; ++i) {
    const auto start = Clock::now();
    run(i);
    const double elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (i >= WARMUP) ms.push_back(elapsed);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("%-44s median %7.3f ms   p95 %7.3f ms\n", name, ms[ms.size() / 2],
              ms[size_t(double(ms.size()) * 0.95)]);
}

}  // namespace

int main() {
  std::string error;
  if (!platform::openHeadlessGl(640, 480, &error)) {
    std::fprintf(stderr, "kaikuranta-bench: no GL context: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s / %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
              reinterpret_cast<const char*>(glGetString(GL_VERSION)));

  textures[TEX_METAL] = makeTexture(gradient());
  textures[TEX_SURFACE_RT] = makeTexture(std::vector<uint8_t>(256 * 256 * 3, 0));
  textures[TEX_BLUR_RT] = makeTexture(std::vector<uint8_t>(256 * 256 * 3, 0));
  surfaceMesh = new GridMesh;
  surfaceMesh->build(-1.3f, -1.0f, 2.67f, 2.0f, 48, 32, 1);

  // The show window's projection, and the frame's scene plane.
  setProjection(640, 480);
  glTranslatef(0, 0, -1);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);

  report("drawSurface 48x32 + capture (glFinish)", [](int i) {
    sceneTime = float(i) * 0.02f;
    beginCapture(textures[TEX_SURFACE_RT]);
    drawSurface();
    endCapture();
    glFinish();
  });
  report("feedbackBlur, 4 passes (glFinish)", [](int) {
    feedbackBlur(textures[TEX_SURFACE_RT], textures[TEX_BLUR_RT], 4);
    glFinish();
  });
  report("surface positions + normals, CPU only", [](int i) {
    rippleSurfaceMesh(*surfaceMesh, float(i) * 0.02f);
  });
  return 0;
}
