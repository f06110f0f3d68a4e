#pragma once
// CStatusDlg: the Status page. The device list with the device name editable
// in place and a picture that opens the device's web page, plus the device
// search: Search starts a 30-second run that broadcasts a search and
// refreshes the list every 3 s, with the menu and the container's automatic
// refresh locked until it ends or Stop is pressed. Devices that have only
// announced themselves follow the stored ones on the last page, in the
// offline colour.
//
// Set IP, Set Bridge and RV-SYNC act on the ticked devices: Set IP opens the
// multi-device IP form, the other two the switch forms (devices without that
// switch are left out). Each command's datagrams go out from a sender thread
// of its own kind; the switches refresh the list 2 s after sending.
//
// Talks to the engine and store of the application object; owns its widgets
// and its sender threads, which it joins when it closes. User-interface
// thread only.

#include <QTimer>
#include <QUrl>
#include <functional>

#include "pages/list_page/list_page_dlg.h"
#include "pages/status/sender_slot.h"
#include "protocol/command_payloads.h"

class CTPicture;
class CSwitchSetMultiDlg;

class CStatusDlg : public CListPageDlg {
  Q_OBJECT
 public:
  static constexpr int kSearchTickMs = 1000;
  static constexpr int kSearchTicks = 30;
  static constexpr int kTicksPerSearch = 3;
  static constexpr int kCommandRefreshMs = 2000;
  static constexpr int kIpColumn = 4;

  // Opens a web address; the default is the desktop's browser.
  using UrlOpener = std::function<void(const QUrl&)>;

  CStatusDlg(const CApplicationApp& app, QWidget* parent);
  ~CStatusDlg() override;

  // Search button: starts a search, or stops the one running.
  void OnSearchButton();
  bool IsSearching() const { return searching_; }
  int SearchTicks() const { return ticks_; }

  // The command buttons; each opens its form modally.
  void OnSetIpButton();
  void OnSetBridgeButton();
  void OnRvSyncButton();

  void SetUrlOpener(UrlOpener opener) { openUrl_ = std::move(opener); }
  // Test seams for the search tick and the refresh after a command.
  void SetTimerIntervals(int searchTickMs, int commandRefreshMs);
  bool IsCommandRefreshPending() const { return commandRefresh_.isActive(); }
  // Joins every sender thread, so their datagrams are out when this returns.
  void WaitForSenders();

  CTButtonPicture* SearchButton() const { return searchButton_; }
  CTButtonPicture* SetIpButton() const { return setIpButton_; }
  CTButtonPicture* SetBridgeButton() const { return setBridgeButton_; }
  CTButtonPicture* RvSyncButton() const { return rvSyncButton_; }
  CTPicture* Animation() const { return animation_; }

 protected:
  std::vector<ap_info_stu> UnstoredRecords(const std::string& searchText, int room) const override;
  void OnBodyClick(int row, int column) override;

 private:
  void StartSearch();
  void StopSearch();
  void OnSearchTick();
  void OnEditEnded(int row, int column);
  void LockForSearch(bool searching);
  // Runs a command's modal form with the container's automatic refresh off,
  // then refreshes; the form's result.
  int RunForm(QDialog& form);
  void RunSwitchCommand(CSwitchSetMultiDlg& form, const std::vector<SelectedDevice>& selection,
                        uint16_t type, CommandPayload (*payload)(bool on), CSenderSlot& sender);
  // The first selected device's stored record; zero when it is not stored.
  ap_info_stu FirstSelectedRecord(const std::vector<SelectedDevice>& selection) const;
  void Warn(const char* key);

  CTButtonPicture* searchButton_;
  CTButtonPicture* setIpButton_;
  CTButtonPicture* setBridgeButton_;
  CTButtonPicture* rvSyncButton_;
  CTPicture* animation_;
  QTimer searchTimer_;
  QTimer commandRefresh_;
  bool searching_ = false;
  int ticks_ = 0;
  QString oldName_;
  UrlOpener openUrl_;
  // Declared last, so they are joined before the members they post to go.
  CSenderSlot renameSender_;
  CSenderSlot ipSender_;
  CSenderSlot bridgeSender_;
  CSenderSlot tdmaSender_;
};

// The Status page's columns, in grid order.
ListColumns StatusColumns();
