#pragma once
// CChildDlg: the page container right of the menu. It creates the eight pages
// once, shows one at a time, refreshes the page shown 100 ms after it is
// shown (timer 2000) and every 30 s (timer 1000, not for the reboot, upgrade
// and restore pages, and not while automatic refresh is off), and routes the
// paging controls' page choices to their pages.
//
// Owns its pages. User-interface thread only.

#include <QTimer>
#include <array>
#include <functional>

#include "controls/t_dialog.h"

struct CApplicationApp;
class CContainerPage;

class CChildDlg : public CTDialog {
  Q_OBJECT
 public:
  static constexpr int kShowTimer = 2000;
  static constexpr int kShowDelayMs = 100;
  static constexpr int kPeriodicTimer = 1000;
  static constexpr int kPeriodicMs = 30000;
  static constexpr int kPageCount = 8;

  // Builds the page of an identifier; null gives a page that shows only its
  // title.
  using PageFactory = std::function<QWidget*(int pageId, QWidget* parent)>;

  CChildDlg(CApplicationApp& app, PageFactory factory, QWidget* parent);

  // Shows the page, hides the others and refreshes it 100 ms later.
  void ShowPage(int pageId);
  int CurrentPage() const { return current_; }
  QWidget* Page(int pageId) const;

  void SetAutomaticRefresh(bool on) { automaticRefresh_ = on; }
  bool AutomaticRefresh() const { return automaticRefresh_; }
  // A paging control's choice (page identifier, page number).
  void OnPagingMessage(int pageId, int pageNumber);
  // What each timer does when it fires.
  void OnTimer(int timerId);
  bool IsTimerRunning(int timerId) const;

  // Whether the periodic timer refreshes the page.
  static bool RefreshesPeriodically(int pageId, bool automaticRefresh);

 private:
  struct Slot {
    int id;
    QWidget* widget;
  };
  CContainerPage* PageInterface(int pageId) const;

  std::array<Slot, kPageCount> slots_{};
  int current_;
  bool automaticRefresh_ = true;
  QTimer showTimer_;
  QTimer periodicTimer_;
};

// English title of a page.
const char* PageTitle(int pageId);
