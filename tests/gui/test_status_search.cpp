// The Status page end to end: the real engine and store in the program's
// namespace, devsim's devices in the other, the page's timers shortened.
// Needs root for the namespaces; skips without it.

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <algorithm>

#include "controls/grid/grid_ctrl.h"
#include "controls/t_button_picture.h"
#include "controls/t_edit.h"
#include "controls/t_multi_pages.h"
#include "controls/t_picture.h"
#include "controls/t_static.h"
#include "message_log.h"
#include "status_page_bed.h"
#include "store/device_text.h"

namespace {
constexpr int kStoredDevices = 40;
// Two more devices claim device 0's address: the engine never stores them,
// so they stay announced.
constexpr int kClaimants = 2;
}  // namespace

class TestStatusSearch : public QObject {
  Q_OBJECT

  StatusPageBed bed_;

  std::string Mac(int i) const { return MacAddressText(bed_.devices[i].mac); }

  int RowOf(const std::string& mac) const {
    CGridCtrl& grid = *bed_.page->Grid();
    for (int row = 1; row < grid.GetRowCount(); ++row) {
      if (grid.GetItemText(row, 5).toStdString() == mac) return row;
    }
    return -1;
  }

  void Rename(int row, const QString& name) {
    CGridCtrl& grid = *bed_.page->Grid();
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
    for (std::string& entry : bed_.devsim->TakeLog()) log_.push_back(std::move(entry));
    return std::any_of(log_.begin(), log_.end(), [&mac](const std::string& entry) {
      return entry.rfind("rx set_name " + mac, 0) == 0 || entry.rfind("rx type8 " + mac, 0) == 0;
    });
  }
  void ForgetLog() {
    bed_.devsim->TakeLog();
    log_.clear();
  }
  std::vector<std::string> log_;

 private slots:
  void initTestCase() {
    if (!RunningAsRoot()) QSKIP("the Status page end-to-end tests need root (network namespaces)");
    // Device 0 is of a strict-name model; every other one takes the generated fields.
    std::string file = "[device]\nmodel = 4\nname = ridge0\n";
    for (int i = 1; i < kStoredDevices; ++i) file += "[device]\nmodel = 2\n";
    for (int i = 0; i < kClaimants; ++i) file += "[device]\nreported_ip = 10.77.1.1\nsilent = 1\n";
    std::string error;
    QVERIFY2(bed_.Up("gstatus", file, {"--log"}, error), error.c_str());
    bed_.page->SetPageSize(15);
    bed_.page->show();
    QVERIFY(QTest::qWaitForWindowExposed(bed_.page.get()));
  }

  void cleanupTestCase() { bed_.Down(); }

  void searchListsTheDevicesOverPages() {
    // A 3 s run: a search and a refresh every 300 ms.
    bed_.page->SetTimerIntervals(100, 50);
    bed_.page->SearchEdit()->setText(QStringLiteral("leftover"));
    bed_.page->OnSearchButton();
    QVERIFY(bed_.page->IsSearching());
    QVERIFY(bed_.page->SearchEdit()->text().isEmpty());
    QVERIFY(!bed_.page->SearchEdit()->isEnabled());
    QVERIFY(!bed_.page->Grid()->isEnabled());
    QVERIFY(!bed_.page->PageSizeList()->isEnabled());
    QVERIFY(bed_.page->Animation()->isVisible());
    QCOMPARE(bed_.page->SearchButton()->text(), QStringLiteral("Stop"));
    QTRY_VERIFY_WITH_TIMEOUT(!bed_.page->IsSearching(), 10000);
    QCOMPARE(bed_.page->SearchTicks(), 30);
    QVERIFY(bed_.page->Grid()->isEnabled());
    QVERIFY(!bed_.page->Animation()->isVisible());
    QCOMPARE(bed_.page->SearchButton()->text(), QStringLiteral("Search"));
    // The run saw every device that answered in time; the rest follow.
    QTRY_VERIFY_WITH_TIMEOUT((bed_.page->RefreshPage(), bed_.page->StoredTotal() == kStoredDevices),
                             10000);

    bed_.page->Refresh(1);
    CGridCtrl& grid = *bed_.page->Grid();
    QCOMPARE(grid.GetRowCount(), 1 + 15);
    QCOMPARE(bed_.page->Paging()->PageCount(), 3);
    QCOMPARE(bed_.page->CountText()->text(), QStringLiteral("Online device count:40"));
    for (int row = 1; row <= 15; ++row) QCOMPARE(grid.GetItemText(row, 1), QString::number(row));
    bed_.page->OnPagingMessage(2);
    QCOMPARE(grid.GetItemText(1, 1), QStringLiteral("16"));
    bed_.page->OnPagingMessage(3);
    QCOMPARE(grid.GetRowCount(), 1 + 10);
    QCOMPARE(grid.GetItemText(10, 1), QStringLiteral("40"));
    // Default order: IP descending, the last octet first.
    bed_.page->Refresh(1);
    QCOMPARE(grid.GetItemText(1, 4), QStringLiteral("10.77.1.40"));
  }

