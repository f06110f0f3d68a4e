#pragma once
// CApplicationDlg: the frameless main window. A banner with three caption
// buttons (help, minimise, close) and the window dragged by its background;
// the menu on the left and the page container on the right. Minimising hides
// the window to the notification area, or, on a desktop without one,
// minimises it so that it can always be reached again.
//
// Owns the menu, the container and the tray icon. User-interface thread only.

#include <QUrl>
#include <functional>
#include <memory>

#include "app/child_dlg.h"
#include "controls/t_dialog.h"

struct CApplicationApp;
class CMenuDlg;
class CTButtonPicture;
class QMenu;
class QSystemTrayIcon;

struct MainWindowOptions {
  // Whether the desktop has a notification area; unset asks Qt.
  std::optional<bool> trayAvailable;
  // Opens the help addresses; unset uses the desktop's browser.
  std::function<void(const QUrl&)> openUrl;
  CChildDlg::PageFactory pageFactory;
};

class CApplicationDlg : public CTDialog {
  Q_OBJECT
 public:
  static constexpr int kWidth = 1056;
  static constexpr int kHeight = 674;
  // Help menu item identifiers and the language keys of their addresses.
  struct HelpItem {
    int id;
    const char* label;
    const char* urlKey;
  };
  static const std::array<HelpItem, 4>& HelpItems();

  CApplicationDlg(CApplicationApp& app, MainWindowOptions options, QWidget* parent = nullptr);
  ~CApplicationDlg() override;

  CMenuDlg* Menu() const { return menu_; }
  CChildDlg* Container() const { return container_; }
  QSystemTrayIcon* TrayIcon() const { return tray_.get(); }
  bool HasTray() const { return tray_ != nullptr; }

  // The minimise button: to the notification area, or minimised without one.
  void MinimiseToTray();
  // Double-click on the tray icon, or "Show Utility".
  void ShowFromTray();
  // The help menu as the help button shows it (translated), owned by the caller.
  QMenu* BuildHelpMenu();
  QMenu* BuildTrayMenu();
  void OpenHelpAddress(const char* urlKey);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void ShowHelpMenu();
  void ShowAbout();

  CApplicationApp& app_;
  MainWindowOptions options_;
  CTButtonPicture* help_;
  CTButtonPicture* minimise_;
  CTButtonPicture* close_;
  CMenuDlg* menu_;
  CChildDlg* container_;
  std::unique_ptr<QSystemTrayIcon> tray_;
  std::unique_ptr<QMenu> trayMenu_;
};
