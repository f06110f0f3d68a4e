// The program shell: one copy per user, the main window with its menu, the
// container's refresh rule, the tray fallback, the help addresses, the wait
// dialog's ticks and the system tool page.

#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <map>

#include "app/application_app.h"
#include "app/application_dlg.h"
#include "app/container_page.h"
#include "app/install_help_dlg.h"
#include "app/menu_dlg.h"
#include "app/page_ids.h"
#include "controls/grid/grid_ctrl.h"
#include "controls/scroll_bitmap_wnd.h"
#include "controls/t_button_picture.h"
#include "pages/system_tool/system_tool_dlg.h"
#include "util/single_instance.h"
#include "util/wait_dialog.h"

namespace {

class CountingPage : public CTDialog, public CContainerPage {
 public:
  explicit CountingPage(QWidget* parent) : CTDialog(parent) {}
  void RefreshPage() override { ++refreshes; }
  void OnPagingMessage(int page) override { pagingMessages.push_back(page); }
  int refreshes = 0;
  std::vector<int> pagingMessages;
};

CApplicationApp TestApp() {
  CApplicationApp app;
  app.skin = BuildSkinPaths(SOURCE_DIR "/resources/Skin", 1033);
  app.versionText = QStringLiteral("V1.0.0.0");
  return app;
}

HostNicsInfo Adapter(const char* description, std::initializer_list<const char*> ips) {
  HostNicsInfo adapter{};
  adapter.valid = 1;
  const uint8_t mac[6] = {0x00, 0x1b, 0x21, 0xaa, 0x0f, 0x9c};
  std::memcpy(adapter.hardware_address, mac, 6);
  std::strncpy(adapter.description, description, sizeof adapter.description - 1);
  for (const char* ip : ips) std::strncpy(adapter.addresses[adapter.address_count++].ip, ip, 15);
  return adapter;
}

}  // namespace

class TestShell : public QObject {
  Q_OBJECT
 private:
  CApplicationApp app_ = TestApp();
  std::map<int, CountingPage*> pages_;

  MainWindowOptions Options(bool tray, std::function<void(const QUrl&)> openUrl = {}) {
    pages_.clear();
    return MainWindowOptions{tray, std::move(openUrl), [this](int id, QWidget* parent) -> QWidget* {
                               if (id == kInstallHelpPage || id == kSystemToolPage) return nullptr;
                               return pages_[id] = new CountingPage(parent);
                             }};
  }

