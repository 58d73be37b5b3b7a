#include "tools/showdata/pictures.h"

std::vector<NamedPicture> drawShowPictures() {
  MaskedPicture figure = drawFigure();
  MaskedPicture bubble = drawBubble();
  std::vector<NamedPicture> pictures;
  pictures.push_back({"spiralkeltainen.jpg", drawSpiral()});
  pictures.push_back({"kasvot.jpg", std::move(figure.picture)});
  pictures.push_back({"maski.jpg", std::move(figure.mask)});
  pictures.push_back({"metalli.jpg", drawMetal()});
  pictures.push_back({"star.jpg", drawStar()});
  pictures.push_back({"mutsis.jpg", drawBadge(Badge::Heart)});
  pictures.push_back({"tarrat.jpg", drawBadge(Badge::Sticker)});
  pictures.push_back({"kaiku.jpg", drawBadge(Badge::Echo)});
  pictures.push_back({"scene.jpg", drawBadge(Badge::Diamond)});
  pictures.push_back({"vekkuli.jpg", drawBadge(Badge::Wink)});
  pictures.push_back({"suck.jpg", drawBadge(Badge::Lollipop)});
  pictures.push_back({"kurwa.jpg", drawBadge(Badge::DiscoBall)});
  pictures.push_back({"kupla.jpg", std::move(bubble.picture)});
  pictures.push_back({"kupla_maski.jpg", std::move(bubble.mask)});
  return pictures;
}
