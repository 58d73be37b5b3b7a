// The beat pictures' rule over every beat of the show; where and how the sprites are drawn shows
// in every frame.
#include "show/sprites.h"

#include <gtest/gtest.h>

TEST(BeatRule, OnePictureOnEveryEvenBeatAndNoneOnTheOddOnes) {
  for (int32_t b = 0; b <= 340; ++b) EXPECT_EQ((beatImageRight(b) >= 0) + (beatImageLeft(b) >= 0), 1 - b % 2) << b;
}
