// The Status page's Set IP, Set Bridge and RV-SYNC end to end: the real
// engine and store in the program's namespace, devsim's devices in the
// other, the forms driven while they are open. Needs root for the
// namespaces; skips without it.

#include <QApplication>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <set>
#include <string_view>

#include "controls/grid/grid_ctrl.h"
#include "controls/t_button_picture.h"
#include "controls/t_ip_address_ctrl.h"
#include "forms/ip_settings/ip_set_multi_dlg.h"
#include "forms/switches/switch_set_multi_dlg.h"
#include "message_log.h"
#include "status_page_bed.h"
#include "store/device_text.h"

namespace {
// Devices 0 to 2 have both switches, device 3 (a strict model) neither,
// device 4 only the transparent bridge.
constexpr const char* kDeviceFile =
    "[device]\nmodel = 6\nip = 10.77.1.10\n"
    "[device]\nmodel = 8\nip = 10.77.1.11\n"
    "[device]\nmodel = 9\nip = 10.77.1.12\n"
    "[device]\nmodel = 4\nip = 10.77.1.13\n"
    "[device]\nmodel = 2\nip = 10.77.1.14\n";
constexpr const char* kCommonKeys =
    "mask = 255.255.0.0\ngateway = 10.77.0.1\nwork_mode = 1\ntdma = 0\nbridge_transparent = 0\n";
constexpr int kDevices = 5;
constexpr int kMacColumn = 5;
}  // namespace

class TestStatusCommands : public QObject {
  Q_OBJECT

  StatusPageBed bed_;

  std::string Mac(int i) const { return MacAddressText(bed_.devices[i].mac); }

  // Ticks exactly the rows of the given devices.
  void Tick(const std::set<int>& which) {
    bed_.page->Refresh(1);
    std::set<std::string> macs;
    for (int i : which) macs.insert(Mac(i));
    CGridCtrl& grid = *bed_.page->Grid();
    for (int row = 1; row < grid.GetRowCount(); ++row) {
      grid.SetCheck(row, 0, macs.count(grid.GetItemText(row, kMacColumn).toStdString()) != 0);
    }
  }

