#pragma once
// CSystemToolDlg: the page that lists the PC's physical network adapters as
// the device engine sees them, with their description, hardware address and
// IPv4 addresses, refreshed every five seconds while the page exists (shown or
// hidden). Each refresh asks the engine again, which also keeps the engine's
// own adapter address list current.
//
// User-interface thread only.

#include <QTimer>
#include <functional>
#include <vector>

#include "app/container_page.h"
#include "controls/t_dialog.h"
#include "hostnics/host_nics_info.h"

struct CApplicationApp;
class CGridCtrl;
class CTStatic;

class CSystemToolDlg : public CTDialog, public CContainerPage {
  Q_OBJECT
 public:
  static constexpr int kRefreshMs = 5000;
  // The engine's RefreshAdapters, or a made-up list in tests.
  using AdapterSource = std::function<std::vector<HostNicsInfo>()>;

  CSystemToolDlg(const CApplicationApp& app, AdapterSource adapters, QWidget* parent);

  // Reads the adapters and rewrites the grid and the count.
  void Fill();
  CGridCtrl* Grid() const { return grid_; }

 private:
  const CApplicationApp& app_;
  AdapterSource adapters_;
  CGridCtrl* grid_;
  CTStatic* count_;
  QTimer timer_;
};

// The grid texts of one adapter: "ID", "Description", "MAC", "IP".
std::vector<QString> AdapterRowTexts(int number, const HostNicsInfo& adapter);
