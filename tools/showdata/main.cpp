// showdata: draws the show's fourteen pictures and renders its soundtrack into one folder.
// Usage: showdata OUTPUT_FOLDER. Same bytes on every run: nothing depends on the clock, on a
// random seed or on thread timing; the run time is only reported.
#include "platform/show_files.h"
#include "tools/showdata/mp3_file.h"
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    std::fprintf(stderr, "showdata: cannot create %s: %s\n", folder.c_str(), error.message().c_str());
    return 1;
  }
  const Clock::time_point start = Clock::now();

  // The synthesiser uses both cores; the encoder only one, so the pictures are drawn beside it.
  const std::vector<int16_t> pcm = renderSoundtrack();
  const double synthesisSeconds = secondsSince(start);

  std::vector<EncodedFile> files;
  double pictureSeconds = 0.0;
  std::thread pictureThread([&files, &pictureSeconds] {
    const Clock::time_point pictureStart = Clock::now();
    for (const NamedPicture& p : drawShowPictures()) files.push_back({p.fileName, encodeJpeg(p.picture)});
    cairo_debug_reset_static_data();
    pictureSeconds = secondsSince(pictureStart);
  });
  const Clock::time_point encodeStart = Clock::now();
  std::vector<uint8_t> mp3;
  const bool encoded = encodeMp3(pcm, mp3);
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
