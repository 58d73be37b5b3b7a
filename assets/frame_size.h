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
// Where the frame's lower-left corner sits in the window's drawable: (0, 0) unless the window is
// larger than the frame (a desktop-sized window with black bars around the picture). Every
// viewport and every corner capture is placed by it; the bars are what the frame's clear leaves.
struct FrameOrigin {
  int x;
  int y;
};
// Centres the frame in a drawable of this size (never left of or below its corner).
void placeFrameIn(int drawableWidth, int drawableHeight);
const FrameOrigin& frameOrigin();
// The tallest allowed frame height whose 4:3 picture fits in width x height; the smallest frame
// when nothing larger fits.
int fittingFrameHeight(int width, int height);

// The side of the square corner an effect draws into and captures, and of the render targets
// that hold it: 256 at 640x480, growing with the frame.
int cornerSize();
