#pragma once
// The field of 100 star sprites streaming outward from the centre. Owns stars, seeded once;
// everything else is worked out per frame from sceneTime and the beat values. Program thread.
#include <cstdint>

struct Star {
  float phase;
  float dirX;
  float dirY;
};

constexpr int STAR_COUNT = 100;
extern Star stars[STAR_COUNT];

// The fixed linear congruential generator the field is seeded from (state starts at 1).
struct StarRandom {
  uint32_t state = 1;
  int next();
};

void seedStars();
void drawStarField(float starFade);
void drawStar(float x, float y, float size, float spin, float alpha);
