#include "pages/status/status_dlg.h"

#include <QComboBox>
#include <QDesktopServices>

#include "app/application_app.h"
#include "app/child_dlg.h"
#include "app/menu_dlg.h"
#include "app/page_ids.h"
#include "controls/grid/grid_ctrl.h"
#include "controls/message_box.h"
#include "controls/t_button_picture.h"
#include "controls/t_edit.h"
#include "controls/t_picture.h"
#include "forms/check_message.h"
#include "forms/ip_settings/ip_set_multi_dlg.h"
#include "forms/rules/name_checks.h"
#include "forms/switches/switch_set_multi_dlg.h"
#include "i18n/window_translation.h"
#include "pages/status/status_senders.h"
#include "protocol/datagram.h"
#include "protocol/device_engine.h"
#include "settings/style_helpers.h"
#include "store/device_text.h"
#include "store/sql_management.h"

namespace {
constexpr ListColumn kStatusColumns[] = {
    {DeviceColumn::kCheckBox, "", 20, kUnsortable},
    {DeviceColumn::kSerial, TextKey("Serial"), 40, kUnsortable},
    {DeviceColumn::kName, TextKey("Location"), 90, 2},
    {DeviceColumn::kType, TextKey("Type"), 55, 3},
    {DeviceColumn::kIp, TextKey("IP"), 102, 1},
    {DeviceColumn::kMac, TextKey("MAC"), 112, 0},
    {DeviceColumn::kWorkMode, TextKey("OperationMode"), 66, 4},
    {DeviceColumn::kSsid, TextKey("SSID"), 100, 5},
    {DeviceColumn::kChannel, TextKey("Channel"), 65, 6},
    {DeviceColumn::kVersion, TextKey("Version"), 60, 9},
    {DeviceColumn::kTransparentBridge, TextKey("Transparent bridge"), 100, 10},
    {DeviceColumn::kTdma, TextKey("RV-SYNC"), 70, 11},
    {DeviceColumn::kUpTime, TextKey("Time"), 70, 12},
    {DeviceColumn::kOperate, TextKey("Operate"), 70, kUnsortable},
};
constexpr int kNameColumn = 2;
constexpr int kTypeColumn = 3;
constexpr int kMacColumn = 5;
constexpr int kOperateColumn = 13;
constexpr int kStatusDataColumn = 1;

CTButtonPicture* CommandButton(const CApplicationApp& app, QWidget* parent, const char* id,
                               const char* text, int x) {
  auto* button = new CTButtonPicture(parent);
  button->setObjectName(QString::fromLatin1(id));
  button->setGeometry(x, 10, 100, 34);
  button->SetImage(app.SkinFile(app.skin.searchButton));
  StyleButton(app.style, *button, Tr(text));
  return button;
}
}  // namespace

ListColumns StatusColumns() { return kStatusColumns; }

