// showdata: draws the show's fourteen pictures (and their copies at twice the size, in the 2x
// folder beside them) and renders its soundtrack into one folder; with
// --icons, draws the programs' icon instead (kaikuranta.ico and one PNG per size).
// Usage: showdata OUTPUT_FOLDER, showdata --icons ICON_FOLDER. Same bytes on every run: nothing
// depends on the clock, on a random seed or on thread timing; the run time is only reported.
#include "platform/show_files.h"
#include "tools/media_files/mp3_file.h"
#include "tools/showdata/icon_file.h"
#include "tools/showdata/output_file.h"
#include "tools/showdata/pictures.h"
#include "tools/showdata/soundtrack.h"

#include <cairo.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

struct EncodedFile {
  std::string name;
  std::vector<uint8_t> bytes;
};

// The sizes Windows and the desktops ask for: small and large icons, Explorer's tiles.
constexpr int ICON_SIZES[] = {16, 32, 48, 256};

bool writeIcons(const std::filesystem::path& folder) {
  std::vector<IconImage> images;
  for (int size : ICON_SIZES) {
    images.push_back({size, drawIcon(size)});
    const std::string path = (folder / ("kaikuranta-" + std::to_string(size) + ".png")).string();
    if (!writeFileAtomically(path, images.back().png)) {
      std::fprintf(stderr, "showdata: cannot write %s\n", path.c_str());
      return false;
    }
  }
  cairo_debug_reset_static_data();
  const std::string path = (folder / "kaikuranta.ico").string();
  if (!writeFileAtomically(path, iconFile(images))) {
    std::fprintf(stderr, "showdata: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const bool icons = argc == 3 && std::string(argv[1]) == "--icons";
  if (argc != 2 && !icons) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER | --icons ICON_FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[icons ? 2 : 1];
  std::error_code error;
  std::filesystem::create_directories(icons ? folder : folder / DATA_SHARP_FOLDER, error);
  if (error) {
    std::fprintf(stderr, "showdata: cannot create %s: %s\n", folder.c_str(), error.message().c_str());
    return 1;
  }
  if (icons) return writeIcons(folder) ? 0 : 1;
  const Clock::time_point start = Clock::now();

  // The synthesiser uses both cores; the encoder only one, so the pictures are drawn beside it.
  const std::vector<int16_t> pcm = renderSoundtrack();
  const double synthesisSeconds = secondsSince(start);

  std::vector<EncodedFile> files;
  double pictureSeconds = 0.0;
  std::thread pictureThread([&files, &pictureSeconds] {
    const Clock::time_point pictureStart = Clock::now();
    for (const NamedPicture& p : drawShowPictures(1)) files.push_back({p.fileName, encodeJpeg(p.picture)});
    const std::string sharp = std::string(DATA_SHARP_FOLDER) + "/";
    for (const NamedPicture& p : drawShowPictures(2)) files.push_back({sharp + p.fileName, encodeJpeg(p.picture)});
    cairo_debug_reset_static_data();
    pictureSeconds = secondsSince(pictureStart);
  });
  const Clock::time_point encodeStart = Clock::now();
  // 192 kbps constant, 44.1 kHz joint stereo, with the gapless tag the show's clock relies on.
  Mp3Settings soundtrack;
  soundtrack.kbps = 192;
  std::vector<uint8_t> mp3 = encodeMp3(soundtrack, pcm);
  const bool encoded = !mp3.empty();
  const double encodeSeconds = secondsSince(encodeStart);
  pictureThread.join();
  if (!encoded) {
    std::fprintf(stderr, "showdata: the MP3 encoder failed\n");
    return 1;
  }
  files.push_back({dataFileName(DATA_MUSIC), std::move(mp3)});

  for (const EncodedFile& f : files) {
    const std::string path = (folder / f.name).string();
    if (!writeFileAtomically(path, f.bytes)) {
      std::fprintf(stderr, "showdata: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  std::printf("showdata: %zu files written to %s in %.2f s (synthesis %.2f s, then MP3 encoding %.2f s "
              "beside the pictures %.2f s)\n",
              files.size(), folder.c_str(), secondsSince(start), synthesisSeconds, encodeSeconds, pictureSeconds);
  return 0;
}
