#include "controls/grid/grid_cell_delegate.h"

#include <QPainter>

#include "controls/grid/grid_cell_painting.h"
#include "controls/grid/grid_model.h"

GridCellDelegate::GridCellDelegate(const CGridModel* model, QObject* parent)
    : QStyledItemDelegate(parent), model_(model) {}

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  painter->save();
  const QRect cell = option.rect;
  const QVariant background = index.data(Qt::BackgroundRole);
  painter->fillRect(
      cell, background.isValid() ? background.value<QColor>() : option.palette.base().color());
  painter->setPen(lineColour_);
  painter->drawLine(cell.topRight(), cell.bottomRight());
  painter->drawLine(cell.bottomLeft(), cell.bottomRight());

  const bool enabled = option.state & QStyle::State_Enabled;
  if (index.data(CGridModel::kCheckBoxRole).toBool()) {
    PaintGridCheckBox(painter, cell, index.data(Qt::CheckStateRole).toInt() == Qt::Checked, enabled,
                      option.widget);
  }
  QRect textRect = cell.adjusted(kGridTextMargin, 0, -kGridTextMargin, 0);
  const int image = index.data(CGridModel::kImageRole).toInt();
  const QString text = index.data(Qt::DisplayRole).toString();
  if (image >= 0 && image < static_cast<int>(model_->Images().size())) {
    const QPixmap& picture = model_->Images()[image];
    if (text.isEmpty()) {
      painter->drawPixmap(cell.center().x() - picture.width() / 2,
                          cell.center().y() - picture.height() / 2, picture);
    } else {
      painter->drawPixmap(textRect.left(), cell.center().y() - picture.height() / 2, picture);
      textRect.setLeft(textRect.left() + picture.width() + kGridTextMargin);
    }
  }
  if (!text.isEmpty()) {
    const QVariant font = index.data(Qt::FontRole);
    if (font.isValid()) painter->setFont(font.value<QFont>());
    const QVariant colour = index.data(Qt::ForegroundRole);
    QColor pen = colour.isValid() ? colour.value<QColor>() : option.palette.text().color();
    if (!enabled) pen = option.palette.color(QPalette::Disabled, QPalette::Text);
    painter->setPen(pen);
    const auto alignment = index.data(Qt::TextAlignmentRole).value<Qt::Alignment>();
    const QString shown = painter->fontMetrics().elidedText(text, Qt::ElideRight, textRect.width());
    painter->drawText(textRect, int(alignment) | Qt::TextSingleLine, shown);
  }
  painter->restore();
}
