#pragma once
// JPEG files written byte by byte, for what an encoder never writes: any declared size over data
// that is flat, cut short, padded or scanned again and again. Plain functions, any thread.
#include <cstdint>
#include <vector>

// Each Huffman table has a single one-bit code (a DC difference of 0, an end of block), so zero
// bytes of data are flat grey blocks: two bits a block in a sequential scan, one bit a block in a
// progressive DC scan. Arithmetic-coded files use the library's default conditioning.
struct CraftedJpeg {
  int width = 8;
  int height = 8;
  int components = 1;         // each sampled 1x1; three are taken for YCbCr
  bool progressive = false;   // every scan a DC scan of all components
  bool arithmetic = false;
  int scans = 1;
  int64_t dataBytes = -1;     // zero bytes after each scan header; -1: all the blocks need
  int64_t paddingBytes = 0;   // ahead of the frame header, in APP1 segments of zeros
};

std::vector<uint8_t> craftJpeg(const CraftedJpeg& picture);
