#include "controls/text_placement.h"

#include <algorithm>

QPoint PlaceText(int placement, QSize window, QSize text, int offset) {
  const int W = window.width(), H = window.height();
  const int w = text.width(), h = text.height();
  int x = 0, y = 0;
  switch (placement) {
    case kPlaceLeft:
      x = offset + 2;
      y = (H - h) / 2;
      break;
    case kPlaceRight:
      x = W - offset - w - 2;
      y = (H - h) / 2;
      break;
    case kPlaceCentre:
      x = (W - w) / 2;
      y = (H - h) / 2;
      break;
    case kPlaceTopLeft:
      break;
    case kPlaceTopCentre:
      x = (W - w) / 2;
      break;
    case kPlaceBottomLeft:
      y = H - h;
      break;
    case kPlaceBottomCentre:
      x = (W - w) / 2;
      y = H - h;
      break;
    default:
      break;
  }
  return {std::max(x, 0), std::max(y, 0)};
}
