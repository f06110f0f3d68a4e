#pragma once
// CTStatic: a static text in the skin's font and colours, drawn over its
// parent's background (transparent by default).
//
// User-interface thread only.

#include <QColor>
#include <QLabel>

class CTStatic : public QLabel {
  Q_OBJECT
 public:
  explicit CTStatic(QWidget* parent = nullptr);
  CTStatic(const QString& text, QWidget* parent);

  void SetStaticStyle(const QString& face, int weight, int height, const QColor& textColour,
                      const QColor& backgroundColour);
  void SetTextColour(const QColor& colour);
  QColor TextColour() const { return textColour_; }
  void SetTransparent(bool transparent);

 private:
  void ApplyColours();

  QColor textColour_{0, 0, 0};
  QColor backgroundColour_{255, 255, 255};
  bool transparent_ = true;
};