  // Runs `act` on the form of type Form once it is open; a form of another
  // type, or none within 5 s, is a failure and is closed.
  template <typename Form>
  void WhenOpen(std::function<void(Form&)> act) {
    auto* poll = new QTimer(this);
    auto waited = std::make_shared<int>(0);
    connect(poll, &QTimer::timeout, this, [this, poll, waited, act] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* form = qobject_cast<Form*>(modal)) {
        poll->deleteLater();
        poll->stop();
        act(*form);
      } else if (modal || ++*waited > 500) {
        poll->deleteLater();
        poll->stop();
        unexpected_ = true;
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
      }
    });
    poll->start(10);
  }
  bool unexpected_ = false;

  std::vector<std::string> LoggedLines(const std::string& type) {
    std::vector<std::string> lines;
    for (const std::string& line : bed_.devsim->TakeLog()) {
      if (line.rfind("rx " + type + " ", 0) == 0) lines.push_back(line.substr(4 + type.size(), 17));
    }
    return lines;
  }

 private slots:
  void initTestCase() {
    if (!RunningAsRoot()) QSKIP("the Status page end-to-end tests need root (network namespaces)");
    std::string file;
    for (std::string_view rest = kDeviceFile; !rest.empty();) {
      const std::size_t next = rest.find("[device]", 1);
      file += std::string(rest.substr(0, next)) + kCommonKeys;
      rest = next == std::string_view::npos ? std::string_view() : rest.substr(next);
    }
    std::string error;
    QVERIFY2(bed_.Up("gcommand", file, {"--log", "--restart-time", "300"}, error), error.c_str());
    QCOMPARE(int(bed_.devices.size()), kDevices);
    bed_.page->SetTimerIntervals(100, 50);
    bed_.page->show();
    QVERIFY(QTest::qWaitForWindowExposed(bed_.page.get()));
    QTRY_VERIFY_WITH_TIMEOUT(
        (bed_.engine->SearchDevices(), bed_.page->Refresh(1), bed_.page->StoredTotal() == kDevices),
        10000);
  }

  void cleanupTestCase() { bed_.Down(); }

  void commandsNeedTickedConfigurableDevices() {
    const MessageLog shown;
    // A form opening here would be a fault: close it and remember.
    bool formOpened = false;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
      if (auto* form = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        formOpened = true;
        form->reject();
      }
    });
    watcher.start(10);
    Tick({});
    bed_.page->OnSetIpButton();
    bed_.page->OnSetBridgeButton();
    bed_.page->OnRvSyncButton();
    Tick({3});  // neither switch
    bed_.page->OnSetBridgeButton();
    Tick({3, 4});  // no RV-SYNC on either
    bed_.page->OnRvSyncButton();
    watcher.stop();
    QVERIFY(!formOpened);
    QCOMPARE(shown.Texts(), (QStringList{QStringLiteral("Please select the devices!"),
                                         QStringLiteral("Please select configurable devices!"),
                                         QStringLiteral("Please select configurable devices!"),
                                         QStringLiteral("Please select configurable devices!"),
                                         QStringLiteral("Please select configurable devices!")}));
    for (const ShownMessage& message : shown.Messages()) {
      QVERIFY(message.icon == MessageIcon::kExclamation);
    }
  }

  void rvSyncOnSendsSetTdmaToEveryCapableDevice() {
    Tick({0, 1, 2, 4});  // device 4 has no RV-SYNC and is left out
    const std::vector<SelectedDevice> selection = bed_.page->CollectSelection(DeviceColumn::kTdma);
    QCOMPARE(selection.size(), std::size_t(3));
    bed_.devsim->TakeLog();
    bool wasOff = false;
    WhenOpen<CRvsyncenSetMultiDlg>([&](CRvsyncenSetMultiDlg& form) {
      wasOff = form.DisableButton()->isChecked();
      QTest::mouseClick(form.EnableButton(), Qt::LeftButton);
      QTest::mouseClick(form.SaveButton(), Qt::LeftButton);
    });
    bed_.page->OnRvSyncButton();
    QVERIFY(!unexpected_);
    QVERIFY(wasOff);
    bed_.page->WaitForSenders();
    QTRY_VERIFY_WITH_TIMEOUT(bed_.page->IsCommandRefreshPending(), 2000);

    std::vector<std::string> expected;
    for (const SelectedDevice& device : selection) expected.push_back(device.mac);
    std::vector<std::string> sent;
    QTRY_VERIFY_WITH_TIMEOUT(
        (std::ranges::move(LoggedLines("set_tdma"), std::back_inserter(sent)), sent.size() >= 3),
        5000);
    QCOMPARE(sent, expected);
    // The devices took byte 1 as the switch; the bridge switch stayed off.
    for (int i : {0, 1, 2}) {
      const auto shown = ParseNumberFields(bed_.devsim->Control("show " + Mac(i)));
      QCOMPARE(shown.at("tdma"), 1L);
      QCOMPARE(shown.at("transparent_bridge"), 0L);
    }
    QCOMPARE(ParseNumberFields(bed_.devsim->Control("show " + Mac(4))).count("set_tdma"), 0u);
  }

  void setBridgeSendsToTheDevicesWithTheSwitch() {
    Tick({3, 4, 1});  // device 3 has no transparent bridge
    bed_.devsim->TakeLog();
    WhenOpen<CBridgeSetMultiDlg>([](CBridgeSetMultiDlg& form) {
      QTest::mouseClick(form.EnableButton(), Qt::LeftButton);
      QTest::mouseClick(form.SaveButton(), Qt::LeftButton);
    });
    bed_.page->OnSetBridgeButton();
    QVERIFY(!unexpected_);
    bed_.page->WaitForSenders();
    std::vector<std::string> sent;
    QTRY_VERIFY_WITH_TIMEOUT(
        (std::ranges::move(LoggedLines("set_transparent_bridge"), std::back_inserter(sent)),
         sent.size() >= 2),
        5000);
    QCOMPARE(std::set<std::string>(sent.begin(), sent.end()),
             (std::set<std::string>{Mac(1), Mac(4)}));
    QCOMPARE(ParseNumberFields(bed_.devsim->Control("show " + Mac(4))).at("transparent_bridge"),
             1L);
  }

  void setIpGivesConsecutiveAddressesAcrossA255Boundary() {
    Tick({0, 1, 2});
    const std::vector<SelectedDevice> selection = bed_.page->CollectSelection();
    QCOMPARE(selection.size(), std::size_t(3));
    QString firstShown;
    WhenOpen<CIpsetMutilDlg>([&](CIpsetMutilDlg& form) {
      firstShown = form.FirstAddress()->Text();
      form.SetTickInterval(100);
      form.FirstAddress()->SetText(QStringLiteral("10.77.3.254"));
      form.LastAddress()->SetText(QStringLiteral("10.77.4.2"));
      QTest::mouseClick(form.SaveButton(), Qt::LeftButton);
    });
    bed_.page->OnSetIpButton();  // returns when the form's progress is over
    QVERIFY(!unexpected_);
    QCOMPARE(firstShown.toStdString(), selection[0].ip);

    // The form's own searches found them at their new addresses: no search here.
    const char* expected[] = {"10.77.3.254", "10.77.4.1", "10.77.4.2"};
    for (std::size_t i = 0; i < selection.size(); ++i) {
      ap_info_stu stored{};
      QTRY_VERIFY_WITH_TIMEOUT(
          bed_.store->GetDevice(selection[i].mac, stored) && IpText(stored.ip) == expected[i],
          3000);
    }
    bed_.page->Refresh(1);
    QCOMPARE(bed_.page->StoredTotal(), kDevices);
    CGridCtrl& grid = *bed_.page->Grid();
    for (std::size_t i = 0; i < selection.size(); ++i) {
      int row = 1;
      while (row < grid.GetRowCount() &&
             grid.GetItemText(row, kMacColumn).toStdString() != selection[i].mac) {
        ++row;
      }
      QVERIFY(row < grid.GetRowCount());
      QCOMPARE(grid.GetItemText(row, 4), QString::fromLatin1(expected[i]));
    }
  }
};

QTEST_MAIN(TestStatusCommands)
#include "test_status_commands.moc"
