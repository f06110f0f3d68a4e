#pragma once
// CTButtonPicture: a push button drawn from four state pictures (normal,
// hover, pressed, disabled) with its label placed by a placement code. The
// owner can mark it selected (the menu does): it is then drawn pressed, in the
// highlight colour and bold, whatever the mouse does.
//
// User-interface thread only.

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>

#include "controls/text_placement.h"

class CTButtonPicture : public QAbstractButton {
  Q_OBJECT
 public:
  enum DrawState { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };

  explicit CTButtonPicture(QWidget* parent = nullptr);

  // Loads the pictures in order and stops at the first that cannot be loaded,
  // so a missing normal picture means no picture at all.
  void SetImages(const QString& normal, const QString& hover, const QString& pressed,
                 const QString& disabled);
  void SetImage(const QString& allStates) { SetImages(allStates, allStates, allStates, allStates); }

  void SetTextColours(const QColor& normal, const QColor& highlight);
  void SetDisabledTextColour(const QColor& colour);
  void SetFontSpec(const QString& face, int weight, int height);
  void SetPlacement(int placement, int offset = 0);
  int Placement() const { return placement_; }
  int PlacementOffset() const { return offset_; }
  void SetSelected(bool selected);
  bool IsSelected() const { return selected_; }

  DrawState CurrentDrawState() const;
  // The picture and text colour the button is drawn with right now.
  const QPixmap& CurrentPicture() const;
  QColor CurrentTextColour() const;
  QFont CurrentFont() const;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QPixmap pictures_[4];
  QColor normalColour_{0, 0, 0};
  QColor highlightColour_{255, 255, 255};
  QColor disabledColour_{153, 153, 153};
  QString face_ = QStringLiteral("Arial");
  int weight_ = 0;
  int height_ = 16;
  int placement_ = kPlaceCentre;
  int offset_ = 0;
  bool selected_ = false;
  bool hovering_ = false;
};
