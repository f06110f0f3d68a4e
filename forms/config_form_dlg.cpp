#include "forms/config_form_dlg.h"

#include <QPainter>

#include "app/application_app.h"
#include "controls/t_button_picture.h"
#include "controls/t_static.h"
#include "i18n/window_translation.h"
#include "settings/style_helpers.h"

QString ControlName(int id) { return QString::number(id); }

CConfigFormDlg::CConfigFormDlg(const CApplicationApp& app, const char* titleKey, int titleId,
                               QSize size, QWidget* parent)
    : CTDialog(parent), app_(app), title_(new CTStatic(this)), close_(new CTButtonPicture(this)) {
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setModal(true);
  setFixedSize(size);
  setWindowTitle(TrKey(titleKey));
  SetDragToMove(true);
  SetFillBackground(true);
  SetBackgroundColour(app_.style.childBkColor);

  title_->setObjectName(ControlName(titleId));
  title_->setText(TrKey(titleKey));
  title_->setGeometry(0, 0, size.width(), kTitleHeight);
  title_->setIndent(12);
  title_->SetStaticStyle(app_.style.fontName, 700, app_.style.staticFontHeight,
                         app_.style.staticFontTextColor, app_.style.gridTitleBkColor);
  title_->SetTransparent(false);
  // Dragging the strip moves the form like dragging the background does.
  title_->setAttribute(Qt::WA_TransparentForMouseEvents);

  close_->setObjectName(ControlName(1003));
  close_->setGeometry(size.width() - 27, 8, 17, 15);
  close_->SetImage(app_.SkinFile(app_.skin.closeConfig));
  close_->setToolTip(TrKey("Close"));
  connect(close_, &QAbstractButton::clicked, this, &QDialog::reject);
}

CTStatic* CConfigFormDlg::AddLabel(int id, const char* key, const QRect& geometry) {
  auto* label = new CTStatic(TrKey(key), this);
  if (id != 0) label->setObjectName(ControlName(id));
  label->setGeometry(geometry);
  label->SetStaticStyle(app_.style.fontName, app_.style.staticFontWeight,
                        app_.style.staticFontHeight, app_.style.staticFontTextColor,
                        app_.style.staticFontBkColor);
  return label;
}

CTButtonPicture* CConfigFormDlg::AddTextButton(int id, const char* key, const QRect& geometry) {
  auto* button = new CTButtonPicture(this);
  button->setObjectName(ControlName(id));
  button->setGeometry(geometry);
  button->SetImage(app_.SkinFile(app_.skin.configButton));
  StyleButton(app_.style, *button, TrKey(key));
  return button;
}

void CConfigFormDlg::paintEvent(QPaintEvent* event) {
  CTDialog::paintEvent(event);
  // Without a window frame the form needs an edge to stand out from the page.
  QPainter painter(this);
  painter.setPen(app_.style.lineColor);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
