#include "controls/skin_font.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

QFont SkinFont(const QString& face, int weight, int height) {
  QFont font(face);
  font.setStyleHint(QFont::SansSerif);
  // Qt's weights are the same 100..900 scale; 0 means the face's default.
  if (weight > 0) font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 100, 900)));
  // A cell height includes the internal leading, about an eighth of it.
  if (height > 0) font.setPixelSize(std::max(1, static_cast<int>(std::lround(height * 0.875))));
  if (height < 0) font.setPixelSize(std::abs(height));
  return font;
}
