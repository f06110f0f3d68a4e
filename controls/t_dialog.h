#pragma once
// CTDialog: the skinned base of every dialog and page. It draws a background
// picture stretched over the client area (or a plain colour), can move its
// top-level window when the background is dragged, and never lets Enter or
// Escape close it or press a default button.
//
// User-interface thread only.

#include <QColor>
#include <QDialog>
#include <QPixmap>

class CTDialog : public QDialog {
  Q_OBJECT
 public:
  explicit CTDialog(QWidget* parent = nullptr);

  // Loads the picture (BMP, JPEG, GIF or PNG); an empty path keeps the current
  // one, a file that cannot be loaded leaves no picture.
  void SetBackgroundImage(const QString& path);
  bool HasBackgroundImage() const { return !background_.isNull(); }

  void SetFillBackground(bool fill);
  void SetBackgroundColour(const QColor& colour);
  QColor BackgroundColour() const { return backgroundColour_; }
  void SetDragToMove(bool drag) { dragToMove_ = drag; }
  bool DragToMove() const { return dragToMove_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QPixmap background_;
  QColor backgroundColour_{255, 255, 255};
  bool fillBackground_ = false;
  bool dragToMove_ = false;
};