  void headerClicksSortBothWays() {
    CGridCtrl& grid = *bed_.page->Grid();
    bed_.page->SetPageSize(50);
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
    bed_.page->SetPageSize(15);
  }

  void searchBoxFilters() {
    bed_.page->SearchEdit()->setText(QStringLiteral("10.77.1.3"));  // .3 and .30 to .39
    QCOMPARE(bed_.page->StoredTotal(), 11);
    bed_.page->SearchEdit()->setText(QStringLiteral("Online"));
    QCOMPARE(bed_.page->StoredTotal(), kStoredDevices);
    bed_.page->SearchEdit()->setText(QStringLiteral("ridge0'"));
    QCOMPARE(bed_.page->StoredTotal(), 0);
    bed_.page->SearchEdit()->setText(QStringLiteral("ridge0"));
    QCOMPARE(bed_.page->StoredTotal(), 1);
    bed_.page->SearchEdit()->clear();
    QCOMPARE(bed_.page->StoredTotal(), kStoredDevices);
  }

  void announcedDevicesFollowOnTheLastPage() {
    for (int i = kStoredDevices; i < kStoredDevices + kClaimants; ++i) {
      QCOMPARE(bed_.devsim->Control("speak " + Mac(i)), std::string("ok"));
    }
    QTRY_VERIFY_WITH_TIMEOUT(
        (bed_.engine->SearchDevices(), bed_.engine->CopyAnnounced().size() == kClaimants), 10000);
    bed_.page->Refresh(3);
    CGridCtrl& grid = *bed_.page->Grid();
    QCOMPARE(grid.GetRowCount(), 1 + 10 + kClaimants);
    QCOMPARE(bed_.page->CountText()->text(), QStringLiteral("Online device count:40"));
    QList<QUrl> opened;
    bed_.page->SetUrlOpener([&](const QUrl& url) { opened << url; });
    for (int row = 11; row <= 10 + kClaimants; ++row) {
      QCOMPARE(grid.GetItemData(row, 1), int(kStatusAnnounced));
      QCOMPARE(grid.GetItemText(row, 1), QString::number(30 + row));
      QCOMPARE(grid.Cell(row, 4)->textColour,
               std::optional<QColor>(bed_.app.style.textUnlineColor));
      QCOMPARE(grid.Cell(row, 13)->image, -1);
      grid.ClickCell(row, 13);
      grid.ClickCell(row, 2);
      QVERIFY(!grid.IsEditable());
      QVERIFY(!grid.IsEditing());
    }
    QVERIFY(opened.isEmpty());
    QCOMPARE(grid.Cell(10, 13)->image, 0);
    // Page 1 is full: no announced rows there.
    bed_.page->Refresh(1);
    QCOMPARE(grid.GetItemData(15, 1), int(kStatusOnline));
  }

