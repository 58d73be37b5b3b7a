// Writes the fuzzers' seed corpus into <folder>/jpeg and <folder>/mp3: small pictures in every
// coding the loader meets (baseline, progressive, greyscale, subsampled, restart intervals,
// arithmetic coding, CMYK, crafted multi-scan files) and short MP3s (stereo and mono, with and
// without the LAME tag, at another sample rate, behind an ID3v2 tag). Deterministic.
#include <lame/lame.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "tools/picture_bench/crafted_jpeg.h"

namespace {

struct PictureSeed {
  const char* name;
  int width, height, components;
  bool progressive, arithmetic, subsampled;
  int restartRows;
};

std::vector<uint8_t> encodePicture(const PictureSeed& seed) {
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = JDIMENSION(seed.width);
  info.image_height = JDIMENSION(seed.height);
  info.input_components = seed.components;
  info.in_color_space = seed.components == 1 ? JCS_GRAYSCALE : seed.components == 4 ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 75, TRUE);
  if (seed.components == 3 && !seed.subsampled) {
    for (int c = 0; c < 3; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
  }
  if (seed.progressive) jpeg_simple_progression(&info);
  info.arith_code = seed.arithmetic ? TRUE : FALSE;
  info.restart_in_rows = seed.restartRows;
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(size_t(seed.width) * size_t(seed.components));
  for (int y = 0; y < seed.height; ++y) {
    for (size_t i = 0; i < row.size(); ++i) {
      const int x = int(i) / seed.components, c = int(i) % seed.components;
      row[i] = JSAMPLE((x * 255 / seed.width + y * 97 / seed.height + c * 60 + ((x ^ y) & 8) * 4) & 255);
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> bytes(buffer, buffer + size);
  std::free(buffer);
  return bytes;
}

// A short tone, 16-bit PCM, interleaved when stereo.
std::vector<uint8_t> encodeMusic(int rate, int channels, bool lameTag, double seconds) {
  lame_global_flags* lame = lame_init();
  lame_set_in_samplerate(lame, rate);
  lame_set_out_samplerate(lame, rate);
  lame_set_num_channels(lame, channels);
  lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
  lame_set_brate(lame, 32);
  lame_set_quality(lame, 7);
  lame_set_bWriteVbrTag(lame, lameTag ? 1 : 0);
  lame_set_write_id3tag_automatic(lame, 0);
  if (lame_init_params(lame) < 0) std::exit(1);
  const int frames = int(rate * seconds);
  std::vector<short> pcm(size_t(frames) * size_t(channels));
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) pcm[size_t(i * channels + c)] = short(8000 * std::sin(i * (0.05 + 0.02 * c)));
  }
  std::vector<uint8_t> out(size_t(frames) * 5 / 4 + 7200);
  int bytes = channels == 1 ? lame_encode_buffer(lame, pcm.data(), pcm.data(), frames, out.data(), int(out.size()))
                            : lame_encode_buffer_interleaved(lame, pcm.data(), frames, out.data(), int(out.size()));
  if (bytes < 0) std::exit(1);
  const int flushed = lame_encode_flush(lame, out.data() + bytes, int(out.size()) - bytes);
  if (flushed < 0) std::exit(1);
  out.resize(size_t(bytes + flushed));
  if (lameTag) {
    unsigned char tag[2048];
    const size_t size = lame_get_lametag_frame(lame, tag, sizeof tag);
    if (size > 0 && size <= out.size()) std::copy(tag, tag + size, out.begin());
  }
  lame_close(lame);
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
