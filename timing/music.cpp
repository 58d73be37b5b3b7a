#include "timing/music.h"

#include "platform/data_folder.h"
#include "platform/show_files.h"

platform::SoundStream* musicStream = nullptr;

void startMusic() {
  platform::soundInit(44100);
  musicStream = platform::soundStreamOpen(platform::dataPath(DATA_MUSIC).c_str());
  platform::soundStreamPlay(musicStream);
  platform::soundStreamSetTime(musicStream, 0);
}
