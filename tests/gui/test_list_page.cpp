// The device list page over a real store filled by hand: paging and serial
// numbers, header sorting by the page's keys in both directions, the search
// filter, ticks across refreshes, and the Status page's rename check.

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <filesystem>

#include "app/application_app.h"
#include "app/child_dlg.h"
#include "app/menu_dlg.h"
#include "app/page_ids.h"
#include "controls/grid/grid_ctrl.h"
#include "controls/t_button_picture.h"
#include "controls/t_edit.h"
#include "controls/t_multi_pages.h"
#include "controls/t_static.h"
#include "message_log.h"
#include "pages/status/status_dlg.h"
#include "store/device_text.h"
#include "store/sql_management.h"

namespace {

void SetArea(char* area, uint8_t& length, const std::string& text) {
  std::memcpy(area, text.data(), text.size());
  length = static_cast<uint8_t>(text.size());
}

// Device i: address 10.77.(i % 7 + 1).(i + 1), names and SSIDs in a shuffled
// order, every fifth one a strict-name model.
ap_info_stu MadeDevice(int i) {
  ap_info_stu device{};
  const uint8_t mac[6] = {0x02, 0, 0, 0, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)};
  std::snprintf(device.mac, sizeof device.mac, "%s", MacText(mac).c_str());
  device.ap_type = i % 5 == 0 ? 4 : static_cast<uint16_t>(1 + i % 3);
  device.ap_status = kStatusOnline;
  device.work_mode = static_cast<uint8_t>(i % 3);
  device.up_time = static_cast<uint32_t>((i * 7919) % 100000);
  device.ip[0] = 10;
  device.ip[1] = 77;
  device.ip[2] = static_cast<uint8_t>(i % 7 + 1);
  device.ip[3] = static_cast<uint8_t>(i + 1);
  SetArea(device.ap_name, device.ap_name_len, "mast" + std::to_string((i * 13) % 41));
  SetArea(device.ssid, device.ssid_len, "link" + std::to_string((i * 17) % 43));
  SetArea(device.version, device.version_len, "V2." + std::to_string(i % 4));
  device.channel = static_cast<uint8_t>(1 + i % 11);
  return device;
}

}  // namespace

class TestListPage : public QObject {
  Q_OBJECT

  std::filesystem::path dir_;
  std::unique_ptr<CSqlManagement> store_;
  CApplicationApp app_;

  std::unique_ptr<CStatusDlg> Page(int pageSize) {
    auto page = std::make_unique<CStatusDlg>(app_, nullptr);
    page->SetPageSize(pageSize);
    page->Refresh(1);
    return page;
  }

  static QStringList ColumnTexts(const CGridCtrl& grid, int column) {
    QStringList texts;
    for (int row = 1; row < grid.GetRowCount(); ++row) texts << grid.GetItemText(row, column);
    return texts;
  }

