// Every input is the show's music file: decoding it must give interleaved stereo samples, or no
// samples and one line saying why, whatever the bytes. (The decoder rather than the stream API,
// whose streams live as long as the process and would pile up over a fuzzing run.)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/input_file.h"
#include "platform/mp3_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* path = writeInputFile(data, size, ".mp3");
  std::vector<int16_t> samples;
  std::string why;
  const bool decoded = platform::decodeMp3File(path, 44100, &samples, &why);
  const bool oneLine = !why.empty() && why.find('\n') == std::string::npos;
  if (decoded ? (samples.empty() || samples.size() % 2 != 0) : (!samples.empty() || !oneLine)) {
    std::fprintf(stderr, "mp3_fuzzer: %s with %zu samples, reason \"%s\"\n",
                 decoded ? "decoded" : "refused", samples.size(), why.c_str());
    std::abort();
  }
  return 0;
}
