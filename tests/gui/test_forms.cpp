// The Status page's command forms on their own: the address entry, the
// multi-device IP form (its layouts, a failing check that keeps the form as
// it was, the hand-over to the sender and the progress with its searches)
// and the two switch forms.

#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "app/application_app.h"
#include "controls/t_button_picture.h"
#include "controls/t_ip_address_ctrl.h"
#include "controls/t_static.h"
#include "forms/ip_settings/ip_set_multi_dlg.h"
#include "forms/switches/switch_set_multi_dlg.h"
#include "i18n/window_translation.h"
#include "message_log.h"

namespace {
IpBytes Ip(const char* text) { return ParseIpText(text); }

IpBlock FirstDeviceBlock() {
  IpBlock block;
  block.ip_mode = 1;
  block.ip = Ip("192.168.1.20");
  block.mask = Ip("255.255.0.0");
  block.gateway = Ip("192.168.0.1");
  block.dns1 = Ip("8.8.8.8");
  block.dns2 = Ip("0.0.0.0");
  return block;
}
}  // namespace

class TestForms : public QObject {
  Q_OBJECT

  CApplicationApp app_;
  std::vector<IpRangeSettings> handedOver_;
  QList<int> releasedAt_;
  QList<int> searchedAt_;
  CIpsetMutilDlg* current_ = nullptr;

  std::unique_ptr<CIpsetMutilDlg> IpForm(std::size_t devices) {
    handedOver_.clear();
    releasedAt_.clear();
    searchedAt_.clear();
    auto form = std::make_unique<CIpsetMutilDlg>(
        app_, devices, FirstDeviceBlock(),
        [this](const IpRangeSettings& settings) { handedOver_.push_back(settings); },
        CountdownEngine{[this] { releasedAt_ << current_->Countdown().CurrentTick(); },
                        [this] { searchedAt_ << current_->Countdown().CurrentTick(); }},
        nullptr);
    current_ = form.get();
    return form;
  }

