#include "controls/t_button_picture.h"

#include <QEvent>
#include <QPainter>

#include "controls/skin_font.h"

CTButtonPicture::CTButtonPicture(QWidget* parent) : QAbstractButton(parent) {
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::NoFocus);
}

void CTButtonPicture::SetImages(const QString& normal, const QString& hover, const QString& pressed,
                                const QString& disabled) {
  const QString paths[4] = {normal, hover, pressed, disabled};
  for (auto& picture : pictures_) picture = QPixmap();
  for (int i = 0; i < 4; ++i) {
    if (!pictures_[i].load(paths[i])) break;
  }
  update();
}

void CTButtonPicture::SetTextColours(const QColor& normal, const QColor& highlight) {
  normalColour_ = normal;
  highlightColour_ = highlight;
  update();
}

void CTButtonPicture::SetDisabledTextColour(const QColor& colour) {
  disabledColour_ = colour;
  update();
}

void CTButtonPicture::SetFontSpec(const QString& face, int weight, int height) {
  face_ = face;
  weight_ = weight;
  height_ = height;
  update();
}

void CTButtonPicture::SetPlacement(int placement, int offset) {
  placement_ = placement;
  offset_ = offset;
  update();
}

void CTButtonPicture::SetSelected(bool selected) {
  selected_ = selected;
  update();
}

CTButtonPicture::DrawState CTButtonPicture::CurrentDrawState() const {
  if (!isEnabled()) return kDisabled;
  if (isDown()) return kPressed;
  if (hovering_) return kHover;
  return kNormal;
}

const QPixmap& CTButtonPicture::CurrentPicture() const {
  if (selected_) return pictures_[kPressed];
  return pictures_[CurrentDrawState()];
}

QColor CTButtonPicture::CurrentTextColour() const {
  if (selected_ && isEnabled()) return highlightColour_;
  switch (CurrentDrawState()) {
    case kNormal:
      return normalColour_;
    case kHover:
    case kPressed:
      return highlightColour_;
    case kDisabled:
      return disabledColour_;
  }
  return normalColour_;
}

QFont CTButtonPicture::CurrentFont() const {
  return SkinFont(face_, selected_ ? 700 : weight_, height_);
}

QSize CTButtonPicture::sizeHint() const {
  if (!pictures_[kNormal].isNull()) return pictures_[kNormal].size();
  return QSize(80, 28);
}

void CTButtonPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPixmap& picture = CurrentPicture();
  if (!picture.isNull()) {
    if (picture.width() <= width() && picture.height() <= height()) {
      painter.drawPixmap(0, 0, picture);
    } else {
      painter.drawPixmap(rect(), picture);
    }
  }
  if (text().isEmpty()) return;
  const QFont font = CurrentFont();
  painter.setFont(font);
  painter.setPen(CurrentTextColour());
  const QFontMetrics metrics(font);
  const QSize extent(metrics.horizontalAdvance(text()), metrics.height());
  const QPoint at = PlaceText(placement_, size(), extent, offset_);
  painter.drawText(QRect(at, extent), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   text());
}

void CTButtonPicture::enterEvent(QEnterEvent* event) {
  if (isEnabled()) {
    hovering_ = true;
    update();
  }
  QAbstractButton::enterEvent(event);
}

void CTButtonPicture::leaveEvent(QEvent* event) {
  hovering_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

void CTButtonPicture::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange && !isEnabled()) hovering_ = false;
  QAbstractButton::changeEvent(event);
}
