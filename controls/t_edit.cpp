#include "controls/t_edit.h"

#include <QPainter>

CTEdit::CTEdit(QWidget* parent) : QLineEdit(parent) {
  setFrame(false);
  setTextMargins(2, 0, 2, 0);
}

void CTEdit::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  QPainter painter(this);
  painter.setPen(QColor(207, 207, 207));
  painter.drawLine(0, 0, width() - 1, 0);
  painter.drawLine(0, height() - 1, width() - 1, height() - 1);
}
