#include "platform/sound.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/decoded_music.h"
#include "platform/report.h"
#include "platform/win32/windows_api.h"

namespace platform {

struct SoundStream {
  DecodedMusic music;            // interleaved stereo at the output rate, frame 0 = 0 ms
  bool clockDriven = true;       // no sound heard: the position follows the millisecond clock
  bool playing = false;

  // Clock-driven position: clockBasePositionMs at the moment clockBaseMs, advancing while playing.
  uint32_t clockBaseMs = 0;
  int64_t clockBasePositionMs = 0;

  // Device-driven position. The device counts from 0 at the last reset, which is stream frame
  // baseFrame; nextFrame is the next frame handed to it (it runs on past the end in silence).
  int64_t baseFrame = 0;
  int64_t nextFrame = 0;
  uint64_t startMicros = 0;       // when the device was handed baseFrame
  int64_t lastRawFrames = -1;     // the device's last count, and when it changed
  uint64_t rawChangedMicros = 0;
  int64_t lastReportedMs = 0;     // keeps the reading monotonic between seeks
};

namespace {

constexpr int SOUND_CHANNELS = 2;
// Twenty buffers of 50 ms keep a second queued ahead of the device, and the feeding thread
// refills each as it comes back: a busy machine can keep it from running for a good while
// before the music would break up.
constexpr int SOUND_BUFFER_FRAMES = 2205;
constexpr int SOUND_BUFFER_COUNT = 20;

HWAVEOUT device = nullptr;
HANDLE bufferDone = nullptr;   // signalled by the device whenever a buffer comes back
HANDLE feeder = nullptr;
volatile LONG feederStop = 0;
CRITICAL_SECTION lock;         // guards the device, the headers and the current stream
bool lockReady = false;
WAVEHDR headers[SOUND_BUFFER_COUNT];
std::vector<int16_t> bufferData[SOUND_BUFFER_COUNT];
int nextHeader = 0;
int outputRate = 44100;
bool outputTried = false;
SoundStream* current = nullptr;  // the one stream on channel 0
// Streams live until the process ends: the feeding thread may still read one at exit.
auto& allStreams = *new std::vector<std::unique_ptr<SoundStream>>;

struct Guard {
  Guard() { EnterCriticalSection(&lock); }
  ~Guard() { LeaveCriticalSection(&lock); }
};

// Fills and queues every buffer the device has given back, in order. Caller holds the lock.
void feedLocked() {
  SoundStream* s = current;
  if (!device || !s || !s->playing) return;
  while (!(headers[nextHeader].dwFlags & WHDR_INQUEUE)) {
    WAVEHDR& header = headers[nextHeader];
    // Past the end the music is silence, but time goes on. A buffer whose frames are still
    // being decoded waits for the next round; the device's count waits with it.
    if (!s->music.copyFrames(s->nextFrame, SOUND_BUFFER_FRAMES, bufferData[nextHeader].data())) break;
    header.dwFlags &= ~DWORD(WHDR_DONE);
    if (waveOutWrite(device, &header, sizeof header) != MMSYSERR_NOERROR) break;
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
  s->lastRawFrames = -1;
  s->startMicros = monotonicMicros();
  feedLocked();
}

// The device's own count of frames played since its last restart, in whichever unit it keeps.
// Caller holds the lock.
int64_t deviceCountedFrames() {
  MMTIME time{};
  time.wType = TIME_SAMPLES;
  waveOutGetPosition(device, &time, sizeof time);
  return time.wType == TIME_SAMPLES ? int64_t(time.u.sample)
         : time.wType == TIME_BYTES ? int64_t(time.u.cb) / (SOUND_CHANNELS * 2)
                                    : 0;
}

// Frames the device has played since its last restart, as far as it can have: its own count,
// never more than the time since it was handed the first frame. Caller holds the lock.
int64_t devicePlayedFrames(SoundStream* s) {
  const int64_t raw = deviceCountedFrames();
  const int64_t wall = int64_t(monotonicMicros() - s->startMicros) * outputRate / 1000000;
  return std::min(raw, wall);
}

std::string deviceError(MMRESULT result) {
  char text[MAXERRORLENGTH] = {};
  if (waveOutGetErrorTextA(result, text, sizeof text) != MMSYSERR_NOERROR || !text[0]) {
    return "waveOutOpen error " + std::to_string(result);
  }
  return text;
}

}  // namespace

bool soundInit(int mixRate) {
  outputRate = mixRate;
  if (outputTried) return device != nullptr;
  outputTried = true;
  // A replayed clock has nothing to listen to: positions follow it instead of a device.
  if (simulatedClock()) return false;
  if (!lockReady) {
    InitializeCriticalSection(&lock);
    lockReady = true;
  }
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = SOUND_CHANNELS;
  format.nSamplesPerSec = DWORD(mixRate);
  format.wBitsPerSample = 16;
  format.nBlockAlign = WORD(SOUND_CHANNELS * 2);
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  const MMRESULT result =
      waveOutOpen(&device, WAVE_MAPPER, &format, DWORD_PTR(bufferDone), 0, CALLBACK_EVENT);
  if (result != MMSYSERR_NOERROR) {
    device = nullptr;
    CloseHandle(bufferDone);
    bufferDone = nullptr;
    report("cannot open the audio device (%s); the show plays silent",
           deviceError(result).c_str());
    return false;
  }
  for (int i = 0; i < SOUND_BUFFER_COUNT; ++i) {
    bufferData[i].assign(size_t(SOUND_BUFFER_FRAMES) * SOUND_CHANNELS, 0);
    headers[i] = WAVEHDR{};
    headers[i].lpData = reinterpret_cast<LPSTR>(bufferData[i].data());
    headers[i].dwBufferLength = DWORD(bufferData[i].size() * sizeof(int16_t));
    waveOutPrepareHeader(device, &headers[i], sizeof headers[i]);
  }
  nextHeader = 0;
  feederStop = 0;
  feeder = CreateThread(nullptr, 0, feedLoop, nullptr, 0, nullptr);
  return true;
}

SoundStream* soundStreamOpen(const char* path) {
  allStreams.push_back(std::make_unique<SoundStream>());
  SoundStream* s = allStreams.back().get();
  std::string why;
  // Only a device needs the samples; without one the file is only checked.
  const bool opened = device != nullptr
                          ? s->music.start(path, outputRate, int64_t(SOUND_BUFFER_COUNT) * SOUND_BUFFER_FRAMES, &why)
                          : Mp3Decoder().open(path, outputRate, &why);
  if (!opened) report("%s; the show plays silent", why.c_str());
  s->clockDriven = device == nullptr || !opened;
  return s;
}

bool soundStreamPlay(SoundStream* s) {
  if (!s) return false;
  s->playing = true;
  s->clockBaseMs = timeGetTime();
  s->clockBasePositionMs = 0;
  s->lastReportedMs = 0;
  if (!s->clockDriven) {
    Guard guard;
    current = s;
    restartLocked(s, 0);
  }
  return true;
}

bool soundStreamSetTime(SoundStream* s, int ms) {
  if (!s) return false;
  const int64_t position = std::max(0, ms);
  s->clockBaseMs = timeGetTime();
  s->clockBasePositionMs = position;
  s->lastReportedMs = position;
  if (!s->clockDriven && s->playing) {
    Guard guard;
    // A seek to within 0.1 s of where playback stands (the start-up's seek to 0 right after
    // play) keeps playing: restarting would throw away what the device has queued, which some
    // drivers play all the same, and the music would stutter and double.
    const int64_t frame = position * outputRate / 1000;
    if (current == s && std::llabs(frame - s->baseFrame - devicePlayedFrames(s)) > outputRate / 10) {
      restartLocked(s, frame);
    }
  } else {
    s->baseFrame = s->nextFrame = position * outputRate / 1000;
  }
  return true;
}

int soundStreamGetTime(SoundStream* s) {
  if (!s) return 0;
  if (!s->playing) return int(s->clockBasePositionMs);
  int64_t ms;
  if (s->clockDriven) {
    ms = s->clockBasePositionMs + int64_t(uint32_t(timeGetTime() - s->clockBaseMs));
  } else {
    Guard guard;
    const int64_t raw = deviceCountedFrames();
    const uint64_t now = monotonicMicros();
    if (raw != s->lastRawFrames) {
      s->lastRawFrames = raw;
      s->rawChangedMicros = now;
    }
    // The device's count moves in steps (10 ms under Wine); between steps the position moves on
    // with the clock, by at most one step. Some drivers count what they have passed on rather
    // than what was heard, running ahead: the position never passes the time since the device
    // was handed the first frame, which is the most that can have been heard.
    const int64_t stepMicros = 10000;
    const int64_t sinceStep = std::min<int64_t>(int64_t(now - s->rawChangedMicros), stepMicros);
    const int64_t smoothMicros = raw * 1000000 / outputRate + (raw > 0 ? sinceStep : 0);
    const int64_t wallMicros = int64_t(now - s->startMicros);
    ms = (s->baseFrame * 1000000 / outputRate + std::min(smoothMicros, wallMicros)) / 1000;
  }
  ms = std::max(ms, s->lastReportedMs);
  s->lastReportedMs = ms;
  return int(std::min<int64_t>(ms, INT32_MAX));
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
