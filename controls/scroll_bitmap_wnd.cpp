#include "controls/scroll_bitmap_wnd.h"

#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

CScrollBitmapWnd::CScrollBitmapWnd(QWidget* parent)
    : QWidget(parent),
      horizontal_(new QScrollBar(Qt::Horizontal, this)),
      vertical_(new QScrollBar(Qt::Vertical, this)) {
  horizontal_->setObjectName(QStringLiteral("100"));
  vertical_->setObjectName(QStringLiteral("101"));
  for (QScrollBar* bar : {horizontal_, vertical_}) {
    bar->setSingleStep(kLineStep);
    bar->hide();
    connect(bar, &QScrollBar::actionTriggered, this,
            [this, bar](int action) { IgnorePageSteps(bar, action); });
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
      (bar == horizontal_ ? lastHorizontal_ : lastVertical_) = value;
      update();
    });
  }
}

void CScrollBitmapWnd::IgnorePageSteps(QScrollBar* bar, int action) {
  // Clicks in the trough do not page the picture.
  if (action == QAbstractSlider::SliderPageStepAdd ||
      action == QAbstractSlider::SliderPageStepSub) {
    bar->setSliderPosition(bar == horizontal_ ? lastHorizontal_ : lastVertical_);
  }
}

bool CScrollBitmapWnd::LoadBitmap(const QString& path) {
  QPixmap picture;
  if (!picture.load(path)) return false;
  picture_ = picture;
  Relayout();
  update();
  return true;
}

QPoint CScrollBitmapWnd::Offset() const {
  return {horizontal_->isVisible() ? horizontal_->value() : 0,
          vertical_->isVisible() ? vertical_->value() : 0};
}

std::pair<bool, bool> CScrollBitmapWnd::BarsNeeded(QSize picture, QSize client) {
  bool needH = picture.width() > client.width();
  bool needV = picture.height() > client.height();
  // A bar takes room from the other direction, which may make the other needed.
  if (needH && !needV) needV = picture.height() > client.height() - kBarThickness;
  if (needV && !needH) needH = picture.width() > client.width() - kBarThickness;
  return {needH, needV};
}

void CScrollBitmapWnd::Relayout() {
  const auto [needH, needV] = BarsNeeded(picture_.size(), size());
  const int visibleW = width() - (needV ? kBarThickness : 0);
  const int visibleH = height() - (needH ? kBarThickness : 0);
  horizontal_->setVisible(needH);
  vertical_->setVisible(needV);
  horizontal_->setGeometry(0, height() - kBarThickness, visibleW, kBarThickness);
  vertical_->setGeometry(width() - kBarThickness, 0, kBarThickness, visibleH);
  horizontal_->setRange(0, std::max(0, picture_.width() - visibleW));
  vertical_->setRange(0, std::max(0, picture_.height() - visibleH));
  horizontal_->setPageStep(std::max(1, visibleW));
  vertical_->setPageStep(std::max(1, visibleH));
}

void CScrollBitmapWnd::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  if (picture_.isNull()) return;
  const QPoint offset = Offset();
  painter.drawPixmap(QPoint(0, 0), picture_, QRect(offset, size()));
}

void CScrollBitmapWnd::resizeEvent(QResizeEvent*) { Relayout(); }

void CScrollBitmapWnd::wheelEvent(QWheelEvent* event) {
  QScrollBar* bar =
      vertical_->isVisible() && !(event->modifiers() & Qt::ShiftModifier) ? vertical_ : horizontal_;
  if (!bar->isVisible()) return;
  const int steps = event->angleDelta().y() / 120;
  bar->setValue(bar->value() - steps * 3 * kLineStep * 4);
  event->accept();
}
