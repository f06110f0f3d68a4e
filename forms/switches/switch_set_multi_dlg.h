#pragma once
// The Status page's switch forms: turn one switch of every selected device on
// or off. CBridgeSetMultiDlg sets the transparent bridge, CRvsyncenSetMultiDlg
// the RV-SYNC (TDMA) mode. Both show the first selected device's value and
// end with Save (accepted, Value() holds the choice) or with Cancel or the
// close button (rejected); the page sends. No checks: any choice is valid.
//
// User-interface thread only.

#include <cstdint>

#include "forms/config_form_dlg.h"

class QRadioButton;

class CSwitchSetMultiDlg : public CConfigFormDlg {
  Q_OBJECT
 public:
  // 1 on, 0 off.
  uint8_t Value() const { return value_; }
  QRadioButton* EnableButton() const { return enable_; }
  QRadioButton* DisableButton() const { return disable_; }
  CTButtonPicture* SaveButton() const { return save_; }
  CTButtonPicture* CancelButton() const { return cancel_; }

 protected:
  // `titleKey` is both the title and the label of the switch's row.
  CSwitchSetMultiDlg(const CApplicationApp& app, const char* titleKey, uint8_t value,
                     QWidget* parent);

 private:
  uint8_t value_;
  QRadioButton* enable_;
  QRadioButton* disable_;
  CTButtonPicture* save_;
  CTButtonPicture* cancel_;
};

class CBridgeSetMultiDlg final : public CSwitchSetMultiDlg {
  Q_OBJECT
 public:
  CBridgeSetMultiDlg(const CApplicationApp& app, uint8_t value, QWidget* parent);
};

class CRvsyncenSetMultiDlg final : public CSwitchSetMultiDlg {
  Q_OBJECT
 public:
  CRvsyncenSetMultiDlg(const CApplicationApp& app, uint8_t value, QWidget* parent);
};
