#pragma once
// CTitlePage: the page of a feature that is not built yet; it shows only its
// title so the menu can already switch to it.
//
// User-interface thread only.

#include "controls/t_dialog.h"

struct CApplicationApp;

class CTitlePage : public CTDialog {
  Q_OBJECT
 public:
  CTitlePage(const CApplicationApp& app, const QString& englishTitle, QWidget* parent);
};
