#include "tools/render/offline_renderer.h"

#include "platform/gl.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/init_show.h"
#include "app/window.h"
#include "assets/bitmap_font.h"
#include "assets/frame_size.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "platform/glyphs.h"
#include "platform/headless_gl.h"
#include "show/frame.h"
#include "timing/beat_timing.h"
#include "timing/demo_clock.h"

bool OfflineRenderer::start(int fps, std::string* error, int width, int height) {
  if (fps < 1 || fps > 1000) {
    *error = "frames per second must be between 1 and 1000";
    return false;
  }
  if (!platform::findShowData(error)) return false;
  fps_ = fps;
  // The clock is replayed before anything reads it: the music then follows it too.
  platform::useSimulatedClock(true, 0);
  const FrameSize size = frameSize();
  width_ = width > 0 ? width : size.width;
  height_ = height > 0 ? height : size.height;
  if (!platform::openHeadlessGl(width_, height_, error)) return false;
  placeFrameIn(width_, height_);
  // The corner of a larger frame need not be a power of two: its render targets need a GL that
  // takes any size (2.0 on; every GL that the offline renderer meets today).
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  const int corner = cornerSize();
  if ((corner & (corner - 1)) != 0 && (!version || version[0] < '2')) {
    *error = "this GL (" + std::string(version ? version : "?") + ") has no textures of " +
             std::to_string(corner) + " texels a side, which a " + std::to_string(size.height) +
             "-pixel frame needs";
    return false;
  }
  // The GL state the show's window starts with: its projection and initial settings.
  setProjection(size.width, size.height);
  initGLState();
  initShow();
  return true;
}

int64_t OfflineRenderer::passAt(double seconds, int fps) { return int64_t(seconds * fps + 0.5); }

int64_t OfflineRenderer::lastPass(int fps) {
  // Pass k runs at floor(k x 1000 / fps) ms, read as the show's clock reads it.
  int64_t pass = int64_t(SHOW_END_SECONDS * fps) + 1;
  while (DemoClock::secondsOf(uint32_t(pass * 1000 / fps)) > SHOW_END_SECONDS) --pass;
  return pass;
}

bool parseShowTime(const char* text, double* seconds) {
  const char* c = text;
  while (*c >= '0' && *c <= '9') ++c;
  if (c == text) return false;
  if (*c == '.') {
    const char* fraction = ++c;
    while (*c >= '0' && *c <= '9') ++c;
    if (c == fraction) return false;
  }
  if (*c != '\0') return false;
  // Digits and at most one point: strtod reads them as written in the program's C locale.
  *seconds = std::strtod(text, nullptr);
  return std::isfinite(*seconds);
}

double OfflineRenderer::drawAndRead(std::vector<uint8_t>* rgba) {
  const uint64_t start = platform::monotonicMicros();
  if (!drawFrame()) return -1.0;
  // Read before the timing pass, as the loop presents it after: the picture drawFrame drew.
  if (rgba) {
    const FrameSize size = frameSize();
    const int x = pictureAlone_ ? frameOrigin().x : 0, y = pictureAlone_ ? frameOrigin().y : 0;
    const int w = pictureAlone_ ? size.width : width_, h = pictureAlone_ ? size.height : height_;
    rgba->resize(size_t(w) * size_t(h) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, w, h, bgra_ ? GL_BGRA_EXT : GL_RGBA, GL_UNSIGNED_BYTE, rgba->data());
  }
  glFinish();
  return double(platform::monotonicMicros() - start) / 1000.0;
}

bool OfflineRenderer::runPass(bool draw, std::vector<uint8_t>* rgba) {
  platform::setSimulatedTime(uint32_t(pass_ * 1000 / fps_));
  ++pass_;
  if (!draw) {
    if (!skipFrame()) ended_ = true;
  } else {
    const double ms = drawAndRead(rgba);
    if (ms < 0) ended_ = true;
    else frameMillis_.push_back(ms);
  }
  if (ended_) return false;
  updateTiming();
  return true;
}

double OfflineRenderer::drawAgain(std::vector<uint8_t>* rgba) {
  if (pass_ == 0 || ended_) return -1.0;
  platform::setSimulatedTime(uint32_t((pass_ - 1) * 1000 / fps_));
  return drawAndRead(rgba);
}

bool OfflineRenderer::runTo(int64_t pass, bool drawEveryPass, std::vector<uint8_t>* rgba) {
  if (ended_ || pass < pass_) return false;
  while (pass_ < pass) {
    if (!runPass(drawEveryPass, nullptr)) return false;
  }
  return runPass(true, rgba);
}

bool placePicture(int width, int height, Placement* placement, std::string* error) {
  // The tallest whole 4:3 picture: its height a multiple of 3, its width 4/3 of that.
  const int64_t fits = std::min<int64_t>(height, int64_t(width) * 3 / 4) / 3 * 3;
  if (width <= 0 || height <= 0 || !frameHeightAllowed(int(fits))) {
    *error = std::to_string(width) + "x" + std::to_string(height) + " holds a 4:3 picture " +
             std::to_string(std::max<int64_t>(fits, 0)) + " pixels high; the show draws from " +
             std::to_string(MIN_FRAME_HEIGHT) + " to " + std::to_string(MAX_FRAME_HEIGHT);
    return false;
  }
  placement->width = width;
  placement->height = height;
  placement->pictureHeight = int(fits);
  placement->pictureWidth = int(fits) / 3 * 4;
  placement->left = (width - placement->pictureWidth) / 2;
  placement->bottom = (height - placement->pictureHeight) / 2;
  return true;
}

namespace {

constexpr uint64_t FNV_OFFSET = 0xcbf29ce484222325ull;
constexpr uint64_t FNV_PRIME = 0x100000001b3ull;

uint64_t mix(uint64_t hash, const void* data, size_t size) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * FNV_PRIME;
  return hash;
}

}  // namespace

uint64_t frameDigest(const std::vector<uint8_t>& rgba) {
  uint64_t hash = FNV_OFFSET;
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) hash = mix(hash, &rgba[i], 3);
  return hash;
}

uint64_t glyphDigest(std::string* fontFile) {
  std::vector<platform::GlyphBitmap> glyphs;
  fontFile->clear();
  if (!platform::rasteriseGlyphs(FONT_FAMILY, FONT_WEIGHT, fontPixelHeight(), FONT_FIRST_CHAR,
                                 FONT_CHAR_COUNT, &glyphs, fontFile)) {
    return 0;
  }
  uint64_t hash = FNV_OFFSET;
  for (const platform::GlyphBitmap& g : glyphs) {
    const float metrics[5] = {float(g.width), float(g.height), g.originX, g.originY, g.advance};
    hash = mix(hash, metrics, sizeof metrics);
    hash = mix(hash, g.rows.data(), g.rows.size());
  }
  return hash;
}
