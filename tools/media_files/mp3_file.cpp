#include "tools/media_files/mp3_file.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

void appendLe32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(uint8_t(v >> (8 * i)));
}

// An APEv2 tag (header, one item, footer) as taggers append it after the last frame.
std::vector<uint8_t> apeTag() {
  std::vector<uint8_t> item;
  appendLe32(&item, 4);
  appendLe32(&item, 0);
  for (char c : std::string("Title\0Tone", 10)) item.push_back(uint8_t(c));
  std::vector<uint8_t> tag;
  for (uint32_t flags : {0xa0000000u, 0x80000000u}) {
    const std::string magic = "APETAGEX";
    tag.insert(tag.end(), magic.begin(), magic.end());
    for (uint32_t v : {2000u, uint32_t(item.size() + 32), 1u, flags}) appendLe32(&tag, v);
    tag.resize(tag.size() + 8, 0);
    if (flags & 0x20000000u) tag.insert(tag.end(), item.begin(), item.end());
  }
  return tag;
}

// Where the first frame starts: after an ID3v2 tag, whose size is four 7-bit bytes.
size_t firstFrame(const std::vector<uint8_t>& file) {
  if (file.size() < 10 || std::memcmp(file.data(), "ID3", 3) != 0) return 0;
  return 10 + (size_t(file[6]) << 21 | size_t(file[7]) << 14 | size_t(file[8]) << 7 | size_t(file[9]));
}

}  // namespace

std::vector<uint8_t> encodeMp3(const Mp3Settings& settings, const std::vector<int16_t>& pcm) {
  std::vector<uint8_t> out;
  lame_global_flags* lame = lame_init();
  if (!lame) return out;
  lame_set_in_samplerate(lame, settings.rate);
  lame_set_out_samplerate(lame, settings.rate);
  lame_set_num_channels(lame, settings.channels);
  lame_set_mode(lame, settings.channels == 1 ? MONO : JOINT_STEREO);
  lame_set_VBR(lame, settings.vbr ? vbr_default : vbr_off);
  if (settings.kbps > 0) lame_set_brate(lame, settings.kbps);
  // 7 skips the slowest noise shaping; at 192 kbps it still sounds clean, and the build encodes
  // the soundtrack on every clean build.
  lame_set_quality(lame, 7);
  lame_set_bWriteVbrTag(lame, settings.lameTag ? 1 : 0);
  const bool id3 = settings.tag == Mp3Tag::ID3V1 || settings.tag == Mp3Tag::ID3V2;
  if (id3) {
    id3tag_init(lame);
    if (settings.tag == Mp3Tag::ID3V1) id3tag_v1_only(lame);
    if (settings.tag == Mp3Tag::ID3V2) id3tag_v2_only(lame);
    id3tag_set_title(lame, "Tone");
  }
  lame_set_write_id3tag_automatic(lame, id3 ? 1 : 0);
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    return out;
  }

  constexpr int CHUNK = 8192;  // frames per call
  std::vector<unsigned char> buffer(size_t(CHUNK) * 5 / 4 + 7200);
  const size_t channels = size_t(settings.channels);
  const size_t frames = pcm.size() / channels;
  bool ok = true;
  for (size_t done = 0; done < frames && ok; done += CHUNK) {
    const int n = int(std::min<size_t>(CHUNK, frames - done));
    short* samples = const_cast<short*>(pcm.data() + channels * done);
    const int bytes = channels == 1 ? lame_encode_buffer(lame, samples, samples, n, buffer.data(), int(buffer.size()))
                                    : lame_encode_buffer_interleaved(lame, samples, n, buffer.data(), int(buffer.size()));
    if (bytes < 0) ok = false;
    else out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);
  }
  if (ok) {
    const int bytes = lame_encode_flush(lame, buffer.data(), int(buffer.size()));
    if (bytes < 0) ok = false;
    else out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);
  }
  if (ok && settings.lameTag) {
    // The encoder left an empty frame for this tag; without it a decoder cannot know the delay
    // and every beat would land about 25 ms late.
    unsigned char tag[4096];
    const size_t size = lame_get_lametag_frame(lame, tag, sizeof tag);
    const size_t at = firstFrame(out);
    if (size == 0 || size > sizeof tag || at + size > out.size()) ok = false;
    else std::memcpy(out.data() + at, tag, size);
  }
  if (ok && settings.tag == Mp3Tag::APE) {
    const std::vector<uint8_t> ape = apeTag();
    out.insert(out.end(), ape.begin(), ape.end());
  }
  lame_close(lame);
  if (!ok) out.clear();
  return out;
}
