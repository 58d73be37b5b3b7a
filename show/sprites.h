#pragma once
// The spiral, the masked figure and the beat pictures. No state of their own: each reads
// sceneTime and the beat values in the frame that calls it. Program thread, context current.
#include <cstdint>

void drawSpiral();
// Flash alpha at show time t; negative in the first stretch of the long flash (acts as 0).
float spiralFlash(float t);
void drawFigure(float z);
void drawSideImage(int slot, float x);
void drawBeatImages();

// The beat rule: the slot shown on the right (or -1) and on the left (or -1) on beat b.
int beatImageRight(int32_t b);
int beatImageLeft(int32_t b);
