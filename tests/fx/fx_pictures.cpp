#include "tests/fx/fx_pictures.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "tests/support/build_paths.h"
#include "tools/png_file.h"

std::vector<uint8_t> sphereMapPicture() {
  std::vector<uint8_t> rgb(256 * 256 * 3);
  for (int t = 0; t < 256; ++t) {
    for (int s = 0; s < 256; ++s) {
      const double r = std::hypot(s - 127.5, t - 127.5) / 127.5;
      uint8_t* p = &rgb[(size_t(t) * 256 + s) * 3];
      p[0] = uint8_t(s);
      p[1] = uint8_t(t);
      p[2] = uint8_t(std::lround(127.5 + 127.5 * std::cos(r * 18.0)));
    }
  }
  return rgb;
}

bool writeFxPicture(const std::string& name, int w, int h, const std::vector<uint8_t>& rgba) {
  const std::filesystem::path dir = std::filesystem::path(buildDirectory()) / "test_output" / "fx";
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  return writePng((dir / name).string(), w, h, rgba);
}
