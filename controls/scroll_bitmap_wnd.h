#pragma once
// CScrollBitmapWnd: a picture larger than its window, scrolled with a
// horizontal (object name "100") and a vertical ("101") scroll bar, each 17
// pixels thick and shown only when the picture needs it.
//
// User-interface thread only.

#include <QPixmap>
#include <QWidget>

class QScrollBar;

class CScrollBitmapWnd : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kBarThickness = 17;
  static constexpr int kLineStep = 5;

  explicit CScrollBitmapWnd(QWidget* parent = nullptr);

  bool LoadBitmap(const QString& path);
  QSize PictureSize() const { return picture_.size(); }
  QPoint Offset() const;
  QScrollBar* HorizontalBar() const { return horizontal_; }
  QScrollBar* VerticalBar() const { return vertical_; }

  // Which bars a picture needs in a client area (each bar counts the other's
  // thickness when that one is needed too).
  static std::pair<bool, bool> BarsNeeded(QSize picture, QSize client);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void Relayout();
  void IgnorePageSteps(QScrollBar* bar, int action);

  QPixmap picture_;
  QScrollBar* horizontal_;
  QScrollBar* vertical_;
  int lastHorizontal_ = 0;
  int lastVertical_ = 0;
};
