#pragma once
// CWaitDlg: the countdown shown while devices restart. A progress bar fills
// over the requested time in 500 ms ticks; when searches are wanted, the last
// ones fall six ticks apart and end on the last tick, and the announced
// devices are released before the first of them. The close button ends the
// wait at once. Both end the dialog as accepted.
//
// User-interface thread only.

#include <QTimer>
#include <functional>

#include "controls/t_dialog.h"
#include "util/search_countdown.h"

class QProgressBar;
class CTButtonPicture;

class CWaitDlg : public CTDialog {
  Q_OBJECT
 public:
  static constexpr int kTickMs = SearchCountdown::kTickMs;

  CWaitDlg(int seconds, bool searchWanted, int searches, CountdownEngine engine,
           const QString& closePicture, QWidget* parent = nullptr);

  // One 500 ms step; the timer calls it.
  void Tick();
  // Starts the timer; exec() and show() do it too.
  void Start();

  bool IsFinished() const { return countdown_.IsFinished(); }
  int CurrentTick() const { return countdown_.CurrentTick(); }
  int TotalTicks() const { return countdown_.TotalTicks(); }
  int SearchesLeft() const { return countdown_.SearchesLeft(); }
  QProgressBar* Progress() const { return progress_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QProgressBar* progress_;
  CTButtonPicture* close_;
  QTimer timer_;
  SearchCountdown countdown_;
};
