#include "app/install_help_dlg.h"

#include "app/application_app.h"
#include "controls/scroll_bitmap_wnd.h"
#include "i18n/window_translation.h"

CInstallHelpDlg::CInstallHelpDlg(const CApplicationApp& app, QSize pageSize, QWidget* parent)
    : CTDialog(parent), picture_(new CScrollBitmapWnd(this)) {
  setObjectName(QStringLiteral("CInstallHelpDlg"));
  resize(pageSize);
  TranslateWindow(this);
  SetFillBackground(true);
  SetBackgroundColour(app.style.childBkColor);
  picture_->setObjectName(QStringLiteral("102"));
  // The picture window spans (5,5)-(1065,590), kept inside the page so that
  // its scroll bars stay visible.
  const int right = std::min(1065, pageSize.width() - 5);
  const int bottom = std::min(590, pageSize.height() - 5);
  picture_->setGeometry(QRect(QPoint(5, 5), QPoint(right - 1, bottom - 1)));
  QPalette colours = picture_->palette();
  colours.setColor(QPalette::Window, app.style.childBkColor);
  picture_->setPalette(colours);
  picture_->show();
  picture_->LoadBitmap(app.SkinFile(app.skin.help));
}
