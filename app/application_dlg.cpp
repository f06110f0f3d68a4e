#include "app/application_dlg.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>

#include "app/about_dlg.h"
#include "app/application_app.h"
#include "app/menu_dlg.h"
#include "controls/t_button_picture.h"
#include "i18n/window_translation.h"
#include "util/program_paths.h"

namespace {
constexpr int kTrayTipLimit = 127;
}  // namespace

const std::array<CApplicationDlg::HelpItem, 4>& CApplicationDlg::HelpItems() {
  static const std::array<HelpItem, 4> items = {{
      {32774, TextKey("Product"), TextKey("Product_url")},
      {32775, TextKey("Support"), TextKey("Support_url")},
      {32779, TextKey("Contact Us"), TextKey("Contact_url")},
      {57670, TextKey("Help"), TextKey("Help_url")},
  }};
  return items;
}

CApplicationDlg::CApplicationDlg(CApplicationApp& app, MainWindowOptions options, QWidget* parent)
    : CTDialog(parent),
      app_(app),
      options_(std::move(options)),
      help_(new CTButtonPicture(this)),
      minimise_(new CTButtonPicture(this)),
      close_(new CTButtonPicture(this)) {
  setObjectName(QStringLiteral("CApplicationDlg"));
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
  setFixedSize(kWidth, kHeight);
  setWindowTitle(QStringLiteral(APP_PROGRAM_NAME));
  const QIcon icon(app_.SkinFile(app_.skin.icon));
  setWindowIcon(icon);
  TranslateWindow(this);

  SetFillBackground(true);
  SetBackgroundColour(app_.style.childBkColor);
  SetBackgroundImage(app_.SkinFile(app_.skin.mainBackground));
  SetDragToMove(true);

  // Dialog units (647,2), (666,2), (684,2), each 17×10.
  const struct {
    CTButtonPicture* button;
    const char* name;
    int x;
    const char* tip;
    const std::string& picture;
  } captions[] = {{help_, "1001", 971, TextKey("Info"), app_.skin.helpButton},
                  {minimise_, "1002", 999, TextKey("Min"), app_.skin.minimiseButton},
                  {close_, "1000", 1026, TextKey("Close"), app_.skin.closeButton}};
  for (const auto& caption : captions) {
    caption.button->setObjectName(QString::fromLatin1(caption.name));
    caption.button->setGeometry(caption.x, 3, 26, 16);
    caption.button->setToolTip(Tr(caption.tip));
    caption.button->SetImage(app_.SkinFile(caption.picture));
  }
  connect(close_, &QAbstractButton::clicked, this, &QDialog::accept);
  connect(minimise_, &QAbstractButton::clicked, this, &CApplicationDlg::MinimiseToTray);
  connect(help_, &QAbstractButton::clicked, this, &CApplicationDlg::ShowHelpMenu);

  const bool trayAvailable =
      options_.trayAvailable.value_or(QSystemTrayIcon::isSystemTrayAvailable());
  if (trayAvailable) {
    tray_ = std::make_unique<QSystemTrayIcon>(icon);
    tray_->setObjectName(QStringLiteral("tray"));
    tray_->setToolTip(Tr("DIZOdariridav").left(kTrayTipLimit));
    trayMenu_.reset(BuildTrayMenu());
    tray_->setContextMenu(trayMenu_.get());
    connect(tray_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
              if (reason == QSystemTrayIcon::DoubleClick) ShowFromTray();
            });
    tray_->show();
  }

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }

  menu_ = new CMenuDlg(app_, this);
  app_.menu = menu_;
  menu_->setWindowFlags(Qt::Widget);
  menu_->move(0, 158);
  menu_->show();
  container_ = new CChildDlg(app_, options_.pageFactory, this);
  container_->setWindowFlags(Qt::Widget);
  container_->move(menu_->width(), 86);
  container_->show();
  connect(menu_, &CMenuDlg::pageSelected, container_, &CChildDlg::ShowPage);
}

CApplicationDlg::~CApplicationDlg() {
  if (app_.menu == menu_) app_.menu = nullptr;
  if (app_.container == container_) app_.container = nullptr;
  if (tray_) tray_->hide();
}

void CApplicationDlg::MinimiseToTray() {
  if (tray_) {
    hide();
  } else {
    showMinimized();
  }
}

void CApplicationDlg::ShowFromTray() {
  showNormal();
  raise();
  activateWindow();
}

QMenu* CApplicationDlg::BuildHelpMenu() {
  auto* root = new QMenu;
  root->setObjectName(QStringLiteral("131"));
  QMenu* help = root->addMenu(TrKey("Help"));
  help->setObjectName(QStringLiteral("131.0"));
  const std::string* pictures[] = {&app_.skin.helpProduct, &app_.skin.helpSupport,
                                   &app_.skin.helpContact, &app_.skin.helpHelp};
  for (std::size_t i = 0; i < HelpItems().size(); ++i) {
    const HelpItem& item = HelpItems()[i];
    QAction* action = help->addAction(QIcon(app_.SkinFile(*pictures[i])), TrKey(item.label));
    action->setObjectName(QString::number(item.id));
    connect(action, &QAction::triggered, this, [this, key = item.urlKey] { OpenHelpAddress(key); });
  }
  TranslateMenu(root);
  return root;
}

QMenu* CApplicationDlg::BuildTrayMenu() {
  auto* root = new QMenu;
  root->setObjectName(QStringLiteral("132"));
  QAction* show = root->addAction(TrKey("Show Utility"));
  show->setObjectName(QStringLiteral("32781"));
  connect(show, &QAction::triggered, this, &CApplicationDlg::ShowFromTray);
  QAction* exit = root->addAction(TrKey("Exit"));
  exit->setObjectName(QStringLiteral("32782"));
  connect(exit, &QAction::triggered, this, &QDialog::accept);
  TranslateMenu(root);
  return root;
}

void CApplicationDlg::OpenHelpAddress(const char* urlKey) {
  // A web address opens in the browser; a plain file name is a document
  // shipped with the program.
  const QString text = Tr(urlKey);
  const QUrl address = text.contains(QLatin1String("://"))
                           ? QUrl(text)
                           : QUrl::fromLocalFile(QString::fromStdString(
                                 FindProgramResource(text.toStdString()).string()));
  if (options_.openUrl) {
    options_.openUrl(address);
  } else {
    QDesktopServices::openUrl(address);
  }
}

void CApplicationDlg::ShowHelpMenu() {
  std::unique_ptr<QMenu> root(BuildHelpMenu());
  raise();
  activateWindow();
  QMenu* help = root->actions().front()->menu();
  help->exec(QCursor::pos() + QPoint(-6, 30));
}

void CApplicationDlg::contextMenuEvent(QContextMenuEvent* event) {
  // The window has no title bar, so its system menu opens from the banner.
  if (event->pos().y() >= 86) return;
  QMenu menu;
  menu.setObjectName(QStringLiteral("system"));
  menu.addAction(Tr("Minimize"), this, &CApplicationDlg::MinimiseToTray);
  menu.addAction(Tr("Close"), this, &QDialog::accept);
  menu.addSeparator();
  menu.addAction(Tr("About Application..."), this, &CApplicationDlg::ShowAbout);
  menu.exec(event->globalPos());
}

void CApplicationDlg::ShowAbout() {
  CAboutDlg about(app_, this);
  about.exec();
}
