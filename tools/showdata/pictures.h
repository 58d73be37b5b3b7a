#pragma once
// The show's fourteen pictures. Each is drawn the way the show blends it: additive pictures
// (figure, star, badges, bubble) on black, masks white where the frame must stay, the spiral and
// the metal as full squares that other layers are multiplied with.
#include "tools/showdata/picture_file.h"

#include <string>
#include <vector>

struct NamedPicture {
  std::string fileName;
  Picture picture;
};

// All fourteen, in the order the show loads them.
std::vector<NamedPicture> drawShowPictures();

struct MaskedPicture {
  Picture picture;
  Picture mask;
};

Picture drawSpiral();    // 512 × 512
Picture drawMetal();     // 512 × 512
Picture drawStar();      // 256 × 256
MaskedPicture drawFigure();  // 512 × 512 each
MaskedPicture drawBubble();  // 512 × 512 each, stored upside down

// The programs' icon at size × size pixels, on a transparent square, as a PNG file.
std::vector<uint8_t> drawIcon(int size);

enum class Badge { Heart, Sticker, Echo, Diamond, Wink, Lollipop, DiscoBall };
Picture drawBadge(Badge badge);  // 256 × 256
