#include "platform/sound.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/decoded_music.h"
#include "platform/report.h"
#include "platform/sound_position.h"
#include "platform/win32/windows_api.h"

namespace platform {

struct SoundStream {
  DecodedMusic music;       // interleaved stereo at the output rate, frame 0 = 0 ms
  SoundPosition position;   // the position rules, fed with the device's count
  bool playing = false;

  // The device counts from 0 at its last restart, which is stream frame baseFrame at
  // startMicros; nextFrame is the next frame handed to it (it runs on past the end in silence).
  int64_t baseFrame = 0;
  int64_t nextFrame = 0;
  uint64_t startMicros = 0;
  int64_t lastCount = -1;   // the device's count at the last reading, and when it came
  uint64_t lastCountMicros = 0;

  SoundStream(int rate, int64_t stepMicros) : position(rate, stepMicros) {}
};

namespace {

// ---- The device and its buffers

constexpr int SOUND_CHANNELS = 2;
constexpr int SOUND_BYTES_PER_FRAME = SOUND_CHANNELS * 2;
// Twenty buffers of 50 ms keep a second queued ahead of the device, and the feeding thread
// refills each as it comes back: a busy machine can keep it from running for a good while
// before the music would break up.
constexpr int SOUND_BUFFER_FRAMES = 2205;
constexpr int SOUND_BUFFER_COUNT = 20;
// The device's count moves in steps (10 ms under Wine); between steps the position moves on
// with the clock by at most one.
constexpr int64_t SOUND_COUNT_STEP_MICROS = 10000;

// The lock, the headers and the samples have no destructor: the device, which the show never
// closes, and the feeding thread may still use them while the process exits.
struct SoundLock {
  SoundLock() { InitializeCriticalSection(&section); }
  CRITICAL_SECTION section;
} lock;                          // guards the device, the headers, the streams' device fields
WAVEHDR headers[SOUND_BUFFER_COUNT];
int16_t bufferData[SOUND_BUFFER_COUNT][SOUND_BUFFER_FRAMES * SOUND_CHANNELS];

HWAVEOUT device = nullptr;
HANDLE bufferDone = nullptr;     // signalled by the device whenever a buffer comes back
HANDLE feeder = nullptr;
volatile LONG feederStop = 0;
int nextHeader = 0;
int outputRate = 44100;
bool outputTried = false;
// A device that refused a buffer or counts in a unit that says nothing about time: nothing more
// is written to it, and the stream playing on it goes on with the clock.
bool deviceFailed = false;
SoundStream* current = nullptr;  // the one stream on channel 0
// Streams live until the process ends: the feeding thread may still read one at exit.
auto& allStreams = *new std::vector<std::unique_ptr<SoundStream>>;

struct Guard {
  Guard() { EnterCriticalSection(&lock.section); }
  ~Guard() { LeaveCriticalSection(&lock.section); }
};

SoundClocks clocksNow() { return {milliseconds(), monotonicMicros()}; }

std::string deviceError(MMRESULT result) {
  char text[MAXERRORLENGTH] = {};
  if (waveOutGetErrorTextA(result, text, sizeof text) != MMSYSERR_NOERROR || !text[0]) {
    return "waveOut error " + std::to_string(result);
  }
  return text;
}

constexpr const char* SOUND_UNKNOWN_UNIT = "the audio device counts its position in an unknown unit";

// Gives up the device for good, after one line. Caller holds the lock.
void failLocked(const std::string& why) {
  if (deviceFailed) return;
  deviceFailed = true;
  report("%s; the show goes on silent", why.c_str());
}

// ---- Feeding

// Fills and queues every buffer the device has given back, in order. Caller holds the lock.
void feedLocked() {
  SoundStream* s = current;
  if (!device || !s || !s->playing || s->position.silent() || deviceFailed) return;
  while (!(headers[nextHeader].dwFlags & WHDR_INQUEUE)) {
    WAVEHDR& header = headers[nextHeader];
    // Past the end the music is silence, but time goes on. A buffer whose frames are still
    // being decoded waits for the next round; the device's count waits with it.
    if (!s->music.copyFrames(s->nextFrame, SOUND_BUFFER_FRAMES, bufferData[nextHeader])) break;
    header.dwFlags &= ~DWORD(WHDR_DONE);
    const MMRESULT result = waveOutWrite(device, &header, sizeof header);
    if (result != MMSYSERR_NOERROR) {
      failLocked("the audio device refused the music (" + deviceError(result) + ")");
      break;
    }
    s->nextFrame += SOUND_BUFFER_FRAMES;
    nextHeader = (nextHeader + 1) % SOUND_BUFFER_COUNT;
  }
}

DWORD WINAPI feedLoop(void*) {
  while (!InterlockedCompareExchange(&feederStop, 0, 0)) {
    WaitForSingleObject(bufferDone, 20);
    Guard guard;
    feedLocked();
  }
  return 0;
}

// Starts the device afresh at stream frame `frame`: its count goes back to 0 and every buffer
// comes back to be refilled from there. Caller holds the lock.
void restartLocked(SoundStream* s, int64_t frame) {
  waveOutReset(device);
  nextHeader = 0;
  s->baseFrame = frame;
  s->nextFrame = frame;
  s->lastCount = -1;
  s->startMicros = monotonicMicros();
  s->position.deviceStarted(frame, s->startMicros);
  feedLocked();
}

// ---- The device's count

// Reads the device's count of frames played since its last restart and hands any change to the
// position rules (a count that moves again after a stall restarts the music where the clock
// is). False when the count comes in a unit that says nothing about time. Caller holds the lock.
bool readDeviceLocked(SoundStream* s, uint64_t now) {
  MMTIME time{};
  time.wType = TIME_SAMPLES;
  // No answer (a device being unplugged): no news, which the stall rule turns into the clock.
  if (waveOutGetPosition(device, &time, sizeof time) != MMSYSERR_NOERROR) return true;
  const DeviceCountUnit unit = time.wType == TIME_SAMPLES ? DeviceCountUnit::SAMPLES
                               : time.wType == TIME_BYTES ? DeviceCountUnit::BYTES
                               : time.wType == TIME_MS    ? DeviceCountUnit::MILLISECONDS
                                                          : DeviceCountUnit::OTHER;
  const uint32_t value = unit == DeviceCountUnit::BYTES          ? time.u.cb
                         : unit == DeviceCountUnit::MILLISECONDS ? time.u.ms
                                                                 : time.u.sample;
  const int64_t count = deviceCountFrames(unit, value, outputRate, SOUND_BYTES_PER_FRAME);
  if (count < 0) return false;
  // A count of 0 says nothing has been heard yet.
  if (count == 0 || count == s->lastCount) return true;
  s->lastCount = count;
  s->lastCountMicros = now;
  int64_t frame = 0;
  if (s->position.catchUp(now, &frame)) {
    restartLocked(s, frame);
  } else {
    s->position.deviceTook(s->baseFrame + count, now);
  }
  return true;
}

// Gives up a device that never played: the first `prepared` headers are unprepared (the others
// never were), and without a device nothing writes a header again and every stream follows the
// clock. Nothing is queued yet, and no feeding thread runs.
void closeDevice(int prepared) {
  for (int i = 0; i < prepared; ++i) waveOutUnprepareHeader(device, &headers[i], sizeof headers[i]);
  waveOutClose(device);
  device = nullptr;
  CloseHandle(bufferDone);
  bufferDone = nullptr;
}

}  // namespace

bool soundInit(int mixRate) {
  outputRate = mixRate;
  if (outputTried) return device != nullptr;
  outputTried = true;
  // The music plays to the end of the process, but the device is given back before the process
  // goes: a device still fed while the process ends can take the process down with it (Wine's
  // PulseAudio driver crashed such an end about once in sixteen).
  static bool closedAtExit = false;
  if (!closedAtExit) {
    std::atexit(soundShutdown);
    closedAtExit = true;
  }
  // A replayed clock has nothing to listen to: positions follow it instead of a device.
  if (simulatedClock()) return false;
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = SOUND_CHANNELS;
  format.nSamplesPerSec = DWORD(mixRate);
  format.wBitsPerSample = 16;
  format.nBlockAlign = WORD(SOUND_BYTES_PER_FRAME);
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  const MMRESULT result =
      waveOutOpen(&device, WAVE_MAPPER, &format, DWORD_PTR(bufferDone), 0, CALLBACK_EVENT);
  if (result != MMSYSERR_NOERROR) {
    device = nullptr;
    CloseHandle(bufferDone);
    bufferDone = nullptr;
    report("cannot open the audio device (%s); the show plays silent", deviceError(result).c_str());
    return false;
  }
  for (int i = 0; i < SOUND_BUFFER_COUNT; ++i) {
    headers[i] = WAVEHDR{};
    headers[i].lpData = reinterpret_cast<LPSTR>(bufferData[i]);
    headers[i].dwBufferLength = DWORD(sizeof bufferData[i]);
    const MMRESULT prepared = waveOutPrepareHeader(device, &headers[i], sizeof headers[i]);
    if (prepared != MMSYSERR_NOERROR) {
      report("the audio device cannot take the music's buffers (%s); the show plays silent",
             deviceError(prepared).c_str());
      closeDevice(i);
      return false;
    }
  }
  nextHeader = 0;
  feederStop = 0;
  deviceFailed = false;
  feeder = CreateThread(nullptr, 0, feedLoop, nullptr, 0, nullptr);
  if (!feeder) {
    report("cannot start the thread that feeds the audio device (error %lu); the show plays silent",
           static_cast<unsigned long>(GetLastError()));
    closeDevice(SOUND_BUFFER_COUNT);
    return false;
  }
  return true;
}

SoundStream* soundStreamOpen(const char* path) {
  allStreams.push_back(std::make_unique<SoundStream>(outputRate, SOUND_COUNT_STEP_MICROS));
  SoundStream* s = allStreams.back().get();
  std::string why;
  // Only a device needs the samples; without one the file is only checked.
  const bool opened = device != nullptr
                          ? s->music.start(path, outputRate, int64_t(SOUND_BUFFER_COUNT) * SOUND_BUFFER_FRAMES, &why)
                          : Mp3Decoder().open(path, outputRate, &why);
  if (!opened) report("%s; the show plays silent", why.c_str());
  Guard guard;
  if (device == nullptr || deviceFailed || !opened) s->position.goSilent(clocksNow());
  return s;
}

bool soundStreamPlay(SoundStream* s) {
  if (!s) return false;
  Guard guard;
  s->playing = true;
  s->position.play(clocksNow());
  if (!s->position.silent()) {
    current = s;
    restartLocked(s, 0);
  }
  return true;
}

bool soundStreamSetTime(SoundStream* s, int ms) {
  if (!s) return false;
  Guard guard;
  const int64_t frame = int64_t(std::max(0, ms)) * outputRate / 1000;
  bool keptPlaying = false;
  if (!s->position.silent() && s->playing && current == s) {
    // A seek to within 0.1 s of where playback stands (the start-up's seek to 0 right after
    // play) keeps playing: restarting would throw away what the device has queued, which some
    // drivers play all the same, and the music would stutter and double. What it has played is
    // its count, but never more than the time since it was handed the first frame.
    const uint64_t now = monotonicMicros();
    if (!readDeviceLocked(s, now)) failLocked(SOUND_UNKNOWN_UNIT);
    const int64_t wall = int64_t(now - s->startMicros) * outputRate / 1000000;
    const int64_t played = std::min(std::max<int64_t>(s->lastCount, 0), wall);
    keptPlaying = std::llabs(frame - s->baseFrame - played) <= outputRate / 10;
    if (!keptPlaying) restartLocked(s, frame);
  } else {
    s->baseFrame = s->nextFrame = frame;
  }
  s->position.seek(ms, clocksNow());
  // Kept playing, the device's last count still says what is being heard.
  if (keptPlaying && s->lastCount > 0) {
    s->position.deviceTook(s->baseFrame + s->lastCount, s->lastCountMicros);
  }
  return true;
}

int soundStreamGetTime(SoundStream* s) {
  if (!s) return 0;
  Guard guard;
  if (s->playing && !s->position.silent() && current == s) {
    if (!readDeviceLocked(s, monotonicMicros())) failLocked(SOUND_UNKNOWN_UNIT);
    if (deviceFailed) s->position.goSilent(clocksNow());
  }
  return int(std::min<int64_t>(s->position.read(clocksNow()), INT32_MAX));
}

void soundShutdown() {
  for (auto& stream : allStreams) stream->music.stop();
  if (feeder) {
    InterlockedExchange(&feederStop, 1);
    SetEvent(bufferDone);
    WaitForSingleObject(feeder, INFINITE);
    CloseHandle(feeder);
    feeder = nullptr;
  }
  if (device) {
    waveOutReset(device);
    for (WAVEHDR& header : headers) waveOutUnprepareHeader(device, &header, sizeof header);
    waveOutClose(device);
    device = nullptr;
  }
  if (bufferDone) {
    CloseHandle(bufferDone);
    bufferDone = nullptr;
  }
  current = nullptr;
  outputTried = false;
}

}  // namespace platform
