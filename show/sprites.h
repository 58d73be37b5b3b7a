#pragma once
// The spiral, the masked figure and the beat pictures.
#include <cstdint>

void drawSpiral();
float spiralFlash(float t);
void drawFigure(float z);
void drawSideImage(int slot, float x);
void drawBeatImages();

// The beat rule: the slot shown on the right (or -1) and on the left (or -1) on beat b.
int beatImageRight(int32_t b);
int beatImageLeft(int32_t b);
