#include "forms/ip_settings/ip_set_multi_dlg.h"

#include <QProgressBar>

#include "controls/t_button_picture.h"
#include "controls/t_ip_address_ctrl.h"
#include "controls/t_static.h"
#include "forms/check_message.h"
#include "forms/rules/address_rules.h"
#include "forms/rules/ip_checks.h"
#include "i18n/window_translation.h"

namespace {
constexpr int kWidth = 360;
constexpr int kRowTop = CConfigFormDlg::kTitleHeight + 20;
constexpr int kRowPitch = 34;
constexpr int kRowHeight = 24;
constexpr int kProgressTop = kRowTop + 6 * kRowPitch;
constexpr int kButtonTop = kProgressTop + 30;
constexpr int kHeight = kButtonTop + 46;

struct RowSpec {
  int labelId;
  const char* labelKey;
  int fieldId;
};
constexpr RowSpec kRowSpecs[] = {
    {0, TextKey("IP_Address_Begin"), 1153}, {0, TextKey("IP_Address_End"), 1154},
    {0, TextKey("Sub_Network"), 1042},      {0, TextKey("Gate_Way"), 1043},
    {0, TextKey("Major_Dns"), 1044},        {0, TextKey("Dns"), 1045},
};

QString AddressText(const IpBytes& ip) { return QString::fromStdString(IpText(ip.data())); }
}  // namespace

CIpsetMutilDlg::CIpsetMutilDlg(const CApplicationApp& app, std::size_t deviceCount,
                               const IpBlock& initial, SenderStart startSender,
                               CountdownEngine engine, QWidget* parent)
    : CConfigFormDlg(app, TextKey("Set IP"), 1020, QSize(kWidth, kHeight), parent),
      deviceCount_(deviceCount),
      startSender_(std::move(startSender)),
      progress_(new QProgressBar(this)),
      save_(AddTextButton(1001, TextKey("Save"), QRect(70, kButtonTop, 90, 28))),
      cancel_(AddTextButton(1027, TextKey("Cancel"), QRect(200, kButtonTop, 90, 28))),
      countdown_(kSeconds, true, kSearches, std::move(engine)) {
  setObjectName(QStringLiteral("CIpsetMutilDlg"));
  for (int row = 0; row < kRows; ++row) {
    const int top = kRowTop + row * kRowPitch;
    labels_[row] =
        AddLabel(kRowSpecs[row].labelId, kRowSpecs[row].labelKey, QRect(24, top, 140, kRowHeight));
    fields_[row] = new CTIpAddressCtrl(this);
    fields_[row]->setObjectName(ControlName(kRowSpecs[row].fieldId));
    fields_[row]->setGeometry(170, top, 166, kRowHeight);
  }
  fields_[kFirst]->SetText(AddressText(initial.ip));
  fields_[kMask]->SetText(AddressText(initial.mask));
  fields_[kGateway]->SetText(AddressText(initial.gateway));
  fields_[kPrimaryDns]->SetText(AddressText(initial.dns1));
  fields_[kSecondaryDns]->SetText(AddressText(initial.dns2));

  progress_->setObjectName(ControlName(1136));
  progress_->setGeometry(24, kProgressTop, kWidth - 48, 16);
  progress_->setTextVisible(false);
  progress_->hide();

  connect(save_, &QAbstractButton::clicked, this, &CIpsetMutilDlg::OnSave);
  connect(cancel_, &QAbstractButton::clicked, this, &QDialog::reject);
  timer_.setInterval(SearchCountdown::kTickMs);
  connect(&timer_, &QTimer::timeout, this, &CIpsetMutilDlg::Tick);
  // Closing the form ends the searches still to come; the sender runs on.
  connect(this, &QDialog::finished, &timer_, &QTimer::stop);

  TranslateWindow(this);
  if (deviceCount_ == 1) CloseUpLastRow();
}

void CIpsetMutilDlg::CloseUpLastRow() {
  labels_[kLast]->hide();
  fields_[kLast]->hide();
  labels_[kFirst]->setText(Tr("IP_Address"));
  for (QWidget* widget : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (widget->y() > fields_[kLast]->y()) widget->move(widget->x(), widget->y() - kRowPitch);
  }
  setFixedSize(kWidth, kHeight - kRowPitch);
}

void CIpsetMutilDlg::OnSave() {
  if (IsSending()) return;
  std::array<std::u16string, kRows> texts;
  for (int row = 0; row < kRows; ++row) texts[row] = fields_[row]->Text().toStdU16String();
  const CheckResult check =
      CheckIpRange({texts[kFirst], texts[kLast], texts[kMask], texts[kGateway], texts[kPrimaryDns],
                    texts[kSecondaryDns]},
                   deviceCount_);
  if (!check.passed) {
    ShowCheckFailure(this, check);
    return;
  }
  // The check passed, so every text is blank (all zero) or a valid address.
  std::array<IpBytes, kRows> addresses{};
  for (int row = 0; row < kRows; ++row) {
    addresses[row] = ParseAddressText(texts[row]).value_or(IpBytes{});
  }
  if (deviceCount_ < 2) addresses[kLast] = addresses[kFirst];
  if (startSender_) {
    startSender_({addresses[kFirst], addresses[kLast], addresses[kMask], addresses[kGateway],
                  addresses[kPrimaryDns], addresses[kSecondaryDns]});
  }

  SetLocked(true);
  countdown_.Reset();
  progress_->setRange(0, countdown_.TotalTicks());
  progress_->setValue(0);
  progress_->show();
  timer_.start();
}

void CIpsetMutilDlg::SetLocked(bool locked) {
  for (CTIpAddressCtrl* field : fields_) field->setEnabled(!locked);
  save_->setEnabled(!locked);
  cancel_->setEnabled(!locked);
}

void CIpsetMutilDlg::Tick() {
  if (countdown_.IsFinished()) return;
  const bool finished = countdown_.Advance();
  progress_->setValue(countdown_.CurrentTick());
  if (finished) {
    timer_.stop();
    accept();
  }
}
