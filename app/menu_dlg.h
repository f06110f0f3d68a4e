#pragma once
// CMenuDlg: the menu of eight picture buttons on the left of the main window
// and the version text under them. Exactly one button is selected, the one of
// the page shown.
//
// User-interface thread only.

#include <array>

#include "controls/t_dialog.h"

struct CApplicationApp;
class CTButtonPicture;
class CTStatic;

class CMenuDlg : public CTDialog {
  Q_OBJECT
 public:
  static constexpr int kButtonCount = 8;
  struct Item {
    int buttonId;
    int pageId;
    const char* label;
  };
  static const std::array<Item, kButtonCount>& Items();

  CMenuDlg(const CApplicationApp& app, QWidget* parent);

  // Selects the button of the page as a click does, and reports the page.
  void Select(int pageId);
  int SelectedPage() const;
  void EnableMenuButtons(bool enable);
  CTButtonPicture* Button(int pageId) const;

 signals:
  void pageSelected(int pageId);

 private:
  std::array<CTButtonPicture*, kButtonCount> buttons_{};
  CTStatic* version_;
};
