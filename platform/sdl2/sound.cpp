#include "platform/sound.h"

#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/clock.h"
#include "platform/mp3_decoder.h"

namespace platform {

struct SoundStream {
  std::mutex lock;
  std::vector<int16_t> samples;  // interleaved stereo at the output rate, sample 0 = 0 ms
  bool clockDriven = true;       // no sound heard: the position follows the millisecond clock

  // Clock-driven position: positionMs at the moment clockBaseMs, advancing while playing.
  bool playing = false;
  uint32_t clockBaseMs = 0;
  int64_t clockBasePositionMs = 0;

  // Device-driven position, written by the audio callback.
  int64_t nextFrame = 0;          // next frame the callback hands out (runs on past the end)
  int64_t framesAfterCallback = 0;
  uint64_t callbackMicros = 0;
  bool callbackSeen = false;
  int64_t lastReportedMs = 0;     // keeps the reading monotonic between seeks
};

namespace {

constexpr int kChannels = 2;
constexpr int kBufferFrames = 1024;

SDL_AudioDeviceID device = 0;
int outputRate = 44100;
bool outputTried = false;
// Streams live until the process ends, and past the static destructors: the audio thread may
// still be reading one while the process exits.
auto& allStreams = *new std::vector<std::unique_ptr<SoundStream>>;
SoundStream* current = nullptr;                        // the one stream on channel 0
auto& currentLock = *new std::mutex;

void fillAudio(void*, Uint8* out, int len) {
  auto* dst = reinterpret_cast<int16_t*>(out);
  const int frames = len / int(sizeof(int16_t) * kChannels);
  std::lock_guard<std::mutex> guard(currentLock);
  SoundStream* s = current;
  if (!s) {
    std::memset(out, 0, size_t(len));
    return;
  }
  std::lock_guard<std::mutex> streamGuard(s->lock);
  if (!s->playing) {
    std::memset(out, 0, size_t(len));
    return;
  }
  const int64_t total = int64_t(s->samples.size() / kChannels);
  for (int i = 0; i < frames; ++i) {
    const int64_t f = s->nextFrame + i;
    if (f >= 0 && f < total) {
      dst[2 * i] = s->samples[size_t(2 * f)];
      dst[2 * i + 1] = s->samples[size_t(2 * f + 1)];
    } else {
      dst[2 * i] = dst[2 * i + 1] = 0;  // past the end: silence, but time goes on
    }
  }
  s->nextFrame += frames;
  s->framesAfterCallback = s->nextFrame;
  s->callbackMicros = monotonicMicros();
  s->callbackSeen = true;
}

}  // namespace

bool soundInit(int mixRate) {
  outputRate = mixRate;
  if (outputTried) return device != 0;
  outputTried = true;
  // A replayed clock has nothing to listen to: positions follow it instead of a device.
  if (simulatedClock()) return false;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "kaikuranta: cannot start the audio output (%s); the show plays silent\n",
                 SDL_GetError());
    return false;
  }
  SDL_AudioSpec want{};
  want.freq = mixRate;
  want.format = AUDIO_S16SYS;
  want.channels = kChannels;
  want.samples = kBufferFrames;
  want.callback = fillAudio;
  SDL_AudioSpec have{};
  device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device == 0) {
    std::fprintf(stderr, "kaikuranta: cannot open the audio device (%s); the show plays silent\n",
                 SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  SDL_PauseAudioDevice(device, 0);
  return true;
}

SoundStream* soundStreamOpen(const char* path) {
  allStreams.push_back(std::make_unique<SoundStream>());
  SoundStream* s = allStreams.back().get();
  std::string why;
  if (!decodeMp3(path, outputRate, &s->samples, &why)) {
    std::fprintf(stderr, "kaikuranta: %s; the show plays silent\n", why.c_str());
    s->samples.clear();
    s->samples.shrink_to_fit();
  }
  s->clockDriven = device == 0 || s->samples.empty();
  return s;
}

bool soundStreamPlay(SoundStream* s) {
  if (!s) return false;
  {
    std::lock_guard<std::mutex> guard(s->lock);
    s->playing = true;
    s->clockBaseMs = timeGetTime();
    s->clockBasePositionMs = 0;
    s->nextFrame = 0;
    s->callbackSeen = false;
    s->lastReportedMs = 0;
  }
  if (!s->clockDriven) {
    std::lock_guard<std::mutex> guard(currentLock);
    current = s;
  }
  return true;
}

bool soundStreamSetTime(SoundStream* s, int ms) {
  if (!s) return false;
  std::lock_guard<std::mutex> guard(s->lock);
  const int64_t pos = std::max(0, ms);
  s->clockBaseMs = timeGetTime();
  s->clockBasePositionMs = pos;
  s->nextFrame = pos * outputRate / 1000;
  s->callbackSeen = false;
  s->lastReportedMs = pos;
  return true;
}

int soundStreamGetTime(SoundStream* s) {
  if (!s) return 0;
  std::lock_guard<std::mutex> guard(s->lock);
  if (!s->playing) return int(s->clockBasePositionMs);
  int64_t ms;
  if (s->clockDriven) {
    ms = s->clockBasePositionMs + int64_t(uint32_t(timeGetTime() - s->clockBaseMs));
  } else if (!s->callbackSeen) {
    ms = s->lastReportedMs;  // nothing handed to the device yet: nothing heard yet
  } else {
    // The device plays the buffer before the one it was just handed; between callbacks the
    // heard position moves on with the clock, but never past what the device has.
    const int64_t heardFrames = s->framesAfterCallback - kBufferFrames;
    const int64_t sinceMicros = int64_t(monotonicMicros() - s->callbackMicros);
    const int64_t maxMicros = int64_t(kBufferFrames) * 1000000 / outputRate;
    const int64_t micros = heardFrames * 1000000 / outputRate + std::min(sinceMicros, maxMicros);
    ms = micros / 1000;
  }
  ms = std::max(ms, s->lastReportedMs);
  s->lastReportedMs = ms;
  return int(std::min<int64_t>(ms, INT32_MAX));
}

void soundShutdown() {
  if (device != 0) {
    SDL_CloseAudioDevice(device);
    device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  {
    std::lock_guard<std::mutex> guard(currentLock);
    current = nullptr;
  }
  outputTried = false;
}

}  // namespace platform
