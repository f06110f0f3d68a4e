#pragma once
// The fixed header row of CGridCtrl: each section is drawn from the header
// cell (background, font, colour, text, check box) with the sort indicator,
// and a cut text shows in full as a tip.
//
// User-interface thread only.

#include <QHeaderView>

class GridHeaderView : public QHeaderView {
  Q_OBJECT
 public:
  explicit GridHeaderView(QWidget* parent = nullptr);
  void SetLineColour(const QColor& colour) { lineColour_ = colour; }

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
  bool viewportEvent(QEvent* event) override;

 private:
  QColor lineColour_{215, 215, 215};
};
