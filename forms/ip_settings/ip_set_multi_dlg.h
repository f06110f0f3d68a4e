#pragma once
// CIpsetMutilDlg: the multi-device IP form of the Status page's Set IP. It
// takes a range of addresses (first to last) and the mask, gateway and DNS
// servers every selected device gets, one consecutive address per device.
// With one device only the first address is asked for.
//
// Save runs the IP range check; a failure shows its message and leaves the
// form as it was. Otherwise the form hands the six addresses to the page's
// sender, locks its fields and runs a 15-second progress with searches at
// ticks 18, 24 and 30 (announced devices released before the first), so the
// devices show at their new addresses when it closes as accepted. The close
// button ends the form, and the searches still to come, at any time.
//
// The sender callback and the engine callables must outlive the form.
// User-interface thread only.

#include <QTimer>
#include <array>
#include <cstddef>
#include <functional>

#include "forms/config_form_dlg.h"
#include "forms/ip_settings/ip_range_settings.h"
#include "protocol/command_payloads.h"
#include "util/search_countdown.h"

class CTIpAddressCtrl;
class CTStatic;
class QProgressBar;

class CIpsetMutilDlg : public CConfigFormDlg {
  Q_OBJECT
 public:
  static constexpr int kSeconds = 15;
  static constexpr int kSearches = 3;

  using SenderStart = std::function<void(const IpRangeSettings&)>;

  // `initial` is the first selected device's IP block: the first address,
  // mask, gateway and DNS start from it, the last address starts blank.
  CIpsetMutilDlg(const CApplicationApp& app, std::size_t deviceCount, const IpBlock& initial,
                 SenderStart startSender, CountdownEngine engine, QWidget* parent);

  void OnSave();
  // One progress tick; the 500 ms timer calls it.
  void Tick();
  // Test seam: the progress timer's period.
  void SetTickInterval(int milliseconds) { timer_.setInterval(milliseconds); }

  bool IsSending() const { return timer_.isActive(); }
  const SearchCountdown& Countdown() const { return countdown_; }
  CTIpAddressCtrl* FirstAddress() const { return fields_[kFirst]; }
  CTIpAddressCtrl* LastAddress() const { return fields_[kLast]; }
  CTIpAddressCtrl* Mask() const { return fields_[kMask]; }
  CTIpAddressCtrl* Gateway() const { return fields_[kGateway]; }
  CTIpAddressCtrl* PrimaryDns() const { return fields_[kPrimaryDns]; }
  CTIpAddressCtrl* SecondaryDns() const { return fields_[kSecondaryDns]; }
  CTStatic* FirstLabel() const { return labels_[kFirst]; }
  CTStatic* LastLabel() const { return labels_[kLast]; }
  QProgressBar* Progress() const { return progress_; }
  CTButtonPicture* SaveButton() const { return save_; }
  CTButtonPicture* CancelButton() const { return cancel_; }

 private:
  enum Row { kFirst, kLast, kMask, kGateway, kPrimaryDns, kSecondaryDns, kRows };

  void CloseUpLastRow();
  void SetLocked(bool locked);

  std::size_t deviceCount_;
  SenderStart startSender_;
  std::array<CTStatic*, kRows> labels_{};
  std::array<CTIpAddressCtrl*, kRows> fields_{};
  QProgressBar* progress_;
  CTButtonPicture* save_;
  CTButtonPicture* cancel_;
  QTimer timer_;
  SearchCountdown countdown_;
};
