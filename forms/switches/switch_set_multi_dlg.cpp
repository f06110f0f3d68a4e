#include "forms/switches/switch_set_multi_dlg.h"

#include <QButtonGroup>
#include <QRadioButton>

#include "app/application_app.h"
#include "controls/skin_font.h"
#include "controls/t_button_picture.h"
#include "i18n/window_translation.h"

namespace {
constexpr int kWidth = 360;
constexpr int kRowTop = CConfigFormDlg::kTitleHeight + 24;
constexpr int kButtonTop = kRowTop + 50;
constexpr int kHeight = kButtonTop + 46;

QRadioButton* SwitchButton(const CApplicationApp& app, QWidget* parent, int id, const char* key,
                           int x) {
  auto* button = new QRadioButton(TrKey(key), parent);
  button->setObjectName(ControlName(id));
  button->setGeometry(x, kRowTop, 90, 24);
  button->setFont(
      SkinFont(app.style.fontName, app.style.staticFontWeight, app.style.staticFontHeight));
  return button;
}
}  // namespace

CSwitchSetMultiDlg::CSwitchSetMultiDlg(const CApplicationApp& app, const char* titleKey,
                                       uint8_t value, QWidget* parent)
    : CConfigFormDlg(app, titleKey, 1020, QSize(kWidth, kHeight), parent),
      value_(value != 0 ? 1 : 0),
      enable_(SwitchButton(app, this, 1156, TextKey("Enable"), 150)),
      disable_(SwitchButton(app, this, 1157, TextKey("Disable_off"), 250)),
      save_(AddTextButton(1001, TextKey("Save"), QRect(70, kButtonTop, 90, 28))),
      cancel_(AddTextButton(1027, TextKey("Cancel"), QRect(200, kButtonTop, 90, 28))) {
  AddLabel(0, titleKey, QRect(24, kRowTop, 120, 24));
  auto* group = new QButtonGroup(this);
  group->addButton(enable_);
  group->addButton(disable_);
  (value_ != 0 ? enable_ : disable_)->setChecked(true);
  connect(enable_, &QRadioButton::toggled, this, [this](bool on) { value_ = on ? 1 : 0; });
  connect(save_, &QAbstractButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QAbstractButton::clicked, this, &QDialog::reject);
  TranslateWindow(this);
}

CBridgeSetMultiDlg::CBridgeSetMultiDlg(const CApplicationApp& app, uint8_t value, QWidget* parent)
    : CSwitchSetMultiDlg(app, TextKey("Set Bridge"), value, parent) {
  setObjectName(QStringLiteral("CBridgeSetMultiDlg"));
}

CRvsyncenSetMultiDlg::CRvsyncenSetMultiDlg(const CApplicationApp& app, uint8_t value,
                                           QWidget* parent)
    : CSwitchSetMultiDlg(app, TextKey("RV-SYNC"), value, parent) {
  setObjectName(QStringLiteral("CRvsyncenSetMultiDlg"));
}
