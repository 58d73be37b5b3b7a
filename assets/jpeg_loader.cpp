#include "assets/jpeg_loader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/regular_file.h"
#include "platform/report.h"

static_assert(JPEG_LIB_VERSION == 62, "the loader is written against the libjpeg 6b interface");

namespace {

// Larger pictures than this are no picture the show could use, and refusing them early keeps
// every size computation below far from overflow.
constexpr JDIMENSION JPEG_MAX_SIDE = 16384;

// Decoding costs time for every 8x8 block a file declares, even where its data ran out and the
// library fills in flat blocks; an arithmetic-coded block costs about three Huffman-coded ones.
// Any picture may cost this much (16384x16384 grey, Huffman-coded); beyond that the file must
// hold at least four bits a block, which every real photo does many times over.
constexpr int64_t BLOCK_COST_FREE = int64_t(4) << 20;
constexpr int64_t BLOCK_COST_PER_FILE_BYTE = 2;
constexpr int64_t ARITHMETIC_BLOCK_COST = 3;

// A progressive (or otherwise multi-scan) file keeps every 8x8 block's coefficients in memory,
// 128 bytes a block, until its last scan. Any file may use this much: a progressive photo of
// about twenty million pixels.
constexpr int64_t COEFFICIENT_MEMORY_FREE = int64_t(64) << 20;
// Beyond that the file must carry at least half a byte for every block it declares (a real photo
// carries several bytes a block), so a few bytes cannot make the decoder reserve gigabytes.
constexpr int64_t COEFFICIENT_MEMORY_PER_FILE_BYTE = 64;

// Each scan walks every block of the components it carries, and nothing stops a file from
// repeating scans. Encoders' scans go over a picture six times or so; any picture may be walked
// SCAN_PASSES times over, or cost WALK_COST_FREE in all if that is more.
constexpr int64_t SCAN_PASSES = 16;
constexpr int64_t WALK_COST_FREE = int64_t(4) << 20;

// Everything one decode owns. Plain data, so that a jump out of the library skips no destructor.
struct Decoder {
  jpeg_decompress_struct info;
  jpeg_error_mgr errors;
  jpeg_progress_mgr progress;
  std::jmp_buf escape;
  const char* path;
  int64_t fileBytes;
  int64_t coefficientMemory;  // what the file may use for multi-scan coefficients
  int64_t blockCost;          // of walking one block in a scan
  int64_t walkLimit;          // cost all scans together may have
  int64_t walked;
  int scansCounted;
  uint8_t* pixels;
  JSAMPROW* rows;
  char reason[JMSG_LENGTH_MAX + 160];
};

Decoder* decoderOf(j_common_ptr common) { return static_cast<Decoder*>(common->client_data); }

[[noreturn]] void fail(Decoder* d) { std::longjmp(d->escape, 1); }

// The library's errors come back here instead of ending the process; its own text is kept, except
// where the text would name a mechanism instead of the cause.
[[noreturn]] void refuseLibraryError(j_common_ptr common) {
  Decoder* d = decoderOf(common);
  if (common->err->msg_code == JERR_NO_BACKING_STORE) {
    std::snprintf(d->reason, sizeof d->reason,
                  "%ux%u pixels in several scans need more than %lld MB to decode, too much for a "
                  "file of %lld bytes",
                  unsigned(d->info.image_width), unsigned(d->info.image_height),
                  (long long)(d->coefficientMemory >> 20), (long long)d->fileBytes);
  } else {
    (*common->err->format_message)(common, d->reason);
  }
  fail(d);
}

// Warnings (the standard emitter passes on the first of a decode) name the picture they are about.
void printNamingThePicture(j_common_ptr common) {
  char message[JMSG_LENGTH_MAX];
  (*common->err->format_message)(common, message);
  platform::report("%s: %s", decoderOf(common)->path, message);
}

int64_t blocksOf(const jpeg_component_info& component) {
  return int64_t(component.width_in_blocks) * int64_t(component.height_in_blocks);
}

// Called at least once for every scan before its data is decoded: the library reads all of a
// multi-scan file before the first row.
void limitScans(j_common_ptr common) {
  Decoder* d = decoderOf(common);
  const jpeg_decompress_struct& info = d->info;
  if (info.input_scan_number == d->scansCounted) return;
  d->scansCounted = info.input_scan_number;
  int64_t blocks = 0;
  for (int i = 0; i < info.comps_in_scan; ++i) blocks += blocksOf(*info.cur_comp_info[i]);
  d->walked += d->blockCost * blocks;
  if (d->walked > d->walkLimit) {
    std::snprintf(d->reason, sizeof d->reason, "too many scans (%d) for %ux%u pixels",
                  info.input_scan_number, unsigned(info.image_width), unsigned(info.image_height));
    fail(d);
  }
}

// One grey byte per pixel becomes three equal bytes. Walks from the last pixel back so the
// expansion can happen inside the buffer the grey rows were decoded into.
void expandGreyToRgb(uint8_t* pixels, size_t count) {
  for (size_t i = count; i-- > 0;) {
    const uint8_t grey = pixels[i];
    pixels[3 * i] = grey;
    pixels[3 * i + 1] = grey;
    pixels[3 * i + 2] = grey;
  }
}

// Decodes the open stream into d->pixels (RGB, top row first). False with d->reason set when the
// picture is refused; whatever was allocated is left in d for the caller to release.
bool decode(Decoder* d, FILE* file) {
  if (setjmp(d->escape)) return false;
  jpeg_decompress_struct* info = &d->info;
  jpeg_CreateDecompress(info, 62, sizeof(jpeg_decompress_struct));
  jpeg_stdio_src(info, file);
  jpeg_read_header(info, TRUE);

  if (info->image_width > JPEG_MAX_SIDE || info->image_height > JPEG_MAX_SIDE) {
    std::snprintf(d->reason, sizeof d->reason, "%ux%u pixels is larger than %u on a side",
                  unsigned(info->image_width), unsigned(info->image_height), unsigned(JPEG_MAX_SIDE));
    return false;
  }
  unsigned reduction = 1;
  while (reduction < 8 && (info->image_width > JPEG_MAX_DECODED_SIDE * reduction ||
                           info->image_height > JPEG_MAX_DECODED_SIDE * reduction)) {
    reduction *= 2;
  }
  info->scale_num = 1;
  info->scale_denom = reduction;
  jpeg_calc_output_dimensions(info);
  const int components = info->output_components;
  if (components != 1 && components != 3) {
    std::snprintf(d->reason, sizeof d->reason,
                  "%d colour components (only RGB and greyscale pictures are supported)", components);
    return false;
  }

  // The header reader has laid out the components' blocks by now.
  int64_t blocks = 0;
  for (int c = 0; c < info->num_components; ++c) blocks += blocksOf(info->comp_info[c]);
  d->blockCost = info->arith_code ? ARITHMETIC_BLOCK_COST : 1;
  if (d->blockCost * blocks > std::max(BLOCK_COST_FREE, BLOCK_COST_PER_FILE_BYTE * d->fileBytes)) {
    std::snprintf(d->reason, sizeof d->reason, "%ux%u pixels in a file of only %lld bytes",
                  unsigned(info->image_width), unsigned(info->image_height), (long long)d->fileBytes);
    return false;
  }
  d->walkLimit = std::max(WALK_COST_FREE, SCAN_PASSES * d->blockCost * blocks);
  d->progress.progress_monitor = limitScans;
  info->progress = &d->progress;
  d->coefficientMemory = std::max(COEFFICIENT_MEMORY_FREE, COEFFICIENT_MEMORY_PER_FILE_BYTE * d->fileBytes);
  info->mem->max_memory_to_use = long(std::min<int64_t>(d->coefficientMemory, LONG_MAX));

  jpeg_start_decompress(info);

  // Greyscale rows are decoded tightly packed into the front of an RGB-sized buffer, then
  // expanded in place, so every picture leaves here with three bytes per pixel.
  const size_t width = info->output_width;
  const size_t height = info->output_height;
  const size_t decodedStride = size_t(components) * width;
  d->pixels = static_cast<uint8_t*>(std::malloc(std::max<size_t>(3 * width * height, 1)));
  d->rows = static_cast<JSAMPROW*>(std::malloc(sizeof(JSAMPROW) * std::max<size_t>(height, 1)));
  if (!d->pixels || !d->rows) {
    std::snprintf(d->reason, sizeof d->reason, "out of memory for %zux%zu pixels", width, height);
    return false;
  }
  for (size_t i = 0; i < height; ++i) d->rows[i] = d->pixels + i * decodedStride;

  JDIMENSION rowsRead = 0;
  while (info->output_scanline < info->output_height) {
    rowsRead += jpeg_read_scanlines(info, d->rows + rowsRead, info->output_height - rowsRead);
  }
  jpeg_finish_decompress(info);
  if (components == 1) expandGreyToRgb(d->pixels, width * height);
  return true;
}

}  // namespace

