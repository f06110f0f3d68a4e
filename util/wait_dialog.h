#pragma once
// CWaitDlg: the countdown shown while devices restart. A progress bar fills
// over the requested time in 500 ms ticks; when searches are wanted, the last
// ones fall six ticks apart and end on the last tick, and the announced
// devices are released before the first of them. The close button ends the
// wait at once. Both end the dialog as accepted.
//
// The device engine is reached through the two callables, so the dialog
// works with any engine and a test can count the calls. User-interface
// thread only.

#include <QTimer>
#include <functional>

#include "controls/t_dialog.h"

class QProgressBar;
class CTButtonPicture;

struct WaitDialogEngine {
  std::function<void()> releaseAnnounced;
  std::function<void()> searchDevices;
};

class CWaitDlg : public CTDialog {
  Q_OBJECT
 public:
  static constexpr int kTickMs = 500;

  CWaitDlg(int seconds, bool searchWanted, int searches, WaitDialogEngine engine,
           const QString& closePicture, QWidget* parent = nullptr);

  // One 500 ms step; the timer calls it.
  void Tick();
  // Starts the timer; exec() and show() do it too.
  void Start();

  bool IsFinished() const { return finished_; }
  int CurrentTick() const { return tick_; }
  int TotalTicks() const { return total_; }
  int SearchesLeft() const { return searchesLeft_; }
  QProgressBar* Progress() const { return progress_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QProgressBar* progress_;
  CTButtonPicture* close_;
  QTimer timer_;
  WaitDialogEngine engine_;
  int tick_ = 1;
  int total_;
  bool searchWanted_;
  int searches_;
  int searchesLeft_;
  bool finished_ = false;
};
