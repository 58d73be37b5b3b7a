#pragma once
// The music stream: started once by initShow, never stopped or closed; its position is what
// updateTiming pulls the show clock onto.
#include "platform/sound.h"

extern platform::SoundStream* musicStream;

// The four start-up calls: output at 44100 Hz, open the music (DATA_MUSIC), play, position 0.
void startMusic();
