#pragma once
// CTMultiPages: the paging control of the list pages. It shows up to seven
// page buttons and reports a click on another page to its notify target with
// the owner's page identifier and the chosen page (the page container routes
// it to the page's paging handler).
//
// User-interface thread only.

#include <QColor>
#include <QRect>
#include <QWidget>
#include <functional>
#include <vector>

class CTMultiPages : public QWidget {
  Q_OBJECT
 public:
  // Receives (notify identifier, chosen page).
  using Notify = std::function<void(int, int)>;

  explicit CTMultiPages(QWidget* parent = nullptr);

  // Resets the control (page 1, count 0, nothing hovered or pressed) and stores
  // where page changes go.
  void SetNotify(Notify notify, int notifyId);
  // A current page above the count becomes 1.
  void SetPages(int pageCount, int currentPage);
  int PageCount() const { return pageCount_; }
  int CurrentPage() const { return currentPage_; }
  void SetAlignment(int alignment);
  void SetFrame(bool frame);
  void SetBackgroundColour(const QColor& colour);

  // The labels shown (page numbers, -1 for "...") and their rectangles.
  const std::vector<int>& Labels() const { return labels_; }
  const std::vector<QRect>& ButtonRects() const { return rects_; }
  int HoveredButton() const { return hovered_; }

 signals:
  void pageChosen(int notifyId, int page);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Relayout();
  int ButtonAt(const QPoint& point) const;
  bool IsClickable(int button) const;

  int currentPage_ = 1;
  int pageCount_ = -1;
  int alignment_ = 1;
  int hovered_ = -1;
  int pressed_ = -1;
  bool frame_ = false;
  QColor backgroundColour_{240, 240, 240};
  Notify notify_;
  int notifyId_ = 0;
  std::vector<int> labels_;
  std::vector<QRect> rects_;
};