 private slots:
  void initTestCase() {
    dir_ = std::filesystem::temp_directory_path() / ("list-page-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
    store_ = std::make_unique<CSqlManagement>(dir_ / "data.db");
    QVERIFY(store_->IsOpen());
    for (int i = 0; i < 40; ++i) QVERIFY(store_->UpsertDevice(MadeDevice(i)));
    ap_info_stu quoted = MadeDevice(40);
    std::memset(quoted.ap_name, 0, sizeof quoted.ap_name);
    SetArea(quoted.ap_name, quoted.ap_name_len, "o'brien roof");
    QVERIFY(store_->UpsertDevice(quoted));
    app_.store = store_.get();
    app_.skin = BuildSkinPaths(SOURCE_DIR "/resources/Skin", 1033);
  }

  void cleanupTestCase() {
    store_.reset();
    std::filesystem::remove_all(dir_);
  }

  void pagesSerialsAndCount() {
    auto page = Page(15);
    CGridCtrl& grid = *page->Grid();
    QCOMPARE(grid.GetRowCount(), 1 + 15);
    QCOMPARE(ColumnTexts(grid, 1).first(), QStringLiteral("1"));
    QCOMPARE(ColumnTexts(grid, 1).last(), QStringLiteral("15"));
    QCOMPARE(page->Paging()->PageCount(), 3);
    QCOMPARE(page->CountText()->text(), QStringLiteral("Online device count:41"));

    page->OnPagingMessage(3);
    QCOMPARE(grid.GetRowCount(), 1 + 11);
    QCOMPARE(grid.GetItemText(1, 1), QStringLiteral("31"));
    QCOMPARE(grid.GetItemText(11, 1), QStringLiteral("41"));
    QCOMPARE(page->Paging()->CurrentPage(), 3);
    QCOMPARE(grid.GetItemData(1, 1), int(kStatusOnline));
    QCOMPARE(grid.Cell(1, 13)->image, 0);
    QVERIFY(grid.IsCellCheckBox(1, 0));

    // A new page size starts again at page 1.
    page->SetPageSize(30);
    QCOMPARE(page->State().pageNumber, 1);
    QCOMPARE(grid.GetRowCount(), 1 + 30);
    QCOMPARE(page->Paging()->PageCount(), 2);
  }

  void headerSortsByThePageKeys_data() {
    QTest::addColumn<int>("column");
    QTest::newRow("Location by name") << 2;
    QTest::newRow("Type by model code") << 3;
    QTest::newRow("IP by its number") << 4;
    QTest::newRow("MAC") << 5;
    QTest::newRow("SSID") << 7;
  }
  void headerSortsByThePageKeys() {
    QFETCH(int, column);
    auto page = Page(100);
    CGridCtrl& grid = *page->Grid();
    // The page opens sorted by IP, descending.
    QCOMPARE(grid.SortColumn(), 4);
    QVERIFY(!grid.SortAscending());

    const auto key = [column](const QString& text) -> QVariant {
      switch (column) {
        case 3:
          return int(ModelCode(text.toStdString()));
        case 4: {
          const IpBytes ip = ParseIpText(text.toStdString());
          return qulonglong(IpNumber(ip.data()));
        }
        default:
          return text;
      }
    };
    const auto sortedBy = [&](bool ascending) {
      const QStringList texts = ColumnTexts(grid, column);
      for (int i = 1; i < texts.size(); ++i) {
        const QPartialOrdering order = QVariant::compare(key(texts[i - 1]), key(texts[i]));
        if (order == (ascending ? QPartialOrdering::Greater : QPartialOrdering::Less)) return false;
      }
      return texts.size() == 41;
    };
    grid.ClickCell(0, column);
    QVERIFY(sortedBy(true));
    QVERIFY(grid.SortAscending());
    QCOMPARE(grid.SortColumn(), column);
    grid.ClickCell(0, column);
    QVERIFY(sortedBy(false));
    QVERIFY(!grid.SortAscending());
    // The page's own refresh keeps the order.
    page->RefreshPage();
    QVERIFY(sortedBy(false));
  }

  void directionAlternatesWhicheverColumnAndSomeColumnsDoNotSort() {
    auto page = Page(100);
    CGridCtrl& grid = *page->Grid();
    grid.ClickCell(0, 7);
    QVERIFY(grid.SortAscending());
    grid.ClickCell(0, 2);  // another column: the next click is descending
    QVERIFY(!grid.SortAscending());
    QCOMPARE(grid.SortColumn(), 2);
    for (int column : {1, 13}) {
      grid.ClickCell(0, column);
      QCOMPARE(grid.SortColumn(), 2);
      QVERIFY(!grid.SortAscending());
    }
  }

  void searchBoxFilters_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rows");
    QTest::newRow("address part") << QStringLiteral("10.77.3.") << 6;  // i % 7 == 2, i < 41
    QTest::newRow("status word") << QStringLiteral("Online") << 41;
    QTest::newRow("quote matched literally") << QStringLiteral("o'bri") << 1;
    QTest::newRow("nothing") << QStringLiteral("no such thing") << 0;
  }
  void searchBoxFilters() {
    QFETCH(QString, text);
    QFETCH(int, rows);
    auto page = Page(15);
    page->OnPagingMessage(3);
    page->SearchEdit()->setText(text);
    QCOMPARE(page->State().pageNumber, 1);
    QCOMPARE(page->StoredTotal(), rows);
    QCOMPARE(page->Grid()->GetRowCount(), 1 + std::min(rows, 15));
    for (const QString& ip : ColumnTexts(*page->Grid(), 4)) {
      if (text.startsWith(QStringLiteral("10."))) QVERIFY(ip.contains(text));
    }
  }

  void ticksSurviveARefresh() {
    auto page = Page(15);
    CGridCtrl& grid = *page->Grid();
    const QString kept = grid.GetItemText(2, 5);
    grid.ClickCell(2, 0);
    grid.ClickCell(5, 0);
    grid.ClickCell(5, 0);  // a second click clears it again
    page->RefreshPage();
    QVERIFY(grid.GetCheck(2, 0));
    QVERIFY(!grid.GetCheck(5, 0));
    QCOMPARE(page->CollectSelection().size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(page->CollectSelection()[0].mac), kept);

    // Sorted the other way the device is no longer listed, and its tick goes.
    grid.ClickCell(0, 4);
    QVERIFY(page->CollectSelection().empty());
    grid.ClickCell(0, 4);
    QVERIFY(page->CollectSelection().empty());

    // The header box ticks every row, then clears them.
    grid.ClickCell(0, 0);
    QCOMPARE(page->CollectSelection().size(), std::size_t(15));
    QVERIFY(grid.GetCheck(0, 0));
    grid.ClickCell(0, 0);
    QVERIFY(page->CollectSelection().empty());
  }

