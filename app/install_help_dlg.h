#pragma once
// CInstallHelpDlg: the install-help page, one large picture that shows how to
// connect the PC and the devices, scrolled in a CScrollBitmapWnd.
//
// User-interface thread only.

#include "app/container_page.h"
#include "controls/t_dialog.h"

struct CApplicationApp;
class CScrollBitmapWnd;

class CInstallHelpDlg : public CTDialog, public CContainerPage {
  Q_OBJECT
 public:
  CInstallHelpDlg(const CApplicationApp& app, QSize pageSize, QWidget* parent);
  CScrollBitmapWnd* Picture() const { return picture_; }

 private:
  CScrollBitmapWnd* picture_;
};
