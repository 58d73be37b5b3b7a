#pragma once
// The music player: an MP3 stream decoded by mp3_decoder.h (gapless, so sample 0 of the
// music is position 0) and played through SDL's audio output at 44100 Hz. Five operations, the
// ones the show's start-up and clock need. When the clock is simulated (platform/clock.h) no
// device is opened and the position simply follows the clock from the moment of playback.
// All five are called from the program's thread; the audio callback runs on SDL's own thread and
// shares only the stream's internal, lock-protected counters.
#include <cstdint>

namespace platform {

struct SoundStream;  // opaque; lives until the process ends

// Starts the output at `mixRate` Hz. False when no audio device could be opened (the show then
// plays silent: streams still report a position that advances with the millisecond clock).
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
// seeks, smooth between audio callbacks, never ahead of the audio by more than a few ms. Past the
// end of a short stream it goes on advancing in silence. When the device takes no samples for
// 200 ms (unplugged, hung) it goes on with the millisecond clock from where it stood, after one
// line on standard error, and the music skips to it once the device takes samples again.
int soundStreamGetTime(SoundStream* stream);

// Closes the output (tests only; the show never closes it).
void soundShutdown();

}  // namespace platform
