#include "controls/t_picture.h"

#include <QImageReader>
#include <QPainter>

CTPicture::CTPicture(QWidget* parent) : QWidget(parent) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &CTPicture::ShowNextFrame);
}

CTPicture::~CTPicture() { UnloadPicture(); }

bool CTPicture::LoadPicture(const QString& path) {
  UnloadPicture();
  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  for (;;) {
    const QImage image = reader.read();
    if (image.isNull()) break;
    const int delay = reader.nextImageDelay();
    frames_.push_back({image, delay < 50 ? 100 : delay});
    if (!reader.supportsAnimation() || !reader.canRead()) break;
  }
  if (frames_.empty()) return false;
  resize(frames_.front().image.size());
  return true;
}

int CTPicture::FrameDelay(int frame) const {
  return frame >= 0 && frame < FrameCount() ? frames_[frame].delayMs : 0;
}

bool CTPicture::Draw() {
  if (frames_.empty()) return false;
  current_ = -1;
  ShowNextFrame();
  return true;
}

void CTPicture::ShowNextFrame() {
  if (frames_.empty()) return;
  current_ = (current_ + 1) % FrameCount();
  update();
  if (IsAnimated()) timer_.start(frames_[current_].delayMs);
}

void CTPicture::UnloadPicture() {
  timer_.stop();
  frames_.clear();
  current_ = -1;
  update();
}

void CTPicture::paintEvent(QPaintEvent*) {
  if (current_ < 0 || frames_.empty()) return;
  QPainter painter(this);
  painter.drawImage(0, 0, frames_[current_].image);
}