CStatusDlg::CStatusDlg(const CApplicationApp& app, QWidget* parent)
    : CListPageDlg(app, kStatusPage, 1015, kStatusColumns, kIpColumn, parent),
      searchButton_(CommandButton(app, this, "1003", TextKey("Search"), 10)),
      setIpButton_(CommandButton(app, this, "1004", TextKey("Set IP"), 120)),
      setBridgeButton_(CommandButton(app, this, "1005", TextKey("Set Bridge"), 230)),
      rvSyncButton_(CommandButton(app, this, "1006", TextKey("RV-SYNC"), 340)),
      animation_(new CTPicture(this)),
      openUrl_([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
  setObjectName(QStringLiteral("CStatusDlg"));
  connect(searchButton_, &QAbstractButton::clicked, this, &CStatusDlg::OnSearchButton);
  connect(setIpButton_, &QAbstractButton::clicked, this, &CStatusDlg::OnSetIpButton);
  connect(setBridgeButton_, &QAbstractButton::clicked, this, &CStatusDlg::OnSetBridgeButton);
  connect(rvSyncButton_, &QAbstractButton::clicked, this, &CStatusDlg::OnRvSyncButton);

  animation_->setObjectName(QStringLiteral("1138"));
  animation_->move(455, 12);
  animation_->LoadPicture(app.SkinFile(app.skin.waitSearch));
  animation_->hide();

  searchTimer_.setInterval(kSearchTickMs);
  connect(&searchTimer_, &QTimer::timeout, this, &CStatusDlg::OnSearchTick);
  commandRefresh_.setSingleShot(true);
  commandRefresh_.setInterval(kCommandRefreshMs);
  connect(&commandRefresh_, &QTimer::timeout, this, [this] { RefreshPage(); });

  connect(Grid(), &CGridCtrl::editBegun, this,
          [this](int row, int column) { oldName_ = Grid()->GetItemText(row, column); });
  connect(Grid(), &CGridCtrl::editEnded, this, &CStatusDlg::OnEditEnded);
}

CStatusDlg::~CStatusDlg() {
  searchTimer_.stop();
  WaitForSenders();
}

void CStatusDlg::WaitForSenders() {
  renameSender_.Wait();
  ipSender_.Wait();
  bridgeSender_.Wait();
  tdmaSender_.Wait();
}

void CStatusDlg::SetTimerIntervals(int searchTickMs, int commandRefreshMs) {
  searchTimer_.setInterval(searchTickMs);
  commandRefresh_.setInterval(commandRefreshMs);
}

std::vector<ap_info_stu> CStatusDlg::UnstoredRecords(const std::string& searchText,
                                                     int room) const {
  if (!app_.engine || room <= 0) return {};
  std::vector<ap_info_stu> announced = app_.engine->CopyAnnounced(searchText);
  if (static_cast<int>(announced.size()) > room) announced.resize(room);
  return announced;
}

void CStatusDlg::OnSearchButton() {
  if (searching_) {
    StopSearch();
  } else {
    StartSearch();
  }
}

void CStatusDlg::StartSearch() {
  searching_ = true;
  if (app_.engine) {
    app_.engine->ReleaseAnnounced();
    app_.engine->DropAnnounced();
    app_.engine->PurgeStale();
    app_.engine->SearchDevices();
  }
  ticks_ = 0;
  {
    // The cleared edit is one refresh of page 1, not two.
    const QSignalBlocker quiet(SearchEdit());
    SearchEdit()->clear();
  }
  SetSearchText(QString());
  animation_->show();
  animation_->Draw();
  searchButton_->setText(Tr("Stop"));
  LockForSearch(true);
  searchTimer_.start();
}

void CStatusDlg::StopSearch() {
  searchTimer_.stop();
  searching_ = false;
  animation_->hide();
  searchButton_->setText(Tr("Search"));
  LockForSearch(false);
  RefreshPage();
}

void CStatusDlg::LockForSearch(bool searching) {
  SearchEdit()->setEnabled(!searching);
  Grid()->setEnabled(!searching);
  PageSizeList()->setEnabled(!searching);
  if (app_.menu) app_.menu->EnableMenuButtons(!searching);
  if (app_.container) app_.container->SetAutomaticRefresh(!searching);
}

void CStatusDlg::OnSearchTick() {
  ++ticks_;
  if (ticks_ >= kSearchTicks) {
    StopSearch();
  } else if (ticks_ % kTicksPerSearch == 0) {
    if (app_.engine) app_.engine->SearchDevices();
    Refresh(1);
  }
}

void CStatusDlg::OnBodyClick(int row, int column) {
  const bool announced = Grid()->GetItemData(row, kStatusDataColumn) == kStatusAnnounced;
  if (column == kOperateColumn) {
    if (!announced) openUrl_(QUrl(QStringLiteral("http://") + Grid()->GetItemText(row, kIpColumn)));
    Grid()->SetEditable(false);
  } else {
    Grid()->SetEditable(column == kNameColumn && !announced);
  }
}

void CStatusDlg::OnEditEnded(int row, int column) {
  CGridCtrl& grid = *Grid();
  grid.SetEditable(false);
  const QString name = grid.GetItemText(row, column);
  if (column == kNameColumn && name != oldName_) {
    const uint16_t model = ModelCode(grid.GetItemText(row, kTypeColumn).toStdString());
    if (name.isEmpty()) {
      grid.SetItemText(row, column, oldName_);
    } else if (const CheckResult check = CheckDeviceName(name.toStdU16String(), model);
               !check.passed) {
      grid.SetItemText(row, column, oldName_);
      ShowCheckFailure(this, check);
    } else if (app_.engine) {
      const SelectedDevice device{grid.GetItemText(row, kIpColumn).toStdString(),
                                  grid.GetItemText(row, kMacColumn).toStdString(), model};
      renameSender_.Start([&engine = *app_.engine, device, localName = name.toStdString()] {
        SendRename(engine, device, localName);
      });
      commandRefresh_.start();
    }
  }
  grid.SetRowHeight(row, GridRowHeight);
}

void CStatusDlg::Warn(const char* key) {
  ShowMessage(this, {MessageIcon::kExclamation, QString(), Tr(key)});
}

ap_info_stu CStatusDlg::FirstSelectedRecord(const std::vector<SelectedDevice>& selection) const {
  ap_info_stu record{};
  if (app_.store && !app_.store->GetDevice(selection.front().mac, record)) record = ap_info_stu{};
  return record;
}

int CStatusDlg::RunForm(QDialog& form) {
  if (app_.container) app_.container->SetAutomaticRefresh(false);
  const int result = form.exec();
  if (app_.container) app_.container->SetAutomaticRefresh(true);
  RefreshPage();
  return result;
}

void CStatusDlg::OnSetIpButton() {
  const std::vector<SelectedDevice> selection = CollectSelection();
  if (selection.empty()) {
    Warn(TextKey("Please select the devices!"));
    return;
  }
  CDeviceEngine* engine = app_.engine;
  CountdownEngine searches;
  if (engine) {
    searches = {[engine] { engine->ReleaseAnnounced(); }, [engine] { engine->SearchDevices(); }};
  }
  CIpsetMutilDlg form(
      app_, selection.size(), IpBlockOf(FirstSelectedRecord(selection)),
      [this, engine, selection](const IpRangeSettings& settings) {
        if (!engine) return;
        ipSender_.Start(
            [engine, selection, settings] { SendIpRange(*engine, selection, settings); });
      },
      std::move(searches), this);
  RunForm(form);
}

void CStatusDlg::OnSetBridgeButton() {
  const std::vector<SelectedDevice> selection = CollectSelection(DeviceColumn::kTransparentBridge);
  if (selection.empty()) {
    Warn(TextKey("Please select configurable devices!"));
    return;
  }
  CBridgeSetMultiDlg form(app_, FirstSelectedRecord(selection).bridge_transparent, this);
  RunSwitchCommand(form, selection, kMsgSetTransparentBridge, SetTransparentBridgePayload,
                   bridgeSender_);
}

void CStatusDlg::OnRvSyncButton() {
  const std::vector<SelectedDevice> selection = CollectSelection(DeviceColumn::kTdma);
  if (selection.empty()) {
    Warn(TextKey("Please select configurable devices!"));
    return;
  }
  CRvsyncenSetMultiDlg form(app_, FirstSelectedRecord(selection).tdmaEn, this);
  RunSwitchCommand(form, selection, kMsgSetTdma, SetTdmaPayload, tdmaSender_);
}

void CStatusDlg::RunSwitchCommand(CSwitchSetMultiDlg& form,
                                  const std::vector<SelectedDevice>& selection, uint16_t type,
                                  CommandPayload (*payload)(bool on), CSenderSlot& sender) {
  if (RunForm(form) != QDialog::Accepted || !app_.engine) return;
  sender.Start(
      [this, &engine = *app_.engine, selection, type, message = payload(form.Value() != 0)] {
        SendSwitch(engine, selection, type, message);
        // The refresh timer lives on the user-interface thread.
        QMetaObject::invokeMethod(
            this, [this] { commandRefresh_.start(); }, Qt::QueuedConnection);
      });
}
