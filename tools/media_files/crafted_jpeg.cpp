#include "tools/media_files/crafted_jpeg.h"

#include <algorithm>

namespace {

void put16(std::vector<uint8_t>* out, int64_t value) {
  out->push_back(uint8_t(value >> 8));
  out->push_back(uint8_t(value));
}

void segment(std::vector<uint8_t>* out, uint8_t marker, const std::vector<uint8_t>& body) {
  out->push_back(0xFF);
  out->push_back(marker);
  put16(out, int64_t(body.size()) + 2);
  out->insert(out->end(), body.begin(), body.end());
}

// Table class 0 (DC) or 1 (AC), number 0: one code of length 1 for `symbol`.
void singleCodeTable(std::vector<uint8_t>* body, int tableClass, uint8_t symbol) {
  body->push_back(uint8_t(tableClass << 4));
  body->push_back(1);
  body->insert(body->end(), 15, 0);
  body->push_back(symbol);
}

}  // namespace

std::vector<uint8_t> craftJpeg(const CraftedJpeg& picture) {
  std::vector<uint8_t> out = {0xFF, 0xD8};
  for (int64_t left = picture.paddingBytes; left > 0;) {
    const int64_t size = std::min<int64_t>(left, 65000);
    segment(&out, 0xE1, std::vector<uint8_t>(size_t(size), 0));
    left -= size;
  }
  std::vector<uint8_t> quantisation = {0};
  quantisation.insert(quantisation.end(), 64, 1);
  segment(&out, 0xDB, quantisation);

  std::vector<uint8_t> frame = {8};
  put16(&frame, picture.height);
  put16(&frame, picture.width);
  frame.push_back(uint8_t(picture.components));
  for (int c = 0; c < picture.components; ++c) frame.insert(frame.end(), {uint8_t(c + 1), 0x11, 0});
  const uint8_t frameMarker = picture.arithmetic ? (picture.progressive ? 0xCA : 0xC9)
                                                 : (picture.progressive ? 0xC2 : 0xC0);
  segment(&out, frameMarker, frame);
  if (!picture.arithmetic) {
    std::vector<uint8_t> tables;
    singleCodeTable(&tables, 0, 0x00);  // DC: difference category 0
    singleCodeTable(&tables, 1, 0x00);  // AC: end of block
    segment(&out, 0xC4, tables);
  }

  const int64_t blocks = int64_t((picture.width + 7) / 8) * int64_t((picture.height + 7) / 8) * picture.components;
  const int64_t bitsPerBlock = picture.progressive ? 1 : 2;
  const int64_t dataBytes = picture.dataBytes >= 0 ? picture.dataBytes : (blocks * bitsPerBlock + 7) / 8;
  for (int s = 0; s < picture.scans; ++s) {
    std::vector<uint8_t> scan = {uint8_t(picture.components)};
    for (int c = 0; c < picture.components; ++c) scan.insert(scan.end(), {uint8_t(c + 1), 0x00});
    scan.insert(scan.end(), {0, uint8_t(picture.progressive ? 0 : 63), 0});
    segment(&out, 0xDA, scan);
    out.insert(out.end(), size_t(dataBytes), 0);
  }
  out.insert(out.end(), {0xFF, 0xD9});
  return out;
}
