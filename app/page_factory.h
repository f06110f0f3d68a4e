#pragma once
// The pages the container builds: the finished ones, and none (a title page)
// for those still to come.

#include "app/child_dlg.h"

struct CApplicationApp;

// Height of the part of the container the main window shows.
inline constexpr int kVisiblePageHeight = 674 - 86;

CChildDlg::PageFactory DefaultPageFactory(CApplicationApp& app);
