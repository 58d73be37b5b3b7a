#pragma once
// One frame of the show, back to front, and the frame-wide fades. Writes sceneTime, the clock's
// reading that every layer draws with; besides updateTiming (timing/), the only code that reads
// the show clock. Reads the beat values of timing/. Program thread, context current.
#include <cstdint>

#include "timing/demo_clock.h"  // sceneTime

// The show ends by itself once its clock passes this; nothing is drawn after it.
constexpr double SHOW_END_SECONDS = 154.5;

// When set, drawFrame calls it after each of its layers with the layer's name; the show leaves it
// null. The benchmark uses it to time the layers one by one.
extern void (*frameLayerDone)(const char* layer);

// Draws one frame; false once the show clock has passed 154.5 s (nothing then drawn).
bool drawFrame();

// What a frame leaves behind without drawing it: the end test and the new sceneTime. A frame
// drawn after skipped ones is the same as one drawn after drawing them all, since no frame
// depends on an earlier picture. False once the show is over.
bool skipFrame();

// The fades as pure functions of show time and beat. glowAlpha goes below 0 after 148 s (GL
// clamps it); figureApproach has no finite value at beat 0, when the figure is not drawn.
double glowAlpha(double t);
double starFade(double t);
double figureApproach(int32_t beat);
