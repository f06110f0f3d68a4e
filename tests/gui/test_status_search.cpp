// The Status page end to end: the real engine and store in the program's
// namespace, devsim's devices in the other, the page's timers shortened.
// Needs root for the namespaces; skips without it.

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/application_app.h"
#include "message_log.h"
#include "controls/grid/grid_ctrl.h"
#include "controls/t_button_picture.h"
#include "controls/t_edit.h"
#include "controls/t_multi_pages.h"
#include "controls/t_picture.h"
#include "controls/t_static.h"
#include "pages/status/status_dlg.h"
#include "protocol/device_engine.h"
#include "sim/population.h"
#include "sim/testbed.h"
#include "store/device_text.h"
#include "store/sql_management.h"

namespace {
constexpr int kStoredDevices = 40;
// Two more devices claim device 0's address: the engine never stores them,
// so they stay announced.
constexpr int kClaimants = 2;
}  // namespace

class TestStatusSearch : public QObject {
  Q_OBJECT

  std::unique_ptr<TestNetwork> network_;
  std::filesystem::path scratch_;
  std::unique_ptr<DevsimProcess> devsim_;
  std::unique_ptr<CSqlManagement> store_;
  std::unique_ptr<CDeviceEngine> engine_;
  CApplicationApp app_;
  std::unique_ptr<CStatusDlg> page_;
  std::vector<SimDevice> devices_;

  std::string Mac(int i) const { return MacAddressText(devices_[i].mac); }

  int RowOf(const std::string& mac) const {
    CGridCtrl& grid = *page_->Grid();
    for (int row = 1; row < grid.GetRowCount(); ++row) {
      if (grid.GetItemText(row, 5).toStdString() == mac) return row;
    }
    return -1;
  }

