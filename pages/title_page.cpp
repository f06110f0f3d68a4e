#include "pages/title_page.h"

#include "app/application_app.h"
#include "controls/t_static.h"
#include "i18n/window_translation.h"

CTitlePage::CTitlePage(const CApplicationApp& app, const QString& englishTitle, QWidget* parent)
    : CTDialog(parent) {
  SetFillBackground(true);
  SetBackgroundColour(app.style.childBkColor);
  auto* title = new CTStatic(englishTitle, this);
  title->setObjectName(QStringLiteral("title"));
  title->SetStaticStyle(app.style.fontName, 700, 20, app.style.staticFontTextColor,
                        app.style.staticFontBkColor);
  title->setGeometry(20, 16, 600, 32);
  TranslateWindow(this);
}
