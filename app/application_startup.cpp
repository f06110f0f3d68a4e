#include "app/application_startup.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>

#include "app/application_app.h"
#include "app/application_dlg.h"
#include "app/page_factory.h"
#include "i18n/language.h"
#include "i18n/window_translation.h"
#include "protocol/device_engine.h"
#include "settings/app_settings.h"
#include "store/sql_management.h"
#include "util/program_paths.h"
#include "util/single_instance.h"

namespace {
// The folder that holds Languages/, with a trailing '/'.
std::string LanguageDirectory() {
  std::string dir = FindProgramResource("Languages").parent_path().string();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}
// For benchmarks and smoke tests: APP_REPORT_SHOWN names a file written once
// the main window is on screen; with APP_HIDE_WHEN_SHOWN the window then
// hides, as it does into the notification area.
void ReportShown(CApplicationDlg& window) {
  const QString file = qEnvironmentVariable("APP_REPORT_SHOWN");
  if (file.isEmpty()) return;
  QTimer::singleShot(0, &window, [&window, file] {
    QFile shown(file);
    if (shown.open(QIODevice::WriteOnly)) shown.write("shown\n");
    if (qEnvironmentVariableIsSet("APP_HIDE_WHEN_SHOWN")) window.hide();
  });
}
}  // namespace

int RunApplication(int argc, char** argv) {
  // A second copy ends at once and shows nothing; the first may be hidden in
  // the notification area.
  const CSingleInstanceLock instance;
  if (!instance.IsHeld()) return 0;

  QApplication application(argc, argv);
  application.setQuitOnLastWindowClosed(false);
  LoadLanguage(LanguageDirectory());

  const AppSettings settings = ReadAppSettings();
  CApplicationApp app;
  app.style = SkinStyleFromSettings(settings);
  app.programDirectory = settings.ProgramDirectory;
  app.versionText = QString::fromStdString(settings.VersionText);
  app.retransmissionMax = settings.retransmission_max;
  app.retransmissionInterval = settings.retransmission_interval;
  app.skin = BuildSkinPaths(FindProgramResource("Skin").string(), LanguageId());

  // The engine builds the store on first use, which recreates the scratch
  // database; a failed start leaves the program without devices, not closed.
  CDeviceEngine& engine = CDeviceEngine::Instance();
  engine.Start(app.retransmissionInterval, app.retransmissionMax);
  app.engine = &engine;
  app.store = &CSqlManagement::Instance();

  int exitCode = 0;
  {
    CApplicationDlg window(app, MainWindowOptions{{}, {}, DefaultPageFactory(app)});
    QObject::connect(&window, &QDialog::finished, &application,
                     [&application] { application.quit(); });
    window.show();
    ReportShown(window);
    if (!app.store->IsOpen()) {
      QMessageBox::warning(&window, QStringLiteral(APP_PROGRAM_NAME),
                           Tr("Failed to open database, unable to get data."));
    }
    exitCode = application.exec();
  }
  engine.Stop();
  return exitCode;
}
