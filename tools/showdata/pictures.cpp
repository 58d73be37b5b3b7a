#include "tools/showdata/pictures.h"

#include "platform/show_files.h"

std::vector<NamedPicture> drawShowPictures(int scale) {
  MaskedPicture figure = drawFigure(scale);
  MaskedPicture bubble = drawBubble(scale);
  std::vector<NamedPicture> pictures;
  pictures.push_back({dataFileName(DATA_SPIRAL), drawSpiral(scale)});
  pictures.push_back({dataFileName(DATA_FIGURE), std::move(figure.picture)});
  pictures.push_back({dataFileName(DATA_FIGURE_MASK), std::move(figure.mask)});
  pictures.push_back({dataFileName(DATA_METAL), drawMetal(scale)});
  pictures.push_back({dataFileName(DATA_STAR), drawStar(scale)});
  pictures.push_back({dataFileName(DATA_SIDE_A), drawBadge(Badge::Heart, scale)});
  pictures.push_back({dataFileName(DATA_SIDE_B), drawBadge(Badge::Sticker, scale)});
  pictures.push_back({dataFileName(DATA_SIDE_C), drawBadge(Badge::Echo, scale)});
  pictures.push_back({dataFileName(DATA_SIDE_D), drawBadge(Badge::Diamond, scale)});
  pictures.push_back({dataFileName(DATA_SPECIAL_A), drawBadge(Badge::Wink, scale)});
  pictures.push_back({dataFileName(DATA_SPECIAL_B), drawBadge(Badge::Lollipop, scale)});
  pictures.push_back({dataFileName(DATA_SPECIAL_C), drawBadge(Badge::DiscoBall, scale)});
  pictures.push_back({dataFileName(DATA_BUBBLE), std::move(bubble.picture)});
  pictures.push_back({dataFileName(DATA_BUBBLE_MASK), std::move(bubble.mask)});
  return pictures;
}
