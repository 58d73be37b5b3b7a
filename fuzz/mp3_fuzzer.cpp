// Every input is the show's music file: opening it must give a stream (silent when the file is no
// MP3 it can play) whose position the show can set and read, whatever the bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/input_file.h"
#include "platform/sound.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // No sound is heard while fuzzing: SDL may only ever reach its dummy output.
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* path = writeInputFile(data, size, ".mp3");
  platform::SoundStream* stream = platform::soundStreamOpen(path);
  if (!stream) {
    std::fprintf(stderr, "mp3_fuzzer: no stream for %zu bytes\n", size);
    std::abort();
  }
  platform::soundStreamSetTime(stream, 1500);
  if (platform::soundStreamGetTime(stream) < 0) std::abort();
  return 0;
}
