// Seeding the star field; where and how the stars are drawn shows in every frame.
#include "show/stars.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <vector>

TEST(SeedStars, StartsTheGeneratorAfreshEveryTime) {
  seedStars();
  const std::vector<Star> first(std::begin(stars), std::end(stars));
  seedStars();
  EXPECT_EQ(std::memcmp(first.data(), stars, sizeof stars), 0);
}
