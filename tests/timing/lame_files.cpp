#include "tests/timing/lame_files.h"

#include <lame/lame.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void appendLe32(std::vector<unsigned char>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back((v >> (8 * i)) & 0xff);
}

// An APEv2 tag (header, one item, footer) as taggers append it after the last frame.
std::vector<unsigned char> apeTag() {
  std::vector<unsigned char> item;
  appendLe32(&item, 4);
  appendLe32(&item, 0);
  for (char c : std::string("Title\0Tone", 10)) item.push_back((unsigned char)c);
  std::vector<unsigned char> tag;
  for (uint32_t flags : {0xa0000000u, 0x80000000u}) {
    const std::string magic = "APETAGEX";
    tag.insert(tag.end(), magic.begin(), magic.end());
    for (uint32_t v : {2000u, uint32_t(item.size() + 32), 1u, flags}) appendLe32(&tag, v);
    tag.resize(tag.size() + 8, 0);
    if (flags & 0x20000000u) tag.insert(tag.end(), item.begin(), item.end());
  }
  return tag;
}

}  // namespace

std::string makeMp3(double seconds, Mp3Format format) {
  char path[] = "/tmp/kk-sound-XXXXXX.mp3";
  close(mkstemps(path, 4));
  lame_t lame = lame_init();
  lame_set_in_samplerate(lame, format.rate);
  lame_set_out_samplerate(lame, format.rate);
  lame_set_num_channels(lame, format.channels);
  lame_set_mode(lame, format.channels == 1 ? MONO : JOINT_STEREO);
  if (format.vbr) lame_set_VBR(lame, vbr_default);
  lame_set_quality(lame, 7);
  id3tag_init(lame);
  if (format.tag == Mp3Tag::ID3V1) id3tag_v1_only(lame);
  if (format.tag == Mp3Tag::ID3V2) id3tag_v2_only(lame);
  id3tag_set_title(lame, "Tone");
  lame_set_write_id3tag_automatic(lame, format.tag == Mp3Tag::ID3V1 || format.tag == Mp3Tag::ID3V2);
  lame_init_params(lame);
  const int n = int(seconds * format.rate);
  std::vector<short> tone(size_t(n), 0);
  for (int i = 0; i < n; ++i) {
    tone[size_t(i)] = short(TONE_PEAK * std::sin(2 * M_PI * TONE_HZ * i / format.rate));
  }
  std::vector<unsigned char> out(size_t(1.25 * n) + 16384);
  int bytes = lame_encode_buffer(lame, tone.data(), tone.data(), n, out.data(), int(out.size()));
  bytes += lame_encode_flush(lame, out.data() + bytes, int(out.size()) - bytes);
  if (format.tag == Mp3Tag::APE) {
    const std::vector<unsigned char> ape = apeTag();
    std::copy(ape.begin(), ape.end(), out.begin() + bytes);
    bytes += int(ape.size());
  }
  FILE* f = std::fopen(path, "w+b");
  std::fwrite(out.data(), 1, size_t(bytes), f);
  lame_mp3_tags_fid(lame, f);
  std::fclose(f);
  lame_close(lame);
  return path;
}
