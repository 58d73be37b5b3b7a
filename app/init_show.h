#pragma once
// The one-time start-up of the show, run once after the window first opens.

// Swap interval, font, beat state, stars, textures, the surface mesh, the music and the clock.
bool initShow();

// Asks for a swap interval of 1 in the current context; true when the driver accepted it.
bool requestSwapInterval();

// What the driver said to initShow's request.
extern bool swapIntervalAccepted;
