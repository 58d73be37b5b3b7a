#include "platform/sound.h"

#include <SDL.h>
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/decoded_music.h"
#include "platform/report.h"
#include "platform/sound_position.h"

namespace platform {

struct SoundStream {
  std::mutex lock;
  DecodedMusic music;       // interleaved stereo at the output rate, frame 0 = 0 ms
  SoundPosition position;   // the position rules, fed by the audio callback
  int64_t nextFrame = 0;    // next frame the callback hands out (runs on past the end)
  bool playing = false;

  SoundStream(int rate, int64_t bufferMicros) : position(rate, bufferMicros) {}
};

namespace {

constexpr int SOUND_CHANNELS = 2;
// 93 ms a buffer. Through PulseAudio on a busy two-core machine, 1024 and 2048 frames ran dry
// several times a minute and 4096 not at all; the position counts the buffer's delay.
constexpr int SOUND_BUFFER_FRAMES = 4096;

SDL_AudioDeviceID device = 0;
int outputRate = 44100;
int bufferFrames = SOUND_BUFFER_FRAMES;  // what the device granted
bool outputTried = false;
// Streams live until the process ends, and past the static destructors: the audio thread may
// still be reading one while the process exits.
auto& allStreams = *new std::vector<std::unique_ptr<SoundStream>>;
SoundStream* current = nullptr;                        // the one stream on channel 0
auto& currentLock = *new std::mutex;

SoundClocks clocksNow() { return {milliseconds(), monotonicMicros()}; }

// SDL asks for nice -20 on its audio thread, but with the kernel's per-session groups that only
// ranks it within the program: beside busy programs elsewhere it waited up to 57 ms for a core,
// and with PulseAudio holding one buffer the music broke up. A realtime policy goes before every
// ordinary thread; where the system refuses it (no realtime allowance) SDL's choice stands.
// Priority 1 of 99: below the sound server's own threads. Children do not inherit it.
void raiseAudioThread() {
  sched_param param{};
  param.sched_priority = 1;
  pthread_setschedparam(pthread_self(), SCHED_RR | SCHED_RESET_ON_FORK, &param);
}

void fillAudio(void*, Uint8* out, int len) {
  static thread_local bool raised = false;
  if (!raised) {
    raised = true;
    raiseAudioThread();
  }
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
  int64_t frame = 0;
  // Taking samples again after a stall: the music rejoins the position that went on with the
  // clock, where that will be once this buffer is heard.
  if (s->position.catchUp(now, &frame)) s->nextFrame = frame + bufferFrames;
  // Past the end the music is silence, but time goes on. Frames still being decoded are not
  // handed out: the device plays silence and the position waits for them, as for a hiccup.
  if (!s->music.copyFrames(s->nextFrame, frames, dst)) {
    std::memset(out, 0, size_t(len));
    return;
  }
  s->nextFrame += frames;
  // The device plays the buffer before the one it was just handed.
  s->position.deviceTook(s->nextFrame - 2 * int64_t(bufferFrames), now);
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
  const int64_t bufferMicros = int64_t(bufferFrames) * 1000000 / outputRate;
  allStreams.push_back(std::make_unique<SoundStream>(outputRate, bufferMicros));
  SoundStream* s = allStreams.back().get();
  std::string why;
  // Only a device needs the samples; without one the file is only checked.
  const bool opened = device != 0 ? s->music.start(path, outputRate, 2 * bufferFrames, &why)
                                  : Mp3Decoder().open(path, outputRate, &why);
  if (!opened) report("%s; the show plays silent", why.c_str());
  if (device == 0 || !opened) s->position.goSilent(clocksNow());
  return s;
}

bool soundStreamPlay(SoundStream* s) {
  if (!s) return false;
  {
    std::lock_guard<std::mutex> guard(s->lock);
    s->playing = true;
    s->nextFrame = 0;
    s->position.play(clocksNow());
  }
  if (!s->position.silent()) {
    std::lock_guard<std::mutex> guard(currentLock);
    current = s;
  }
  return true;
}

bool soundStreamSetTime(SoundStream* s, int ms) {
  if (!s) return false;
  std::lock_guard<std::mutex> guard(s->lock);
  s->nextFrame = int64_t(std::max(0, ms)) * outputRate / 1000;
  s->position.seek(ms, clocksNow());
  return true;
}

int soundStreamGetTime(SoundStream* s) {
  if (!s) return 0;
  std::lock_guard<std::mutex> guard(s->lock);
  return int(std::min<int64_t>(s->position.read(clocksNow()), INT32_MAX));
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
