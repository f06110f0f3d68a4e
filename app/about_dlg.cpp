#include "app/about_dlg.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/application_app.h"
#include "i18n/window_translation.h"

CAboutDlg::CAboutDlg(const CApplicationApp& app, QWidget* parent) : CTDialog(parent) {
  setObjectName(QStringLiteral("CAboutDlg"));
  setWindowTitle(TrKey("About Application"));
  SetFillBackground(true);
  SetBackgroundColour(app.style.childBkColor);
  auto* icon = new QLabel(this);
  icon->setPixmap(QPixmap(app.SkinFile(app.skin.icon)));
  auto* name = new QLabel(QStringLiteral(APP_PROGRAM_NAME " ") + app.versionText, this);
  name->setObjectName(QStringLiteral("name"));
  QFont bold = name->font();
  bold.setBold(true);
  name->setFont(bold);
  auto* purpose = new QLabel(TrKey("Finds and configures outdoor wireless devices."), this);
  auto* ok = new QPushButton(TrKey("OK"), this);
  ok->setObjectName(QStringLiteral("IDOK"));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(icon, 0, Qt::AlignHCenter);
  layout->addWidget(name, 0, Qt::AlignHCenter);
  layout->addWidget(purpose, 0, Qt::AlignHCenter);
  layout->addWidget(ok, 0, Qt::AlignHCenter);
  TranslateWindow(this);
}