RgbImage* decodeJpegFile(const char* path, std::string* failure) {
  // A FIFO or a device is refused before it is read: either may never end.
  platform::OpenRefusal refusal = platform::OpenRefusal::None;
  const int descriptor = platform::openRegularFile(path, &refusal);
  if (descriptor < 0) {
    if (failure && refusal == platform::OpenRefusal::CannotOpen) {
      *failure = std::string("cannot open ") + path + ": " + std::strerror(errno);
    } else if (failure) {
      *failure = std::string(path) + (refusal == platform::OpenRefusal::Folder ? ": is a folder, not a picture file"
                                                                               : ": is not a regular file");
    }
    return nullptr;
  }
  struct stat status {};
  fstat(descriptor, &status);  // a regular file's size: what its scans may cost is bounded by it
  FILE* file = fdopen(descriptor, "rb");
  if (!file) {
    if (failure) *failure = std::string("cannot open ") + path + ": " + std::strerror(errno);
    close(descriptor);
    return nullptr;
  }

  Decoder decoder{};
  Decoder* d = &decoder;
  d->path = path;
  d->fileBytes = int64_t(status.st_size);
  d->info.err = jpeg_std_error(&d->errors);
  d->errors.error_exit = refuseLibraryError;
  d->errors.output_message = printNamingThePicture;
  d->info.client_data = d;

  const bool decoded = decode(d, file);
  const JDIMENSION width = d->info.output_width, height = d->info.output_height;
  jpeg_destroy_decompress(&d->info);
  std::fclose(file);
  std::free(d->rows);
  RgbImage* image = decoded ? static_cast<RgbImage*>(std::calloc(1, sizeof(RgbImage))) : nullptr;
  if (!image) {
    if (failure) *failure = std::string(path) + ": " + (decoded ? "out of memory" : d->reason);
    std::free(d->pixels);
    return nullptr;
  }
  image->stride = static_cast<int32_t>(3 * width);
  image->width = static_cast<int32_t>(width);
  image->height = static_cast<int32_t>(height);
  image->pixels = d->pixels;
  return image;
}

void freeRgbImage(RgbImage* image) {
  if (!image) return;
  std::free(image->pixels);
  std::free(image);
}
