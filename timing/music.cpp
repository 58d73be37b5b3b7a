#include "timing/music.h"

platform::SoundStream* musicStream = nullptr;

void startMusic() {
  platform::soundInit(44100);
  musicStream = platform::soundStreamOpen("data/diskolumi2.mp3");
  platform::soundStreamPlay(musicStream);
  platform::soundStreamSetTime(musicStream, 0);
}
