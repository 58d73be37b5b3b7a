#include "platform/sound.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/decoded_music.h"
#include "platform/report.h"

namespace platform {

struct SoundStream {
  std::mutex lock;
  DecodedMusic music;            // interleaved stereo at the output rate, frame 0 = 0 ms
  bool clockDriven = true;       // no sound heard: the position follows the millisecond clock

  // Clock-driven position: positionMs at the moment clockBaseMs, advancing while playing.
  bool playing = false;
  uint32_t clockBaseMs = 0;
  int64_t clockBasePositionMs = 0;

  // Device-driven position, written by the audio callback.
  int64_t nextFrame = 0;          // next frame the callback hands out (runs on past the end)
  int64_t framesAfterCallback = 0;
  uint64_t callbackMicros = 0;    // the last callback, or the play or seek waiting for one
  bool callbackSeen = false;
  int64_t lastReportedMs = 0;     // keeps the reading monotonic between seeks

  // A device that stopped taking samples: the position runs on the monotonic clock from
  // stallPositionMs at stallMicros, and the next callback moves the music to it.
  bool stalled = false;
  int64_t stallPositionMs = 0;
  uint64_t stallMicros = 0;
};

namespace {

constexpr int SOUND_CHANNELS = 2;
// 93 ms a buffer. Through PulseAudio on a busy two-core machine, 1024 and 2048 frames ran dry
// several times a minute and 4096 not at all; the position counts the buffer's delay.
constexpr int SOUND_BUFFER_FRAMES = 4096;
// No callback for this long while playing: the device has stopped taking samples. More than two
// buffers, and past the longest hiccup seen on a loaded machine (180 ms).
constexpr uint64_t SOUND_STALL_MICROS = 200000;

SDL_AudioDeviceID device = 0;
int outputRate = 44100;
int bufferFrames = SOUND_BUFFER_FRAMES;  // what the device granted
bool outputTried = false;
// Streams live until the process ends, and past the static destructors: the audio thread may
// still be reading one while the process exits.
auto& allStreams = *new std::vector<std::unique_ptr<SoundStream>>;
SoundStream* current = nullptr;                        // the one stream on channel 0
auto& currentLock = *new std::mutex;

int64_t stallPositionNow(const SoundStream& s, uint64_t nowMicros) {
  return s.stallPositionMs + int64_t(nowMicros - s.stallMicros) / 1000;
}

void fillAudio(void*, Uint8* out, int len) {
  auto* dst = reinterpret_cast<int16_t*>(out);
  const int frames = len / int(sizeof(int16_t) * SOUND_CHANNELS);
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
  const uint64_t now = monotonicMicros();
  if (s->stalled) {
    // Taking samples again: the music rejoins the position that went on with the clock, where
    // that will be once this buffer is heard.
    s->stalled = false;
    s->nextFrame = stallPositionNow(*s, now) * outputRate / 1000 + bufferFrames;
  }
  // Past the end the music is silence, but time goes on. Frames still being decoded are not
  // handed out: the device plays silence and the position waits for them, as for a hiccup.
  if (!s->music.copyFrames(s->nextFrame, frames, dst)) {
    std::memset(out, 0, size_t(len));
    return;
  }
  s->nextFrame += frames;
  s->framesAfterCallback = s->nextFrame;
  s->callbackMicros = now;
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
    report("cannot start the audio output (%s); the show plays silent", SDL_GetError());
    return false;
  }
  SDL_AudioSpec want{};
  want.freq = mixRate;
  want.format = AUDIO_S16SYS;
  want.channels = SOUND_CHANNELS;
  want.samples = SOUND_BUFFER_FRAMES;
  want.callback = fillAudio;
  SDL_AudioSpec have{};
  device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device == 0) {
    report("cannot open the audio device (%s); the show plays silent", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  bufferFrames = have.samples > 0 ? int(have.samples) : SOUND_BUFFER_FRAMES;
  SDL_PauseAudioDevice(device, 0);
  return true;
}

SoundStream* soundStreamOpen(const char* path) {
  allStreams.push_back(std::make_unique<SoundStream>());
  SoundStream* s = allStreams.back().get();
  std::string why;
  // Only a device needs the samples; without one the file is only checked.
  const bool opened = device != 0 ? s->music.start(path, outputRate, 2 * bufferFrames, &why)
                                  : Mp3Decoder().open(path, outputRate, &why);
  if (!opened) report("%s; the show plays silent", why.c_str());
  s->clockDriven = device == 0 || !opened;
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
    s->callbackMicros = monotonicMicros();
    s->callbackSeen = false;
    s->lastReportedMs = 0;
    s->stalled = false;
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
  s->callbackMicros = monotonicMicros();
  s->callbackSeen = false;
  s->lastReportedMs = pos;
  s->stallPositionMs = pos;
  s->stallMicros = s->callbackMicros;
  return true;
}

int soundStreamGetTime(SoundStream* s) {
  if (!s) return 0;
  std::lock_guard<std::mutex> guard(s->lock);
  if (!s->playing) return int(s->clockBasePositionMs);
  int64_t ms;
  const uint64_t now = monotonicMicros();
  if (s->clockDriven) {
    ms = s->clockBasePositionMs + int64_t(uint32_t(timeGetTime() - s->clockBaseMs));
  } else if (s->stalled) {
    ms = stallPositionNow(*s, now);
  } else {
    const int64_t sinceMicros = int64_t(now - s->callbackMicros);
    if (!s->callbackSeen) {
      ms = s->lastReportedMs;  // nothing handed to the device yet: nothing heard yet
    } else {
      // The device plays the buffer before the one it was just handed; between callbacks the
      // heard position moves on with the clock, but never past what the device has.
      const int64_t heardFrames = s->framesAfterCallback - 2 * int64_t(bufferFrames);
      const int64_t maxMicros = int64_t(bufferFrames) * 1000000 / outputRate;
      ms = (heardFrames * 1000000 / outputRate + std::min(sinceMicros, maxMicros)) / 1000;
    }
    if (sinceMicros > int64_t(SOUND_STALL_MICROS)) {
      // Unplugged or hung: the show must not wait for it. The position goes on with the clock
      // from where it stands, and the music joins it when the device takes samples again.
      s->stalled = true;
      s->stallPositionMs = std::max(ms, s->lastReportedMs);
      s->stallMicros = now;
      report("the audio device took no sound for %d ms; the show goes on with its own clock",
                   int(sinceMicros / 1000));
    }
  }
  ms = std::max(ms, s->lastReportedMs);
  s->lastReportedMs = ms;
  return int(std::min<int64_t>(ms, INT32_MAX));
}

void soundShutdown() {
  for (auto& stream : allStreams) stream->music.stop();
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
