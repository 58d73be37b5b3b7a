#pragma once
// The music player: the MP3 decoded on a thread of its own while it plays (decoded_music.h),
// played at 44100 Hz through the system's output (SDL on Linux, waveOut on Windows), its position
// kept by the rules of sound_position.h. Called from the program's thread only.
#include <cstdint>

namespace platform {

struct SoundStream;  // opaque; lives until the process ends

// Starts the output at `mixRate` Hz. False when no audio device could be opened (the show then
// plays silent: streams still report a position that advances with the millisecond clock). A
// simulated clock (platform/clock.h) opens no device: positions follow it.
bool soundInit(int mixRate);

// Opens the MP3 at `path`, at any MPEG rate, converted to the output's. Never null: a file that is
// missing or cannot be decoded (or does not fit in memory) gives a silent stream whose position
// follows the millisecond clock; one line on standard error says so.
SoundStream* soundStreamOpen(const char* path);

// Starts playback at once (not paused).
bool soundStreamPlay(SoundStream* stream);

// Moves playback to `ms` milliseconds from the start of the stream.
bool soundStreamSetTime(SoundStream* stream, int ms);

// The position being heard now, in milliseconds from the start of the stream: monotonic between
// seeks, smooth between the device's reports, never ahead of the audio by more than a few ms.
// Past the end of a short stream it goes on advancing in silence. When the device takes no
// samples for 200 ms (unplugged, hung) it goes on with the millisecond clock from where it stood,
// after one line on standard error, and the music skips to it once the device takes samples
// again. A device that refuses the music or counts its position in a unit that says nothing about
// time is given up after one line: the position goes on with the millisecond clock.
int soundStreamGetTime(SoundStream* stream);

// Closes the output: in tests, and on Windows before the box that tells why the show ended.
void soundShutdown();

}  // namespace platform
