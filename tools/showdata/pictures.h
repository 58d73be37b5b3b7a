#pragma once
// The show's fourteen pictures. Each is drawn the way the show blends it: additive pictures
// (figure, star, badges, bubble) on black, masks white where the frame must stay, the spiral and
// the metal as full squares that other layers are multiplied with. Each is drawn from vectors or
// per-pixel light at its own size times `scale`: 1 for the show's pictures, 2 for the sharper
// copies that frames at least twice the show's own height take instead.
#include "tools/showdata/picture_file.h"

#include <string>
#include <vector>

struct NamedPicture {
  std::string fileName;
  Picture picture;
};

// All fourteen, in the order the show loads them.
std::vector<NamedPicture> drawShowPictures(int scale);

struct MaskedPicture {
  Picture picture;
  Picture mask;
};

Picture drawSpiral(int scale);    // 512 × 512 at scale 1
Picture drawMetal(int scale);     // 512 × 512
Picture drawStar(int scale);      // 256 × 256
MaskedPicture drawFigure(int scale);  // 512 × 512 each
MaskedPicture drawBubble(int scale);  // 512 × 512 each, stored upside down

// The programs' icon at size × size pixels, on a transparent square, as a PNG file.
std::vector<uint8_t> drawIcon(int size);

enum class Badge { Heart, Sticker, Echo, Diamond, Wink, Lollipop, DiscoBall };
Picture drawBadge(Badge badge, int scale);  // 256 × 256
