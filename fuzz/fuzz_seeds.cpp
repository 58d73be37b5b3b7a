// Writes the fuzzers' seed corpus into <folder>/jpeg and <folder>/mp3: small pictures in every
// coding the loader meets (baseline, progressive, greyscale, subsampled, restart intervals,
// arithmetic coding, CMYK, crafted multi-scan files) and short MP3s (stereo and mono, with and
// without the LAME tag, at another sample rate, behind an ID3v2 tag). Deterministic.
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/media_files/bytes_file.h"
#include "tools/media_files/crafted_jpeg.h"
#include "tools/media_files/jpeg_file.h"
#include "tools/media_files/mp3_file.h"

namespace {

struct PictureSeed {
  const char* name;
  int width, height, components;
  bool progressive, arithmetic, subsampled;
  int restartRows;
};

std::vector<uint8_t> encodePicture(const PictureSeed& seed) {
  JpegSettings settings;
  settings.width = seed.width;
  settings.height = seed.height;
  settings.components = seed.components;
  settings.subsampled = seed.subsampled;
  settings.progressive = seed.progressive;
  settings.arithmetic = seed.arithmetic;
  settings.restartRows = seed.restartRows;
  return encodeJpeg(settings, [&seed](int y, uint8_t* row) {
    for (int i = 0; i < seed.width * seed.components; ++i) {
      const int x = i / seed.components, c = i % seed.components;
      row[i] = uint8_t((x * 255 / seed.width + y * 97 / seed.height + c * 60 + ((x ^ y) & 8) * 4) & 255);
    }
  });
}

// A short tone, at a pitch of its own in each channel.
std::vector<uint8_t> encodeMusic(int rate, int channels, bool lameTag, double seconds) {
  Mp3Settings settings;
  settings.rate = rate;
  settings.channels = channels;
  settings.kbps = 64;  // the least at which LAME fits its gapless tag into a frame here
  settings.lameTag = lameTag;
  const int frames = int(rate * seconds);
  std::vector<int16_t> pcm(size_t(frames) * size_t(channels));
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) pcm[size_t(i * channels + c)] = int16_t(8000 * std::sin(i * (0.05 + 0.02 * c)));
  }
  std::vector<uint8_t> out = encodeMp3(settings, pcm);
  if (out.empty()) std::exit(1);
  return out;
}

// An ID3v2.3 tag holding one title frame, as players put ahead of the audio.
std::vector<uint8_t> withId3(std::vector<uint8_t> audio) {
  const std::string title = "Kaikuranta";
  std::vector<uint8_t> frame = {'T', 'I', 'T', '2', 0, 0, 0, uint8_t(title.size() + 1), 0, 0, 0};
  frame.insert(frame.end(), title.begin(), title.end());
  std::vector<uint8_t> tag = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, uint8_t(frame.size())};
  tag.insert(tag.end(), frame.begin(), frame.end());
  audio.insert(audio.begin(), tag.begin(), tag.end());
  return audio;
}

void write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  if (!writeBytes(path.string(), bytes)) {
    std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder / "jpeg");
  std::filesystem::create_directories(folder / "mp3");

  const PictureSeed pictures[] = {
      {"baseline-subsampled", 24, 16, 3, false, false, true, 0},
      {"baseline-full-colour", 16, 16, 3, false, false, false, 0},
      {"progressive", 24, 16, 3, true, false, true, 0},
      {"grey", 16, 8, 1, false, false, false, 0},
      {"grey-progressive", 16, 16, 1, true, false, false, 0},
      {"restarts", 32, 24, 3, false, false, true, 1},
      {"arithmetic", 16, 16, 3, false, true, true, 0},
      {"arithmetic-progressive", 16, 16, 1, true, true, false, 0},
      {"cmyk", 8, 8, 4, false, false, false, 0},
  };
  for (const PictureSeed& seed : pictures) write(folder / "jpeg" / (std::string(seed.name) + ".jpg"), encodePicture(seed));
  CraftedJpeg crafted;
  crafted.width = crafted.height = 64;
  write(folder / "jpeg" / "crafted-flat.jpg", craftJpeg(crafted));
  crafted.progressive = true;
  crafted.components = 3;
  crafted.scans = 3;
  write(folder / "jpeg" / "crafted-repeated-scans.jpg", craftJpeg(crafted));

  write(folder / "mp3" / "stereo-tagged.mp3", encodeMusic(44100, 2, true, 0.15));
  write(folder / "mp3" / "mono-untagged.mp3", encodeMusic(44100, 1, false, 0.1));
  write(folder / "mp3" / "other-rate.mp3", encodeMusic(22050, 2, false, 0.1));
  write(folder / "mp3" / "behind-id3.mp3", withId3(encodeMusic(44100, 2, true, 0.05)));
  return 0;
}
