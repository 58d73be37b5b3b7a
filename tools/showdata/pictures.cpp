#include "tools/showdata/pictures.h"

#include "platform/show_files.h"

std::vector<NamedPicture> drawShowPictures() {
  MaskedPicture figure = drawFigure();
  MaskedPicture bubble = drawBubble();
  std::vector<NamedPicture> pictures;
  pictures.push_back({dataFileName(DATA_SPIRAL), drawSpiral()});
  pictures.push_back({dataFileName(DATA_FIGURE), std::move(figure.picture)});
  pictures.push_back({dataFileName(DATA_FIGURE_MASK), std::move(figure.mask)});
  pictures.push_back({dataFileName(DATA_METAL), drawMetal()});
  pictures.push_back({dataFileName(DATA_STAR), drawStar()});
  pictures.push_back({dataFileName(DATA_SIDE_A), drawBadge(Badge::Heart)});
  pictures.push_back({dataFileName(DATA_SIDE_B), drawBadge(Badge::Sticker)});
  pictures.push_back({dataFileName(DATA_SIDE_C), drawBadge(Badge::Echo)});
  pictures.push_back({dataFileName(DATA_SIDE_D), drawBadge(Badge::Diamond)});
  pictures.push_back({dataFileName(DATA_SPECIAL_A), drawBadge(Badge::Wink)});
  pictures.push_back({dataFileName(DATA_SPECIAL_B), drawBadge(Badge::Lollipop)});
  pictures.push_back({dataFileName(DATA_SPECIAL_C), drawBadge(Badge::DiscoBall)});
  pictures.push_back({dataFileName(DATA_BUBBLE), std::move(bubble.picture)});
  pictures.push_back({dataFileName(DATA_BUBBLE_MASK), std::move(bubble.mask)});
  return pictures;
}
