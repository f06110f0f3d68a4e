#include "util/wait_dialog.h"

#include <QPainter>
#include <QProgressBar>

#include "controls/t_button_picture.h"
#include "i18n/window_translation.h"

CWaitDlg::CWaitDlg(int seconds, bool searchWanted, int searches, CountdownEngine engine,
                   const QString& closePicture, QWidget* parent)
    : CTDialog(parent),
      progress_(new QProgressBar(this)),
      close_(new CTButtonPicture(this)),
      countdown_(seconds, searchWanted, searches, std::move(engine)) {
  setObjectName(QStringLiteral("CWaitDlg"));
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setFixedSize(396, 42);
  SetDragToMove(true);
  SetFillBackground(true);
  SetBackgroundColour(QColor(242, 242, 242));

  progress_->setObjectName(QStringLiteral("1136"));
  progress_->setGeometry(11, 15, 375, 16);
  progress_->setTextVisible(false);
  progress_->setRange(0, countdown_.TotalTicks());
  progress_->setValue(0);

  close_->setObjectName(QStringLiteral("1000"));
  close_->setGeometry(378, 0, 17, 15);
  close_->SetImage(closePicture);
  connect(close_, &QAbstractButton::clicked, this, &QDialog::accept);

  TranslateWindow(this);
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &CWaitDlg::Tick);
}

void CWaitDlg::Start() {
  if (!timer_.isActive()) timer_.start();
}

void CWaitDlg::showEvent(QShowEvent* event) {
  CTDialog::showEvent(event);
  Start();
}

void CWaitDlg::paintEvent(QPaintEvent* event) {
  CTDialog::paintEvent(event);
  // Without a title bar the box needs an edge to stand out from the page.
  QPainter painter(this);
  painter.setPen(QColor(190, 190, 190));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CWaitDlg::Tick() {
  if (countdown_.IsFinished()) return;
  const bool finished = countdown_.Advance();
  progress_->setValue(countdown_.CurrentTick());
  if (finished) {
    timer_.stop();
    accept();
  }
}
