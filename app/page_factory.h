#pragma once
// The pages the container builds: the finished ones, and none (a title page)
// for those still to come.

#include "app/child_dlg.h"

struct CApplicationApp;

CChildDlg::PageFactory DefaultPageFactory(CApplicationApp& app);