 private slots:
  void addressEntry_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing typed is blank") << QString() << QString();
    QTest::newRow("a whole address")
        << QStringLiteral("192.168.1.2") << QStringLiteral("192.168.1.2");
    QTest::newRow("three digits move on")
        << QStringLiteral("10010020030") << QStringLiteral("100.100.200.30");
    QTest::newRow("empty fields count as 0")
        << QStringLiteral("10.1") << QStringLiteral("10.1.0.0");
    QTest::newRow("a number above 255 is 255")
        << QStringLiteral("300.1.1.1") << QStringLiteral("255.1.1.1");
    QTest::newRow("letters are refused")
        << QStringLiteral("1a.2b.3c.4d") << QStringLiteral("1.2.3.4");
  }
  void addressEntry() {
    QFETCH(QString, typed);
    QFETCH(QString, text);
    CTIpAddressCtrl entry;
    entry.show();
    QVERIFY(QTest::qWaitForWindowExposed(&entry));
    entry.Field(0)->setFocus();
    for (const QChar c : typed) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    QCOMPARE(entry.Text(), text);
  }

  void addressEntryBackspaceAndSetText() {
    CTIpAddressCtrl entry;
    entry.show();
    QVERIFY(QTest::qWaitForWindowExposed(&entry));
    entry.SetText(QStringLiteral("10.77.1.254"));
    QCOMPARE(entry.Text(), QStringLiteral("10.77.1.254"));
    entry.Field(1)->setFocus();
    entry.Field(1)->clear();
    QTest::keyClick(entry.Field(1), Qt::Key_Backspace);
    QCOMPARE(QApplication::focusWidget(), entry.Field(0));
    entry.SetText(QStringLiteral("1.2.3"));
    QCOMPARE(entry.Text(), QString());
    entry.SetText(QStringLiteral("1.2.3.256"));
    QCOMPARE(entry.Text(), QString());
  }

  void ipFormStartsFromTheFirstDevice() {
    auto form = IpForm(3);
    QCOMPARE(form->FirstAddress()->Text(), QStringLiteral("192.168.1.20"));
    QCOMPARE(form->LastAddress()->Text(), QString());
    QCOMPARE(form->Mask()->Text(), QStringLiteral("255.255.0.0"));
    QCOMPARE(form->Gateway()->Text(), QStringLiteral("192.168.0.1"));
    QCOMPARE(form->PrimaryDns()->Text(), QStringLiteral("8.8.8.8"));
    QCOMPARE(form->SecondaryDns()->Text(), QStringLiteral("0.0.0.0"));
    QCOMPARE(form->FirstLabel()->text(), Tr("IP_Address_Begin"));
    QVERIFY(!form->LastLabel()->isHidden());
    QVERIFY(!form->LastAddress()->isHidden());
    QVERIFY(form->Progress()->isHidden());
    QCOMPARE(form->Title()->text(), Tr("Set IP"));
  }

  void ipFormForOneDeviceAsksOnlyForTheAddress() {
    auto many = IpForm(2);
    auto one = IpForm(1);
    QVERIFY(one->LastLabel()->isHidden());
    QVERIFY(one->LastAddress()->isHidden());
    QCOMPARE(one->FirstLabel()->text(), Tr("IP_Address"));
    // The freed row is closed up: the mask follows the address directly.
    QCOMPARE(one->Mask()->y() - one->FirstAddress()->y(),
             many->LastAddress()->y() - many->FirstAddress()->y());
    QCOMPARE(one->SaveButton()->y(),
             many->SaveButton()->y() - (many->Mask()->y() - one->Mask()->y()));
    QVERIFY(one->height() < many->height());

    // The blank last address is not looked at.
    one->OnSave();
    QCOMPARE(handedOver_.size(), std::size_t(1));
    QCOMPARE(handedOver_[0].first, Ip("192.168.1.20"));
    QCOMPARE(handedOver_[0].last, Ip("192.168.1.20"));
  }

  void failingCheckKeepsTheFormAsItWas_data() {
    QTest::addColumn<int>("devices");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<QString>("message");
    QTest::newRow("first ends in 255") << 3 << "192.168.1.255"
                                       << "192.168.2.9"
                                       << "192.168.0.1"
                                       << "The ip address is invalid!";
    QTest::newRow("last blank") << 3 << "192.168.1.20"
                                << ""
                                << "192.168.0.1"
                                << "The ip address is invalid!";
    QTest::newRow("last below first") << 2 << "192.168.1.20"
                                      << "192.168.1.19"
                                      << "192.168.0.1"
                                      << "The ip address is invalid!";
    QTest::newRow("last is the gateway")
        << 2 << "192.168.1.20"
        << "192.168.3.1"
        << "192.168.3.1"
        << "The ip address and gateway address cannot be the same!";
    QTest::newRow("range leaves the gateway's subnet")
        << 2 << "192.168.1.20"
        << "192.169.1.1"
        << "192.168.0.1"
        << "Ip address and gateway address is not in the same subnet!";
  }
  void failingCheckKeepsTheFormAsItWas() {
    QFETCH(int, devices);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QString, gateway);
    QFETCH(QString, message);
    auto form = IpForm(devices);
    form->show();
    QSignalSpy finished(form.get(), &QDialog::finished);
    form->FirstAddress()->SetText(first);
    form->LastAddress()->SetText(last);
    form->Gateway()->SetText(gateway);
    const MessageLog shown;
    QTest::mouseClick(form->SaveButton(), Qt::LeftButton);
    QCOMPARE(shown.Texts(), QStringList{message});
    QVERIFY(shown.Messages()[0].icon == MessageIcon::kNone);
    QCOMPARE(shown.Messages()[0].caption, QStringLiteral(APP_PROGRAM_NAME));
    QVERIFY(handedOver_.empty());
    QVERIFY(form->isVisible());
    QCOMPARE(finished.size(), 0);
    QVERIFY(!form->IsSending());
    QVERIFY(form->Progress()->isHidden());
    QVERIFY(form->FirstAddress()->isEnabled());
    QVERIFY(form->SaveButton()->isEnabled());
    QCOMPARE(form->FirstAddress()->Text(), first);
    QCOMPARE(form->LastAddress()->Text(), last);
    QCOMPARE(form->Gateway()->Text(), gateway);
  }

  void saveHandsOverAndSearchesAtTicks18To30() {
    auto form = IpForm(3);
    form->show();
    QSignalSpy accepted(form.get(), &QDialog::accepted);
    form->FirstAddress()->SetText(QStringLiteral("192.168.1.254"));
    form->LastAddress()->SetText(QStringLiteral("192.168.2.2"));
    form->SecondaryDns()->Clear();
    form->SetTickInterval(3600 * 1000);  // the test steps the ticks itself
    QTest::mouseClick(form->SaveButton(), Qt::LeftButton);

    QCOMPARE(handedOver_.size(), std::size_t(1));
    const IpRangeSettings& settings = handedOver_[0];
    QCOMPARE(settings.first, Ip("192.168.1.254"));
    QCOMPARE(settings.last, Ip("192.168.2.2"));
    QCOMPARE(settings.mask, Ip("255.255.0.0"));
    QCOMPARE(settings.gateway, Ip("192.168.0.1"));
    QCOMPARE(settings.primaryDns, Ip("8.8.8.8"));
    QCOMPARE(settings.secondaryDns, Ip("0.0.0.0"));

    QVERIFY(form->IsSending());
    for (CTIpAddressCtrl* field : {form->FirstAddress(), form->LastAddress(), form->Mask(),
                                   form->Gateway(), form->PrimaryDns(), form->SecondaryDns()}) {
      QVERIFY(!field->isEnabled());
    }
    QVERIFY(!form->SaveButton()->isEnabled());
    QVERIFY(!form->CancelButton()->isEnabled());
    QVERIFY(form->CloseButton()->isEnabled());
    QVERIFY(form->Progress()->isVisible());
    QCOMPARE(form->Progress()->minimum(), 0);
    QCOMPARE(form->Progress()->maximum(), 30);
    QCOMPARE(form->Progress()->value(), 0);

    // A second Save while sending hands over nothing.
    form->OnSave();
    QCOMPARE(handedOver_.size(), std::size_t(1));

    int steps = 0;
    while (accepted.isEmpty() && steps < 100) {
      form->Tick();
      ++steps;
      QCOMPARE(form->Progress()->value(), form->Countdown().CurrentTick());
    }
    QCOMPARE(steps, 29);
    QCOMPARE(releasedAt_, QList<int>{18});
    QCOMPARE(searchedAt_, (QList<int>{18, 24, 30}));
    QCOMPARE(form->Progress()->value(), 30);
    QCOMPARE(form->result(), int(QDialog::Accepted));
    QVERIFY(!form->IsSending());
  }

  void closingDuringTheProgressEndsTheSearches() {
    auto form = IpForm(2);
    form->show();
    form->LastAddress()->SetText(QStringLiteral("192.168.1.30"));
    form->SetTickInterval(3600 * 1000);
    form->OnSave();
    QVERIFY(form->IsSending());
    QTest::mouseClick(form->CloseButton(), Qt::LeftButton);
    QCOMPARE(form->result(), int(QDialog::Rejected));
    QVERIFY(!form->IsSending());
    QVERIFY(searchedAt_.isEmpty());
  }

  void switchForms_data() {
    QTest::addColumn<bool>("bridge");
    QTest::addColumn<int>("value");
    QTest::newRow("Set Bridge, on") << true << 1;
    QTest::newRow("Set Bridge, off") << true << 0;
    QTest::newRow("RV-SYNC, on") << false << 1;
    QTest::newRow("RV-SYNC, off") << false << 0;
  }
  void switchForms() {
    QFETCH(bool, bridge);
    QFETCH(int, value);
    auto make = [&]() -> std::unique_ptr<CSwitchSetMultiDlg> {
      if (bridge) return std::make_unique<CBridgeSetMultiDlg>(app_, uint8_t(value), nullptr);
      return std::make_unique<CRvsyncenSetMultiDlg>(app_, uint8_t(value), nullptr);
    };
    auto form = make();
    QCOMPARE(form->Title()->text(), Tr(bridge ? "Set Bridge" : "RV-SYNC"));
    QCOMPARE(form->EnableButton()->isChecked(), value == 1);
    QCOMPARE(form->DisableButton()->isChecked(), value == 0);
    QCOMPARE(form->Value(), uint8_t(value));
    form->show();
    QTest::mouseClick(value == 1 ? form->DisableButton() : form->EnableButton(), Qt::LeftButton);
    QCOMPARE(form->Value(), uint8_t(1 - value));
    QTest::mouseClick(form->SaveButton(), Qt::LeftButton);
    QCOMPARE(form->result(), int(QDialog::Accepted));
    QCOMPARE(form->Value(), uint8_t(1 - value));

    for (const bool viaClose : {false, true}) {
      auto other = make();
      other->show();
      QTest::mouseClick(viaClose ? other->CloseButton() : other->CancelButton(), Qt::LeftButton);
      QCOMPARE(other->result(), int(QDialog::Rejected));
    }
  }
};

QTEST_MAIN(TestForms)
#include "test_forms.moc"
