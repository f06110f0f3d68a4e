#include "controls/t_dialog.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

CTDialog::CTDialog(QWidget* parent) : QDialog(parent) {}

void CTDialog::SetBackgroundImage(const QString& path) {
  if (path.isEmpty()) return;
  background_ = QPixmap();
  background_.load(path);
  update();
}

void CTDialog::SetFillBackground(bool fill) {
  fillBackground_ = fill;
  update();
}

void CTDialog::SetBackgroundColour(const QColor& colour) {
  backgroundColour_ = colour;
  update();
}

void CTDialog::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!background_.isNull()) {
    painter.drawPixmap(rect(), background_);
  } else if (fillBackground_) {
    painter.fillRect(rect(), backgroundColour_);
  }
}

void CTDialog::mousePressEvent(QMouseEvent* event) {
  if (dragToMove_ && event->button() == Qt::LeftButton) {
    if (QWindow* handle = window()->windowHandle()) {
      handle->startSystemMove();
      event->accept();
      return;
    }
  }
  QDialog::mousePressEvent(event);
}

void CTDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}
