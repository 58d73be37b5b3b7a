#include "timing/music.h"

#include "platform/show_files.h"

platform::SoundStream* musicStream = nullptr;

void startMusic() {
  platform::soundInit(44100);
  musicStream = platform::soundStreamOpen(DATA_MUSIC);
  platform::soundStreamPlay(musicStream);
  platform::soundStreamSetTime(musicStream, 0);
}
