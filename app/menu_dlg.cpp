#include "app/menu_dlg.h"

#include "app/application_app.h"
#include "app/page_ids.h"
#include "controls/t_button_picture.h"
#include "controls/t_static.h"
#include "i18n/window_translation.h"

const std::array<CMenuDlg::Item, CMenuDlg::kButtonCount>& CMenuDlg::Items() {
  static const std::array<Item, kButtonCount> items = {{
      {1004, kStatusPage, TextKey("Device status")},
      {1007, kManagementPage, TextKey("Device management")},
      {1003, kBridgePage, TextKey("Device bridge")},
      {1009, kRebootPage, TextKey("Device reboot")},
      {1006, kUpgradePage, TextKey("Device upgrade")},
      {1005, kRestorePage, TextKey("Device restore")},
      {1001, kSystemToolPage, TextKey("System tool")},
      {1008, kInstallHelpPage, TextKey("Install Help")},
  }};
  return items;
}

CMenuDlg::CMenuDlg(const CApplicationApp& app, QWidget* parent)
    : CTDialog(parent), version_(new CTStatic(this)) {
  setObjectName(QStringLiteral("CMenuDlg"));
  setFixedSize(137, 527);
  TranslateWindow(this);
  SetBackgroundImage(app.SkinFile(app.skin.menuBackground));
  // Dialog units (0, 27·k) 90×28, at 1.5 px across and 1.625 px down.
  static constexpr int kTops[kButtonCount] = {0, 27, 53, 80, 107, 134, 161, 188};
  for (int i = 0; i < kButtonCount; ++i) {
    const Item& item = Items()[i];
    auto* button = new CTButtonPicture(this);
    buttons_[i] = button;
    button->setObjectName(QString::number(item.buttonId));
    button->setGeometry(0, static_cast<int>(kTops[i] * 1.625 + 0.5), 135, 46);
    StyleMenuButton(app.style, *button, Tr(item.label));
    const bool first = i == 0;
    const QString normal =
        app.SkinFile(first ? app.skin.menuSearchNormal : app.skin.menuWirelessNormal);
    const QString down = app.SkinFile(first ? app.skin.menuSearchDown : app.skin.menuWirelessDown);
    button->SetImages(normal, down, down, down);
    button->SetPlacement(kPlaceCentre);
    connect(button, &QAbstractButton::clicked, this, [this, page = item.pageId] { Select(page); });
  }
  Select(kStatusPage);

  version_->setObjectName(QStringLiteral("1024"));
  version_->setGeometry(11, 497, 116, 16);
  version_->setAlignment(Qt::AlignCenter);
  version_->SetStaticStyle(app.style.fontName, app.style.staticFontWeight,
                           app.style.staticFontHeight, app.style.staticFontTextColor,
                           app.style.staticFontBkColor);
  version_->SetTextColour(app.style.staticTextNumberColor);
  version_->setText(app.versionText);
}

void CMenuDlg::Select(int pageId) {
  for (int i = 0; i < kButtonCount; ++i) buttons_[i]->SetSelected(Items()[i].pageId == pageId);
  emit pageSelected(pageId);
}

int CMenuDlg::SelectedPage() const {
  for (int i = 0; i < kButtonCount; ++i) {
    if (buttons_[i]->IsSelected()) return Items()[i].pageId;
  }
  return 0;
}

void CMenuDlg::EnableMenuButtons(bool enable) {
  for (CTButtonPicture* button : buttons_) button->setEnabled(enable);
}

CTButtonPicture* CMenuDlg::Button(int pageId) const {
  for (int i = 0; i < kButtonCount; ++i) {
    if (Items()[i].pageId == pageId) return buttons_[i];
  }
  return nullptr;
}
