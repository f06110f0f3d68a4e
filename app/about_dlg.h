#pragma once
// CAboutDlg: the program's name, version and purpose, with an OK button.
//
// User-interface thread only.

#include "controls/t_dialog.h"

struct CApplicationApp;

class CAboutDlg : public CTDialog {
  Q_OBJECT
 public:
  CAboutDlg(const CApplicationApp& app, QWidget* parent);
};
