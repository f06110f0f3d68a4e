#include "controls/grid/grid_header_view.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "controls/grid/grid_cell_painting.h"
#include "controls/grid/grid_model.h"

GridHeaderView::GridHeaderView(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
  setSectionsClickable(true);
  setHighlightSections(false);
  setSectionResizeMode(QHeaderView::Fixed);
  setDefaultAlignment(Qt::AlignCenter);
}

void GridHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  QAbstractItemModel* cells = model();
  if (!cells) return;
  painter->save();
  const QVariant background = cells->headerData(logicalIndex, Qt::Horizontal, Qt::BackgroundRole);
  painter->fillRect(rect,
                    background.isValid() ? background.value<QColor>() : palette().button().color());
  painter->setPen(lineColour_);
  painter->drawLine(rect.topRight(), rect.bottomRight());
  painter->drawLine(rect.bottomLeft(), rect.bottomRight());

  QRect textRect = rect.adjusted(kGridTextMargin, 0, -kGridTextMargin, 0);
  const bool sorted = isSortIndicatorShown() && sortIndicatorSection() == logicalIndex;
  if (sorted) textRect.adjust(0, 0, -12, 0);
  if (cells->headerData(logicalIndex, Qt::Horizontal, CGridModel::kCheckBoxRole).toBool()) {
    const bool checked =
        cells->headerData(logicalIndex, Qt::Horizontal, Qt::CheckStateRole).toInt() == Qt::Checked;
    PaintGridCheckBox(painter, rect, checked, isEnabled(), this);
  }
  const QVariant font = cells->headerData(logicalIndex, Qt::Horizontal, Qt::FontRole);
  if (font.isValid()) painter->setFont(font.value<QFont>());
  const QVariant colour = cells->headerData(logicalIndex, Qt::Horizontal, Qt::ForegroundRole);
  painter->setPen(colour.isValid() ? colour.value<QColor>() : palette().buttonText().color());
  const QString text = cells->headerData(logicalIndex, Qt::Horizontal, Qt::DisplayRole).toString();
  const QString shown = painter->fontMetrics().elidedText(text, Qt::ElideRight, textRect.width());
  painter->drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, shown);

  if (sorted) {
    // A small triangle: pointing up for ascending, down for descending.
    const int cx = rect.right() - 10, cy = rect.center().y();
    QPolygon arrow;
    if (sortIndicatorOrder() == Qt::AscendingOrder) {
      arrow << QPoint(cx - 4, cy + 2) << QPoint(cx + 4, cy + 2) << QPoint(cx, cy - 3);
    } else {
      arrow << QPoint(cx - 4, cy - 2) << QPoint(cx + 4, cy - 2) << QPoint(cx, cy + 3);
    }
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(110, 110, 110));
    painter->drawPolygon(arrow);
  }
  painter->restore();
}

bool GridHeaderView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip && model()) {
    auto* help = static_cast<QHelpEvent*>(event);
    const int section = logicalIndexAt(help->pos());
    if (section >= 0) {
      const QString text = model()->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString();
      QFont font = this->font();
      const QVariant cellFont = model()->headerData(section, Qt::Horizontal, Qt::FontRole);
      if (cellFont.isValid()) font = cellFont.value<QFont>();
      const int room = sectionSize(section) - 2 * kGridTextMargin;
      if (QFontMetrics(font).horizontalAdvance(text) > room) {
        QToolTip::showText(help->globalPos(), text, this);
        return true;
      }
    }
    QToolTip::hideText();
    event->ignore();
    return true;
  }
  return QHeaderView::viewportEvent(event);
}
