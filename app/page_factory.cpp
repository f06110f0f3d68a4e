#include "app/page_factory.h"

#include "app/application_app.h"
#include "app/install_help_dlg.h"
#include "app/page_ids.h"
#include "pages/status/status_dlg.h"
#include "pages/system_tool/system_tool_dlg.h"
#include "protocol/device_engine.h"

CChildDlg::PageFactory DefaultPageFactory(CApplicationApp& app) {
  return [&app](int pageId, QWidget* parent) -> QWidget* {
    switch (pageId) {
      case kStatusPage:
        return new CStatusDlg(app, parent);
      case kSystemToolPage:
        return new CSystemToolDlg(
            app,
            [&app] {
              return app.engine ? app.engine->RefreshAdapters() : std::vector<HostNicsInfo>{};
            },
            parent);
      case kInstallHelpPage:
        // The main window shows the container down to its own bottom edge only.
        return new CInstallHelpDlg(
            app, QSize(parent->width(), std::min(parent->height(), kVisiblePageHeight)), parent);
      default:
        return nullptr;
    }
  };
}
