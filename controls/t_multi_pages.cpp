#include "controls/t_multi_pages.h"

#include <QMouseEvent>
#include <QPainter>

#include "controls/page_labels.h"

namespace {
QString LabelText(int label) {
  return label == kEllipsis ? QStringLiteral("...") : QString::number(label);
}
}  // namespace

CTMultiPages::CTMultiPages(QWidget* parent) : QWidget(parent) { setMouseTracking(true); }

void CTMultiPages::SetNotify(Notify notify, int notifyId) {
  currentPage_ = 1;
  pageCount_ = 0;
  hovered_ = -1;
  pressed_ = -1;
  labels_.clear();
  rects_.clear();
  notify_ = std::move(notify);
  notifyId_ = notifyId;
  update();
}

void CTMultiPages::SetPages(int pageCount, int currentPage) {
  pageCount_ = pageCount;
  currentPage_ = currentPage > pageCount || currentPage < 1 ? 1 : currentPage;
  hovered_ = -1;
  pressed_ = -1;
  Relayout();
  update();
}

void CTMultiPages::SetAlignment(int alignment) {
  alignment_ = alignment;
  Relayout();
  update();
}

void CTMultiPages::SetFrame(bool frame) {
  frame_ = frame;
  update();
}

void CTMultiPages::SetBackgroundColour(const QColor& colour) {
  backgroundColour_ = colour;
  update();
}

void CTMultiPages::Relayout() {
  labels_ = PageLabels(pageCount_, currentPage_);
  std::vector<int> widths;
  const QFontMetrics metrics(font());
  for (int label : labels_) widths.push_back(metrics.horizontalAdvance(LabelText(label)));
  const int alignment = alignment_ == 1 ? kPagesCentre : alignment_ == 2 ? kPagesRight : kPagesLeft;
  rects_.clear();
  for (const auto& box : LayoutPageButtons(widths, width(), height(), alignment)) {
    rects_.emplace_back(box.x, box.y, box.width, box.height);
  }
}

int CTMultiPages::ButtonAt(const QPoint& point) const {
  for (int i = 0; i < static_cast<int>(rects_.size()); ++i) {
    if (rects_[i].contains(point)) return i;
  }
  return -1;
}

bool CTMultiPages::IsClickable(int button) const {
  return button >= 0 && labels_[button] != kEllipsis && labels_[button] != currentPage_;
}

void CTMultiPages::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (frame_) {
    painter.fillRect(rect(), QColor(136, 136, 136));
    painter.fillRect(rect().adjusted(1, 1, -1, -1), QColor(247, 247, 247));
  } else {
    painter.fillRect(rect(), backgroundColour_);
  }
  if (pageCount_ < 1) return;
  QFont bold = font();
  bold.setBold(true);
  for (int i = 0; i < static_cast<int>(labels_.size()); ++i) {
    const QRect box = rects_[i];
    const int label = labels_[i];
    painter.setFont(font());
    if (label == kEllipsis) {
      painter.fillRect(box, Qt::white);
    } else if (label == currentPage_) {
      painter.fillRect(box, Qt::white);
      painter.setFont(bold);
    } else {
      painter.fillRect(box, QColor(136, 136, 136));
      painter.fillRect(box.adjusted(1, 1, -1, -1),
                       i == hovered_ ? QColor(187, 187, 187) : QColor(Qt::white));
    }
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, LabelText(label));
  }
}

void CTMultiPages::mouseMoveEvent(QMouseEvent* event) {
  const int button = ButtonAt(event->position().toPoint());
  setCursor(IsClickable(button) ? Qt::PointingHandCursor : Qt::ArrowCursor);
  if (button != hovered_) {
    hovered_ = button;
    update();
  }
}

void CTMultiPages::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int button = ButtonAt(event->position().toPoint());
  pressed_ = IsClickable(button) ? button : -1;
}

void CTMultiPages::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int button = ButtonAt(event->position().toPoint());
  const int pressed = pressed_;
  pressed_ = -1;
  if (pressed < 0 || button != pressed) return;
  currentPage_ = labels_[button];
  hovered_ = -1;
  Relayout();
  update();
  if (notify_) notify_(notifyId_, currentPage_);
  emit pageChosen(notifyId_, currentPage_);
}

void CTMultiPages::leaveEvent(QEvent*) {
  if (hovered_ != -1) {
    hovered_ = -1;
    update();
  }
}

void CTMultiPages::resizeEvent(QResizeEvent*) { Relayout(); }
