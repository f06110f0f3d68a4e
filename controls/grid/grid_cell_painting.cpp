#include "controls/grid/grid_cell_painting.h"

#include <QApplication>
#include <QWidget>

void PaintGridCheckBox(QPainter* painter, const QRect& cell, bool checked, bool enabled,
                       const QWidget* widget) {
  QStyleOptionButton box;
  QStyle* style = widget ? widget->style() : QApplication::style();
  const int side = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget);
  box.rect = QRect(cell.center().x() - side / 2, cell.center().y() - side / 2, side, side);
  box.state = (checked ? QStyle::State_On : QStyle::State_Off) |
              (enabled ? QStyle::State_Enabled : QStyle::State_None);
  style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
}