  void renameChecksTheNameByModel_data() {
    QTest::addColumn<bool>("strict");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QString strictMessage = QStringLiteral(
        "Device name maximum allowed 32 bytes, only support combination of Chinese, lowercase "
        "letters, 0-9 numbers");
    const QString otherMessage = QStringLiteral(
        "Device name maximum allowed 32 bytes, only support combination of Chinese, ASCII "
        "characters");
    QTest::newRow("strict model, a blank") << true << QStringLiteral("north mast") << strictMessage;
    QTest::newRow("strict model, a comma") << true << QStringLiteral("north,mast") << strictMessage;
    QTest::newRow("other model, too long")
        << false << QString(33, QLatin1Char('a')) << otherMessage;
    QTest::newRow("other model, not ASCII") << false << QStringLiteral("caf\u00e9") << otherMessage;
    QTest::newRow("empty: old name back, no message") << false << QString() << QString();
  }
  void renameChecksTheNameByModel() {
    QFETCH(bool, strict);
    QFETCH(QString, name);
    QFETCH(QString, message);
    auto page = Page(100);
    const MessageLog warnings;
    page->show();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    CGridCtrl& grid = *page->Grid();
    int row = 1;
    while (IsStrictNameModel(ModelCode(grid.GetItemText(row, 3).toStdString())) != strict) ++row;
    const QString old = grid.GetItemText(row, 2);

    grid.ClickCell(row, 2);
    auto* editor = grid.viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(name);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!grid.IsEditing());  // the delegate commits on the next turn of the loop
    QCOMPARE(grid.GetItemText(row, 2), old);
    QCOMPARE(warnings.Texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty()) QVERIFY(warnings.Messages()[0].icon == MessageIcon::kExclamation);
    QVERIFY(!page->IsCommandRefreshPending());
    QCOMPARE(grid.GetRowHeight(row), 48);
  }

  void aSearchLocksTheMenuAndTheAutomaticRefreshUntilItEnds() {
    CApplicationApp app = app_;
    CMenuDlg menu(app, nullptr);
    app.menu = &menu;
    CChildDlg container(
        app,
        [&app](int id, QWidget* parent) -> QWidget* {
          return id == kStatusPage ? new CStatusDlg(app, parent) : nullptr;
        },
        nullptr);
    auto* page = static_cast<CStatusDlg*>(container.Page(kStatusPage));
    page->SetTimerIntervals(1, 1);
    page->OnSearchButton();
    QVERIFY(!container.AutomaticRefresh());
    QVERIFY(!menu.Button(kManagementPage)->isEnabled());
    QVERIFY(!page->Grid()->isEnabled());
    QTRY_VERIFY(!page->IsSearching());
    QCOMPARE(page->SearchTicks(), CStatusDlg::kSearchTicks);
    QVERIFY(container.AutomaticRefresh());
    QVERIFY(menu.Button(kManagementPage)->isEnabled());
    QVERIFY(page->Grid()->isEnabled());
    // Stop ends a run early.
    page->SetTimerIntervals(1000, 1000);
    page->OnSearchButton();
    page->OnSearchButton();
    QVERIFY(!page->IsSearching());
    QVERIFY(container.AutomaticRefresh());
    // The paging control's choice comes back through the container.
    page->SetPageSize(15);
    page->Refresh(1);
    container.show();
    QVERIFY(QTest::qWaitForWindowExposed(&container));
    const std::vector<int>& labels = page->Paging()->Labels();
    const auto at = std::find(labels.begin(), labels.end(), 3);
    QVERIFY(at != labels.end());
    const QPoint centre = page->Paging()->ButtonRects()[at - labels.begin()].center();
    QTest::mouseClick(page->Paging(), Qt::LeftButton, {}, centre);
    QCOMPARE(page->State().pageNumber, 3);
    QCOMPARE(page->Grid()->GetItemText(1, 1), QStringLiteral("31"));
  }

  void withoutAStoreThePageIsEmpty() {
    CApplicationApp app;
    app.skin = app_.skin;
    CStatusDlg page(app, nullptr);
    page.Refresh(1);
    QCOMPARE(page.Grid()->GetRowCount(), 1);
    QCOMPARE(page.CountText()->text(), QStringLiteral("Online device count:0"));
  }
};

QTEST_MAIN(TestListPage)
#include "test_list_page.moc"