  void operateOpensTheDeviceWebPage() {
    QList<QUrl> opened;
    bed_.page->SetUrlOpener([&](const QUrl& url) { opened << url; });
    bed_.page->Refresh(1);
    bed_.page->Grid()->ClickCell(3, 13);
    QCOMPARE(opened,
             QList<QUrl>{QUrl(QStringLiteral("http://") + bed_.page->Grid()->GetItemText(3, 4))});
  }

  void renameSendsSetName() {
    bed_.page->Refresh(1);
    const int row = RowOf(Mac(30));
    QVERIFY(row > 0);
    ForgetLog();
    Rename(row, QStringLiteral("north-mast"));
    QCOMPARE(bed_.page->Grid()->GetItemText(row, 2), QStringLiteral("north-mast"));
    QVERIFY(bed_.page->IsCommandRefreshPending());
    bed_.page->WaitForSenders();
    QTRY_VERIFY_WITH_TIMEOUT(SetNameReceived(Mac(30)), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!bed_.page->IsCommandRefreshPending(), 5000);

    // At a new address the device is asked for a full report again, which
    // carries the name it took.
    QCOMPARE(bed_.devsim->Control("move " + Mac(30) + " 10.77.9.31"), std::string("ok"));
    ap_info_stu stored{};
    QTRY_VERIFY_WITH_TIMEOUT((bed_.engine->SearchDevices(),
                              bed_.store->GetDevice(Mac(30), stored) && stored.ip[2] == 9 &&
                                  std::string(stored.ap_name, stored.ap_name_len) == "north-mast"),
                             10000);
    bed_.page->RefreshPage();
    QCOMPARE(bed_.page->Grid()->GetItemText(RowOf(Mac(30)), 2), QStringLiteral("north-mast"));
  }

  void invalidNameForAStrictModelRestoresTheOldOne() {
    const MessageLog warnings;
    bed_.page->OnPagingMessage(3);
    const int row = RowOf(Mac(0));
    QVERIFY(row > 0);
    QCOMPARE(bed_.page->Grid()->GetItemText(row, 2), QStringLiteral("ridge0"));
    ForgetLog();
    Rename(row, QStringLiteral("ridge 0"));  // a blank breaks the strict rule
    QCOMPARE(bed_.page->Grid()->GetItemText(row, 2), QStringLiteral("ridge0"));
    QCOMPARE(warnings.Texts().size(), 1);
    QVERIFY(warnings.Texts()[0].contains(QStringLiteral("lowercase letters")));
    QVERIFY(!bed_.page->IsCommandRefreshPending());
    QTest::qWait(300);
    QVERIFY(!SetNameReceived(Mac(0)));
  }

  void ticksSurviveTheSearchRefresh() {
    bed_.page->Refresh(1);
    CGridCtrl& grid = *bed_.page->Grid();
    grid.ClickCell(2, 0);
    grid.ClickCell(4, 0);
    const std::vector<SelectedDevice> before = bed_.page->CollectSelection();
    QCOMPARE(before.size(), std::size_t(2));
    bed_.page->SetTimerIntervals(20, 50);
    bed_.page->OnSearchButton();
    QTRY_VERIFY_WITH_TIMEOUT(bed_.page->SearchTicks() >= 4, 5000);  // one refresh of the run done
    const std::vector<SelectedDevice> during = bed_.page->CollectSelection();
    QCOMPARE(during.size(), std::size_t(2));
    QCOMPARE(during[0].mac, before[0].mac);
    QCOMPARE(during[1].mac, before[1].mac);
    bed_.page->OnSearchButton();
    QVERIFY(!bed_.page->IsSearching());
    QCOMPARE(bed_.page->CollectSelection().size(), std::size_t(2));
  }
};

QTEST_MAIN(TestStatusSearch)
#include "test_status_search.moc"
