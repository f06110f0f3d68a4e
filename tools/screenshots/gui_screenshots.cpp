// Writes screenshots of the main window on each page, of the help menu and of
// the wait dialog into a folder, for people to look at:
//   gui_screenshots <folder>
// Run it on a real display (scripts/screenshots.sh starts one under Xvfb).
// The language follows the locale, as in the program.

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "app/application_app.h"
#include "app/application_dlg.h"
#include "app/menu_dlg.h"
#include "app/page_factory.h"
#include "app/page_ids.h"
#include "i18n/language.h"
#include "protocol/device_engine.h"
#include "settings/app_settings.h"
#include "store/sql_management.h"
#include "util/program_paths.h"
#include "util/wait_dialog.h"

namespace {
int g_failures = 0;

void Save(const QPixmap& picture, const QString& path) {
  if (picture.isNull() || !picture.save(path, "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    ++g_failures;
  }
}

QPixmap GrabScreenArea(const QRect& area) {
  QTest::qWait(150);
  return QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(),
                                                      area.height());
}
}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: gui_screenshots <folder>\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);

  std::string languageDir = FindProgramResource("Languages").parent_path().string() + "/";
  LoadLanguage(languageDir);
  const AppSettings settings = ReadAppSettings();
  CApplicationApp app;
  app.style = SkinStyleFromSettings(settings);
  app.versionText = QString::fromStdString(settings.VersionText);
  app.skin = BuildSkinPaths(FindProgramResource("Skin").string(), LanguageId());

  // An engine that is never started: the system tool page still lists the
  // PC's adapters through it.
  QTemporaryDir scratch;
  CSqlManagement store(scratch.filePath(QStringLiteral("data.db")).toStdString());
  CDeviceEngine engine(store);
  app.engine = &engine;
  app.store = &store;

  CApplicationDlg window(app,
                         MainWindowOptions{false, [](const QUrl&) {}, DefaultPageFactory(app)});
  window.show();
  window.move(0, 0);
  if (!QTest::qWaitForWindowExposed(&window)) ++g_failures;

  const struct {
    int page;
    const char* name;
  } pages[] = {{kStatusPage, "status"},          {kManagementPage, "management"},
               {kBridgePage, "bridge"},          {kRebootPage, "reboot"},
               {kUpgradePage, "upgrade"},        {kRestorePage, "restore"},
               {kSystemToolPage, "system_tool"}, {kInstallHelpPage, "install_help"}};
  for (const auto& page : pages) {
    window.Menu()->Select(page.page);
    Save(GrabScreenArea(window.frameGeometry()),
         folder + QStringLiteral("/main_%1.png").arg(QLatin1String(page.name)));
  }

  {
    std::unique_ptr<QMenu> root(window.BuildHelpMenu());
    QMenu* help = root->actions().front()->menu();
    help->popup(window.mapToGlobal(QPoint(971 - 6, 19 + 30)));
    if (!QTest::qWaitForWindowExposed(help)) ++g_failures;
    Save(GrabScreenArea(window.frameGeometry()), folder + QStringLiteral("/help_menu.png"));
    help->hide();
  }

  {
    CWaitDlg wait(15, true, 3, {}, QString::fromStdString(app.skin.closeWait), &window);
    wait.show();
    wait.move(window.geometry().center() - wait.rect().center());
    if (!QTest::qWaitForWindowExposed(&wait)) ++g_failures;
    for (int tick = 0; tick < 12; ++tick) wait.Tick();
    Save(GrabScreenArea(wait.frameGeometry().adjusted(-40, -40, 40, 40)),
         folder + QStringLiteral("/wait_dialog.png"));
  }
  return g_failures == 0 ? 0 : 1;
}