 private slots:
  // The program itself: while another copy holds the lock it ends at once,
  // silently, before it opens a window or a socket.
  void secondCopyEndsSilently() {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    const CSingleInstanceLock first;
    QVERIFY(first.IsHeld());
    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(APPLICATION_PATH), {});
    QVERIFY(second.waitForFinished(5000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(second.readAllStandardOutput(), QByteArray());
    QCOMPARE(second.readAllStandardError(), QByteArray());
  }

  void windowLayout() {
    CApplicationDlg window(app_, Options(false));
    QCOMPARE(window.size(), QSize(1056, 674));
    QCOMPARE(window.Menu()->geometry(), QRect(0, 158, 137, 527));
    QCOMPARE(window.Container()->geometry(), QRect(137, 86, 915, 605));
    QCOMPARE(window.findChild<CTButtonPicture*>(QStringLiteral("1000"))->toolTip(),
             QStringLiteral("Close"));
    QCOMPARE(window.findChild<CTButtonPicture*>(QStringLiteral("1002"))->toolTip(),
             QStringLiteral("Min"));
    QCOMPARE(window.findChild<CTButtonPicture*>(QStringLiteral("1001"))->toolTip(),
             QStringLiteral("Info"));
    QCOMPARE(window.Menu()->findChild<QLabel*>(QStringLiteral("1024"))->text(),
             QStringLiteral("V1.0.0.0"));
  }

  void menuSelectsExactlyOnePage() {
    CApplicationDlg window(app_, Options(false));
    window.show();
    QCOMPARE(window.Container()->CurrentPage(), int(kStatusPage));
    QCOMPARE(window.Menu()->SelectedPage(), int(kStatusPage));
    for (const auto& item : CMenuDlg::Items()) {
      QTest::mouseClick(window.Menu()->Button(item.pageId), Qt::LeftButton);
      QCOMPARE(window.Container()->CurrentPage(), item.pageId);
      int selected = 0, visible = 0;
      for (const auto& other : CMenuDlg::Items()) {
        selected += window.Menu()->Button(other.pageId)->IsSelected();
        visible += window.Container()->Page(other.pageId)->isVisible();
      }
      QCOMPARE(selected, 1);
      QCOMPARE(visible, 1);
      QVERIFY(window.Container()->Page(item.pageId)->isVisible());
    }
    window.Menu()->EnableMenuButtons(false);
    QTest::mouseClick(window.Menu()->Button(kStatusPage), Qt::LeftButton);
    QCOMPARE(window.Container()->CurrentPage(), int(kInstallHelpPage));
  }

  void enterAndEscapeCloseNothing() {
    CApplicationDlg window(app_, Options(false));
    window.show();
    QSignalSpy finished(&window, &QDialog::finished);
    QTest::keyClick(&window, Qt::Key_Escape);
    QTest::keyClick(&window, Qt::Key_Return);
    QWidget* page = window.Container()->Page(kStatusPage);
    QTest::keyClick(page, Qt::Key_Escape);
    QVERIFY(window.isVisible());
    QVERIFY(page->isVisible());
    QCOMPARE(finished.size(), 0);
  }

  void refreshRulePerPage_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("periodic");
    QTest::newRow("status") << int(kStatusPage) << true;
    QTest::newRow("management") << int(kManagementPage) << true;
    QTest::newRow("bridge") << int(kBridgePage) << true;
    QTest::newRow("reboot") << int(kRebootPage) << false;
    QTest::newRow("upgrade") << int(kUpgradePage) << false;
    QTest::newRow("restore") << int(kRestorePage) << false;
  }
  void refreshRulePerPage() {
    QFETCH(int, page);
    QFETCH(bool, periodic);
    CApplicationDlg window(app_, Options(false));
    CChildDlg* container = window.Container();
    container->OnTimer(CChildDlg::kShowTimer);  // the first page's start-up refresh
    window.Menu()->Select(page);
    QVERIFY(container->IsTimerRunning(CChildDlg::kShowTimer));
    CountingPage* shown = pages_[page];
    const int before = shown->refreshes;
    container->OnTimer(CChildDlg::kShowTimer);
    QCOMPARE(shown->refreshes, before + 1);
    QVERIFY(!container->IsTimerRunning(CChildDlg::kShowTimer));
    container->OnTimer(CChildDlg::kPeriodicTimer);
    QCOMPARE(shown->refreshes, before + 1 + (periodic ? 1 : 0));
    // While a configuration dialog is open the periodic refresh waits.
    container->SetAutomaticRefresh(false);
    container->OnTimer(CChildDlg::kPeriodicTimer);
    QCOMPARE(shown->refreshes, before + 1 + (periodic ? 1 : 0));
    QVERIFY(container->IsTimerRunning(CChildDlg::kPeriodicTimer));
  }

  void pagingMessagesReachTheirPage() {
    CApplicationDlg window(app_, Options(false));
    window.Container()->OnPagingMessage(kRebootPage, 4);
    window.Container()->OnPagingMessage(kSystemToolPage, 2);  // not a list page
    window.Container()->OnPagingMessage(99, 2);
    QCOMPARE(pages_[kRebootPage]->pagingMessages, std::vector<int>{4});
    QVERIFY(pages_[kStatusPage]->pagingMessages.empty());
  }

  void withoutTrayTheWindowMinimises() {
    CApplicationDlg window(app_, Options(false));
    window.show();
    QVERIFY(!window.HasTray());
    window.MinimiseToTray();
    QVERIFY(window.isVisible());
    QVERIFY(window.isMinimized());
    window.ShowFromTray();
    QVERIFY(!window.isMinimized());
  }

  void withTrayTheWindowHides() {
    CApplicationDlg window(app_, Options(true));
    window.show();
    QVERIFY(window.HasTray());
    window.Menu()->Select(kRebootPage);
    window.MinimiseToTray();
    QVERIFY(!window.isVisible());
    window.ShowFromTray();
    QVERIFY(window.isVisible());
    QCOMPARE(window.Container()->CurrentPage(), int(kRebootPage));
    std::unique_ptr<QMenu> menu(window.BuildTrayMenu());
    QSignalSpy finished(&window, &QDialog::finished);
    menu->findChild<QAction*>(QStringLiteral("32782"))->trigger();
    QCOMPARE(finished.size(), 1);
  }

  void helpMenuOpensTheAddresses() {
    std::vector<QUrl> opened;
    CApplicationDlg window(app_, Options(false, [&](const QUrl& url) { opened.push_back(url); }));
    std::unique_ptr<QMenu> menu(window.BuildHelpMenu());
    QMenu* help = menu->actions().front()->menu();
    QVERIFY(help);
    QCOMPARE(help->actions().size(), 4);
    for (QAction* item : help->actions()) item->trigger();
    QCOMPARE(opened.size(), 4u);
    // Without a language file the key itself is tried, as a shipped document.
    QVERIFY(opened[0].isLocalFile());
    QVERIFY(opened[0].toLocalFile().endsWith(QLatin1String("Product_url")));
  }

