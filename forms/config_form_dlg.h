#pragma once
// CConfigFormDlg: the frame every configuration form is drawn in: a
// frameless modal dialog in the skin's colours with a title strip holding the
// form's title and its close button, moved by dragging its background. It
// makes the form's labels and skinned text buttons. The close button closes
// the form as cancelled.
//
// User-interface thread only.

#include <QRect>
#include <QSize>

#include "controls/t_dialog.h"

struct CApplicationApp;
class CTButtonPicture;
class CTStatic;

class CConfigFormDlg : public CTDialog {
  Q_OBJECT
 public:
  static constexpr int kTitleHeight = 30;

  CTButtonPicture* CloseButton() const { return close_; }
  CTStatic* Title() const { return title_; }

 protected:
  // `titleKey` is translated by TranslateWindow, which the form calls once its
  // widgets are made.
  CConfigFormDlg(const CApplicationApp& app, const char* titleKey, int titleId, QSize size,
                 QWidget* parent);

  CTStatic* AddLabel(int id, const char* key, const QRect& geometry);
  CTButtonPicture* AddTextButton(int id, const char* key, const QRect& geometry);

  void paintEvent(QPaintEvent* event) override;

  const CApplicationApp& app_;

 private:
  CTStatic* title_;
  CTButtonPicture* close_;
};

// The object name of a control: its dialog identifier.
QString ControlName(int id);
