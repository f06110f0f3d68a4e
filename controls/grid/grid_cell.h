#pragma once
// One cell of the grid: what the pages write into it and what it draws.

#include <QColor>
#include <QFont>
#include <QString>
#include <optional>

struct GridCell {
  QString text;
  Qt::Alignment format = Qt::AlignCenter;
  std::optional<QFont> font;
  std::optional<QColor> textColour;
  std::optional<QColor> backgroundColour;
  int data = 0;
  int image = -1;  // index into the grid's image list, -1 for none
  bool checkBox = false;
  bool checked = false;
};
