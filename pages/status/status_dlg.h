#pragma once
// CStatusDlg: the Status page. The device list with the device name editable
// in place and a picture that opens the device's web page, plus the device
// search: Search starts a 30-second run that broadcasts a search and
// refreshes the list every 3 s, with the menu and the container's automatic
// refresh locked until it ends or Stop is pressed. Devices that have only
// announced themselves follow the stored ones on the last page, in the
// offline colour.
//
// The Set IP, Set Bridge and RV-SYNC buttons are shown disabled: the forms
// they open are not built yet.
//
// Talks to the engine and store of the application object; owns its widgets
// and its rename worker. User-interface thread only.

#include <QTimer>
#include <QUrl>
#include <functional>

#include "pages/list_page/list_page_dlg.h"
#include "pages/status/rename_sender.h"

class CTPicture;

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
  // Shows a warning; the default is a message box with an exclamation icon.
  using WarningSink = std::function<void(const QString&)>;

  CStatusDlg(const CApplicationApp& app, QWidget* parent);
  ~CStatusDlg() override;

  // Search button: starts a search, or stops the one running.
  void OnSearchButton();
  bool IsSearching() const { return searching_; }
  int SearchTicks() const { return ticks_; }

  void SetUrlOpener(UrlOpener opener) { openUrl_ = std::move(opener); }
  void SetWarningSink(WarningSink sink) { warn_ = std::move(sink); }
  // Test seams for the search tick and the refresh after a command.
  void SetTimerIntervals(int searchTickMs, int commandRefreshMs);
  bool IsCommandRefreshPending() const { return commandRefresh_.isActive(); }
  // Joins the rename worker, so its datagram is out when this returns.
  void WaitForRename() { rename_.Wait(); }

  CTButtonPicture* SearchButton() const { return searchButton_; }
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

  CTButtonPicture* searchButton_;
  CTPicture* animation_;
  QTimer searchTimer_;
  QTimer commandRefresh_;
  bool searching_ = false;
  int ticks_ = 0;
  QString oldName_;
  CRenameSender rename_;
  UrlOpener openUrl_;
  WarningSink warn_;
};

// The Status page's columns, in grid order.
ListColumns StatusColumns();
