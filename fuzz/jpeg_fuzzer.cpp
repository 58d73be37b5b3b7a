// Every input is a picture file for the loader: it must either give a picture within the decoded
// size limit, every byte of it readable, or refuse it with one line that names the file.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "assets/jpeg_loader.h"
#include "fuzz/input_file.h"

namespace {

// libjpeg is not built for coverage, so the fuzzer cannot see which of its paths an input took.
// Each distinct outcome (a refusal's text with its numbers left out, or whether the picture came
// out large) counts as a feature of its own, so inputs that reach new library messages are kept.
__attribute__((section("__libfuzzer_extra_counters"))) uint8_t outcomes[4096];

void countOutcome(const std::string& text) {
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "0x") == 0) {
      for (i += 2; i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i])); ++i) {}
    }
    if (i >= text.size() || std::isdigit(static_cast<unsigned char>(text[i]))) continue;
    hash = (hash ^ uint8_t(text[i])) * 16777619u;
  }
  ++outcomes[hash % sizeof outcomes];
}

[[noreturn]] void broken(const char* what, const std::string& detail) {
  std::fprintf(stderr, "jpeg_fuzzer: %s: %s\n", what, detail.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = writeInputFile(data, size, ".jpg");
  std::string failure;
  RgbImage* image = decodeJpegFile(path.c_str(), &failure);
  if (!image) {
    if (failure.find(path) == std::string::npos) broken("a refusal that does not name the file", failure);
    if (failure.find('\n') != std::string::npos) broken("a refusal of more than one line", failure);
    countOutcome(failure.substr(path.size()));
    return 0;
  }
  if (!failure.empty()) broken("a picture with a refusal", failure);
  if (image->width < 1 || image->height < 1 || image->width > JPEG_MAX_DECODED_SIDE ||
      image->height > JPEG_MAX_DECODED_SIDE || image->stride != 3 * image->width) {
    broken("a picture of the wrong shape", std::to_string(image->width) + "x" + std::to_string(image->height) +
                                               " stride " + std::to_string(image->stride));
  }
  countOutcome(std::string("picture") + (image->width > 512 ? " wide" : "") + (image->height > 512 ? " tall" : ""));
  // Reading every byte lets AddressSanitizer catch a buffer smaller than the picture, and the sum
  // keeps the reads from being optimised away.
  unsigned sum = 0;
  for (size_t i = 0; i < size_t(image->stride) * size_t(image->height); ++i) sum += image->pixels[i];
  if (sum == 0xFFFFFFFFu) std::fputc(' ', stderr);
  freeRgbImage(image);
  return 0;
}
