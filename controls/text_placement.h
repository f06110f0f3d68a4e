#pragma once
// Where a picture button puts its label: the placement codes the skin uses
// (256 left, 512 right, 768 centre, 1024 top left, 1792 top centre,
// 2048 bottom left, 2816 bottom centre; anything else is the top-left corner).

#include <QPoint>
#include <QSize>

enum TextPlacement : int {
  kPlaceLeft = 256,
  kPlaceRight = 512,
  kPlaceCentre = 768,
  kPlaceTopLeft = 1024,
  kPlaceTopCentre = 1792,
  kPlaceBottomLeft = 2048,
  kPlaceBottomCentre = 2816,
};

// Top-left corner of a text of size `text` in a window of size `window`;
// negative coordinates become 0. `offset` indents left and right placements.
QPoint PlaceText(int placement, QSize window, QSize text, int offset);
