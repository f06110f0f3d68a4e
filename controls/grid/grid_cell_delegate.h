#pragma once
// Draws the grid's body cells from their cell data (background, font, colour,
// alignment, check box, picture from the image list) and edits their text in
// place.
//
// User-interface thread only.

#include <QStyledItemDelegate>

class CGridModel;

class GridCellDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  GridCellDelegate(const CGridModel* model, QObject* parent);
  void SetLineColour(const QColor& colour) { lineColour_ = colour; }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  const CGridModel* model_;
  QColor lineColour_{215, 215, 215};
};