  void Rename(int row, const QString& name) {
    CGridCtrl& grid = *page_->Grid();
    grid.ClickCell(row, 2);
    auto* editor = grid.viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(name);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!grid.IsEditing());  // the delegate commits on the next turn of the loop
  }

  // Whether the device logged a set_name since ForgetLog; the simulator logs
  // a type it has no name for by its number. The lines are kept, so asking
  // again gives the same answer.
  bool SetNameReceived(const std::string& mac) {
    for (std::string& entry : devsim_->TakeLog()) log_.push_back(std::move(entry));
    return std::any_of(log_.begin(), log_.end(), [&mac](const std::string& entry) {
      return entry.rfind("rx set_name " + mac, 0) == 0 || entry.rfind("rx type8 " + mac, 0) == 0;
    });
  }
  void ForgetLog() {
    devsim_->TakeLog();
    log_.clear();
  }
  std::vector<std::string> log_;

 private slots:
  void initTestCase() {
    if (!RunningAsRoot()) QSKIP("the Status page end-to-end tests need root (network namespaces)");
    network_ = std::make_unique<TestNetwork>("gstatus", std::vector<std::string>{"10.77"});
    std::string error;
    QVERIFY2(network_->Up(error), error.c_str());
    QVERIFY2(network_->EnterProgramSide(error), error.c_str());
    setenv("HOSTNICS_INCLUDE", network_->Include().c_str(), 1);
    scratch_ = std::filesystem::temp_directory_path() / "gui-status-search";
    std::filesystem::remove_all(scratch_);
    std::filesystem::create_directories(scratch_);

    // Device 0 is of a strict-name model; every other one takes the generated fields.
    std::string file = "[device]\nmodel = 4\nname = ridge0\n";
    for (int i = 1; i < kStoredDevices; ++i) file += "[device]\nmodel = 2\n";
    for (int i = 0; i < kClaimants; ++i) file += "[device]\nreported_ip = 10.77.1.1\nsilent = 1\n";
    std::ofstream(scratch_ / "devices.ini") << file;
    PopulationPlan plan;
    QVERIFY2(LoadPopulationFile(scratch_ / "devices.ini", plan, devices_, error), error.c_str());

    devsim_ = std::make_unique<DevsimProcess>();
    QVERIFY2(devsim_->Start(network_->DeviceNamespace(),
                            {"--file", (scratch_ / "devices.ini").string(), "--log"}, error),
             error.c_str());
    store_ = std::make_unique<CSqlManagement>(scratch_ / "data.db");
    engine_ = std::make_unique<CDeviceEngine>(*store_);
    QVERIFY(engine_->Start(100, 5));
    app_.store = store_.get();
    app_.engine = engine_.get();
    app_.skin = BuildSkinPaths(SOURCE_DIR "/resources/Skin", 1033);
    page_ = std::make_unique<CStatusDlg>(app_, nullptr);
    page_->SetPageSize(15);
    page_->show();
    QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
  }

  void cleanupTestCase() {
    page_.reset();
    if (engine_) engine_->Stop();
    engine_.reset();
    store_.reset();
    devsim_.reset();
    network_.reset();
    if (!scratch_.empty()) std::filesystem::remove_all(scratch_);
  }

  void searchListsTheDevicesOverPages() {
    // A 3 s run: a search and a refresh every 300 ms.
    page_->SetTimerIntervals(100, 50);
    page_->SearchEdit()->setText(QStringLiteral("leftover"));
    page_->OnSearchButton();
    QVERIFY(page_->IsSearching());
    QVERIFY(page_->SearchEdit()->text().isEmpty());
    QVERIFY(!page_->SearchEdit()->isEnabled());
    QVERIFY(!page_->Grid()->isEnabled());
    QVERIFY(!page_->PageSizeList()->isEnabled());
    QVERIFY(page_->Animation()->isVisible());
    QCOMPARE(page_->SearchButton()->text(), QStringLiteral("Stop"));
    QTRY_VERIFY_WITH_TIMEOUT(!page_->IsSearching(), 10000);
    QCOMPARE(page_->SearchTicks(), 30);
    QVERIFY(page_->Grid()->isEnabled());
    QVERIFY(!page_->Animation()->isVisible());
    QCOMPARE(page_->SearchButton()->text(), QStringLiteral("Search"));
    // The run saw every device that answered in time; the rest follow.
    QTRY_VERIFY_WITH_TIMEOUT((page_->RefreshPage(), page_->StoredTotal() == kStoredDevices), 10000);

    page_->Refresh(1);
    CGridCtrl& grid = *page_->Grid();
    QCOMPARE(grid.GetRowCount(), 1 + 15);
    QCOMPARE(page_->Paging()->PageCount(), 3);
    QCOMPARE(page_->CountText()->text(), QStringLiteral("Online device count:40"));
    for (int row = 1; row <= 15; ++row) QCOMPARE(grid.GetItemText(row, 1), QString::number(row));
    page_->OnPagingMessage(2);
    QCOMPARE(grid.GetItemText(1, 1), QStringLiteral("16"));
    page_->OnPagingMessage(3);
    QCOMPARE(grid.GetRowCount(), 1 + 10);
    QCOMPARE(grid.GetItemText(10, 1), QStringLiteral("40"));
    // Default order: IP descending, the last octet first.
    page_->Refresh(1);
    QCOMPARE(grid.GetItemText(1, 4), QStringLiteral("10.77.1.40"));
  }

  void headerClicksSortBothWays() {
    CGridCtrl& grid = *page_->Grid();
    page_->SetPageSize(50);
    grid.ClickCell(0, 5);
    QStringList macs;
    for (int i = 0; i < kStoredDevices; ++i) macs << QString::fromStdString(Mac(i));
    macs.sort();
    QCOMPARE(grid.GetItemText(1, 5), macs.first());
    QCOMPARE(grid.GetItemText(kStoredDevices, 5), macs.last());
    grid.ClickCell(0, 5);
    QCOMPARE(grid.GetItemText(1, 5), macs.last());
    // Back to IP descending for the tests that follow.
    grid.ClickCell(0, 4);
    grid.ClickCell(0, 4);
    QCOMPARE(grid.GetItemText(1, 4), QStringLiteral("10.77.1.40"));
    page_->SetPageSize(15);
  }

  void searchBoxFilters() {
    page_->SearchEdit()->setText(QStringLiteral("10.77.1.3"));  // .3 and .30 to .39
    QCOMPARE(page_->StoredTotal(), 11);
    page_->SearchEdit()->setText(QStringLiteral("Online"));
    QCOMPARE(page_->StoredTotal(), kStoredDevices);
    page_->SearchEdit()->setText(QStringLiteral("ridge0'"));
    QCOMPARE(page_->StoredTotal(), 0);
    page_->SearchEdit()->setText(QStringLiteral("ridge0"));
    QCOMPARE(page_->StoredTotal(), 1);
    page_->SearchEdit()->clear();
    QCOMPARE(page_->StoredTotal(), kStoredDevices);
  }

  void announcedDevicesFollowOnTheLastPage() {
    for (int i = kStoredDevices; i < kStoredDevices + kClaimants; ++i) {
      QCOMPARE(devsim_->Control("speak " + Mac(i)), std::string("ok"));
    }
    QTRY_VERIFY_WITH_TIMEOUT(
        (engine_->SearchDevices(), engine_->CopyAnnounced().size() == kClaimants), 10000);
    page_->Refresh(3);
    CGridCtrl& grid = *page_->Grid();
    QCOMPARE(grid.GetRowCount(), 1 + 10 + kClaimants);
    QCOMPARE(page_->CountText()->text(), QStringLiteral("Online device count:40"));
    QList<QUrl> opened;
    page_->SetUrlOpener([&](const QUrl& url) { opened << url; });
    for (int row = 11; row <= 10 + kClaimants; ++row) {
      QCOMPARE(grid.GetItemData(row, 1), int(kStatusAnnounced));
      QCOMPARE(grid.GetItemText(row, 1), QString::number(30 + row));
      QCOMPARE(grid.Cell(row, 4)->textColour, std::optional<QColor>(app_.style.textUnlineColor));
      QCOMPARE(grid.Cell(row, 13)->image, -1);
      grid.ClickCell(row, 13);
      grid.ClickCell(row, 2);
      QVERIFY(!grid.IsEditable());
      QVERIFY(!grid.IsEditing());
    }
    QVERIFY(opened.isEmpty());
    QCOMPARE(grid.Cell(10, 13)->image, 0);
    // Page 1 is full: no announced rows there.
    page_->Refresh(1);
    QCOMPARE(grid.GetItemData(15, 1), int(kStatusOnline));
  }

  void operateOpensTheDeviceWebPage() {
    QList<QUrl> opened;
    page_->SetUrlOpener([&](const QUrl& url) { opened << url; });
    page_->Refresh(1);
    page_->Grid()->ClickCell(3, 13);
    QCOMPARE(opened,
             QList<QUrl>{QUrl(QStringLiteral("http://") + page_->Grid()->GetItemText(3, 4))});
  }

  void renameSendsSetName() {
    page_->Refresh(1);
    const int row = RowOf(Mac(30));
    QVERIFY(row > 0);
    ForgetLog();
    Rename(row, QStringLiteral("north-mast"));
    QCOMPARE(page_->Grid()->GetItemText(row, 2), QStringLiteral("north-mast"));
    QVERIFY(page_->IsCommandRefreshPending());
    page_->WaitForSenders();
    QTRY_VERIFY_WITH_TIMEOUT(SetNameReceived(Mac(30)), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!page_->IsCommandRefreshPending(), 5000);

    // At a new address the device is asked for a full report again, which
    // carries the name it took.
    QCOMPARE(devsim_->Control("move " + Mac(30) + " 10.77.9.31"), std::string("ok"));
    ap_info_stu stored{};
    QTRY_VERIFY_WITH_TIMEOUT((engine_->SearchDevices(),
                              store_->GetDevice(Mac(30), stored) && stored.ip[2] == 9 &&
                                  std::string(stored.ap_name, stored.ap_name_len) == "north-mast"),
                             10000);
    page_->RefreshPage();
    QCOMPARE(page_->Grid()->GetItemText(RowOf(Mac(30)), 2), QStringLiteral("north-mast"));
  }

  void invalidNameForAStrictModelRestoresTheOldOne() {
    const MessageLog warnings;
    page_->OnPagingMessage(3);
    const int row = RowOf(Mac(0));
    QVERIFY(row > 0);
    QCOMPARE(page_->Grid()->GetItemText(row, 2), QStringLiteral("ridge0"));
    ForgetLog();
    Rename(row, QStringLiteral("ridge 0"));  // a blank breaks the strict rule
    QCOMPARE(page_->Grid()->GetItemText(row, 2), QStringLiteral("ridge0"));
    QCOMPARE(warnings.Texts().size(), 1);
    QVERIFY(warnings.Texts()[0].contains(QStringLiteral("lowercase letters")));
    QVERIFY(!page_->IsCommandRefreshPending());
    QTest::qWait(300);
    QVERIFY(!SetNameReceived(Mac(0)));
  }

  void ticksSurviveTheSearchRefresh() {
    page_->Refresh(1);
    CGridCtrl& grid = *page_->Grid();
    grid.ClickCell(2, 0);
    grid.ClickCell(4, 0);
    const std::vector<SelectedDevice> before = page_->CollectSelection();
    QCOMPARE(before.size(), std::size_t(2));
    page_->SetTimerIntervals(20, 50);
    page_->OnSearchButton();
    QTRY_VERIFY_WITH_TIMEOUT(page_->SearchTicks() >= 4, 5000);  // one refresh of the run done
    const std::vector<SelectedDevice> during = page_->CollectSelection();
    QCOMPARE(during.size(), std::size_t(2));
    QCOMPARE(during[0].mac, before[0].mac);
    QCOMPARE(during[1].mac, before[1].mac);
    page_->OnSearchButton();
    QVERIFY(!page_->IsSearching());
    QCOMPARE(page_->CollectSelection().size(), std::size_t(2));
  }
};

QTEST_MAIN(TestStatusSearch)
#include "test_status_search.moc"