  void installHelpPictureStaysInsideThePage() {
    CInstallHelpDlg page(app_, QSize(915, 588), nullptr);
    page.show();
    CScrollBitmapWnd* picture = page.Picture();
    QCOMPARE(picture->objectName(), QStringLiteral("102"));
    QCOMPARE(picture->geometry(), QRect(5, 5, 905, 578));
    QVERIFY(!picture->PictureSize().isEmpty());
    QVERIFY(picture->HorizontalBar()->isVisible());
    QVERIFY(picture->VerticalBar()->isVisible());
  }

  void waitTicks_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("searches");
    QTest::addColumn<QList<int>>("searchTicks");
    QTest::newRow("15 s, 3 searches") << 15 << 3 << QList<int>{18, 24, 30};
    QTest::newRow("60 s, 3 searches") << 60 << 3 << QList<int>{108, 114, 120};
    QTest::newRow("60 s, 5 searches") << 60 << 5 << QList<int>{96, 102, 108, 114, 120};
    QTest::newRow("60 s, no search") << 60 << 0 << QList<int>{};
  }
  void waitTicks() {
    QFETCH(int, seconds);
    QFETCH(int, searches);
    QFETCH(QList<int>, searchTicks);
    QList<int> searchedAt;
    QList<int> releasedAt;
    CWaitDlg* dialogPointer = nullptr;
    CWaitDlg dialog(seconds, searches > 0, searches,
                    {[&] { releasedAt << dialogPointer->CurrentTick(); },
                     [&] { searchedAt << dialogPointer->CurrentTick(); }},
                    QString());
    dialogPointer = &dialog;
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    int steps = 0;
    while (!dialog.IsFinished() && steps < 1000) {
      dialog.Tick();
      ++steps;
      if (!dialog.IsFinished()) QCOMPARE(dialog.Progress()->value(), dialog.CurrentTick());
    }
    QCOMPARE(searchedAt, searchTicks);
    QCOMPARE(releasedAt, searchTicks.isEmpty() ? QList<int>{} : QList<int>{searchTicks.first()});
    QCOMPARE(steps, 2 * seconds - 1);  // closes after 14.5 s for 15 s
    QCOMPARE(dialog.Progress()->value(), dialog.Progress()->maximum());
    QCOMPARE(accepted.size(), 1);
    dialog.Tick();
    QCOMPARE(searchedAt.size(), searchTicks.size());
  }

  void waitCloseButtonEndsAtOnce() {
    int searches = 0;
    CWaitDlg dialog(15, true, 3, {{}, [&] { ++searches; }}, QString());
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    dialog.show();
    QTest::mouseClick(dialog.findChild<CTButtonPicture*>(QStringLiteral("1000")), Qt::LeftButton);
    QCOMPARE(accepted.size(), 1);
    QCOMPARE(searches, 0);
  }

  void systemToolRows() {
    std::vector<HostNicsInfo> adapters = {
        Adapter("Intel Ethernet I219-LM", {"10.77.0.1"}),
        Adapter("USB wireless adapter", {"192.168.1.20", "10.0.0.5", "172.16.4.9"})};
    int reads = 0;
    CSystemToolDlg page(
        app_,
        [&] {
          ++reads;
          return adapters;
        },
        nullptr);
    CGridCtrl* grid = page.Grid();
    QCOMPARE(reads, 1);
    QCOMPARE(grid->GetRowCount(), 3);
    QCOMPARE(grid->GetItemText(0, 1), QStringLiteral("Description"));
    QCOMPARE(grid->GetColumnWidth(3), 400);
    QCOMPARE(grid->GetItemText(1, 0), QStringLiteral("1"));
    QCOMPARE(grid->GetItemText(1, 1), QStringLiteral("Intel Ethernet I219-LM"));
    QCOMPARE(grid->GetItemText(1, 2), QStringLiteral("00:1b:21:aa:0f:9c"));
    QCOMPARE(grid->GetItemText(1, 3), QStringLiteral("10.77.0.1"));
    QCOMPARE(grid->GetItemText(2, 3), QStringLiteral("192.168.1.20--10.0.0.5--172.16.4.9"));
    QCOMPARE(page.findChild<QLabel*>(QStringLiteral("1017"))->text(),
             QStringLiteral("Adapter count:2"));

    adapters.clear();  // the cable of every adapter pulled
    page.Fill();
    QCOMPARE(grid->GetRowCount(), 1);
    QCOMPARE(page.findChild<QLabel*>(QStringLiteral("1017"))->text(),
             QStringLiteral("Adapter count:0"));
  }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
