#pragma once
// The size of the show's 4:3 frame: the one place that says how many pixels it has. Set once at
// start-up, before the font and the render targets are made; read by every layer on the program
// thread. Without a call it is the show's own 640x480.
#include <cstdint>

struct FrameSize {
  int width;
  int height;
};

// The frame the show was made for; every pixel quantity in the code is given for it.
constexpr int BASE_FRAME_WIDTH = 640;
constexpr int BASE_FRAME_HEIGHT = 480;
constexpr int MIN_FRAME_HEIGHT = BASE_FRAME_HEIGHT;
constexpr int MAX_FRAME_HEIGHT = 4320;

// Whether a frame `height` pixels high can be drawn: from 480 to 4320, a multiple of 3 so that
// the width, 4/3 of it, is whole.
bool frameHeightAllowed(int height);
// Sets the frame to `height` x 4/3 of it. False (and nothing changed) when not allowed.
bool setFrameHeight(int height);

const FrameSize& frameSize();
// Frame height over 480: how much larger than the show's own frame this one is.
double frameScale();
// A length of `basePixels` at 640x480, in pixels of this frame, rounded to whole pixels.
int scaledPixels(double basePixels);
// The side of the square corner an effect draws into and captures, and of the render targets
// that hold it: 256 at 640x480, growing with the frame.
int cornerSize();
