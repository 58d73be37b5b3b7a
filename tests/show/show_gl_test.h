#pragma once
// The show's layers drawn in the headless context with pictures of our own: every slot the
// layers read holds a small texture of one known colour, so what lands on screen can be checked
// by colour and place. The show's beat and message state is zeroed before every test.
#include <GL/gl.h>

#include <array>
#include <vector>

#include "assets/textures.h"
#include "tests/support/gl_fixture.h"

using Rgb = std::array<int, 3>;

class ShowGlTest : public GlTest {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // A 4x4 picture of one colour put into `slot` (replacing the colour SetUp chose).
  GLuint fillSlot(int slot, Rgb colour);
  // A picture from RGB rows, top row first, put into `slot`.
  GLuint fillSlot(int slot, int w, int h, const std::vector<uint8_t>& rgb);
  // The colour SetUp put into a picture slot.
  static Rgb slotColour(int slot);

  static Rgb rgb(int x, int y);
  // Pixels of the rectangle whose colour differs from `background` by more than `tolerance`.
  static int countDiffering(int x, int y, int w, int h, Rgb background, int tolerance = 2);
  static void clearTo(Rgb colour);

 private:
  std::vector<GLuint> made_;
  std::array<GLuint, TEX_SLOT_COUNT> saved_{};
};

// Colours differ by at most `tolerance` in each channel.
::testing::AssertionResult near(Rgb actual, Rgb expected, int tolerance = 3);
