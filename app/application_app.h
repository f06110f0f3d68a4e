#pragma once
// CApplicationApp: the shared state of the program's windows: the skin's
// style and picture paths, the program directory, the version text, the page
// container and the device engine and store the pages talk to. The start-up
// fills it once; windows only read it afterwards.
//
// Owns nothing it points to. User-interface thread only.

#include <QString>
#include <functional>

#include "settings/skin_paths.h"
#include "settings/style_helpers.h"

class CChildDlg;
class CMenuDlg;
class CDeviceEngine;
class CSqlManagement;

struct CApplicationApp {
  SkinStyle style;
  SkinPaths skin;
  std::string programDirectory;
  QString versionText;
  int retransmissionMax = 3;
  int retransmissionInterval = 2000;
  // Set by the main window; pages lock the menu (EnableMenuButtons) and
  // reach the container's paging route through them.
  CChildDlg* container = nullptr;
  CMenuDlg* menu = nullptr;
  CDeviceEngine* engine = nullptr;
  CSqlManagement* store = nullptr;

  QString SkinFile(const std::string& path) const { return QString::fromStdString(path); }
};
