#pragma once
// CTPicture: a still picture or an animated GIF. The frames are decoded once
// when loaded (with the GIF's disposal applied) and played on the
// user-interface thread by a timer, so unloading stops the animation at once.
// Frame delays below 50 ms are played as 100 ms.
//
// User-interface thread only.

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <vector>

class CTPicture : public QWidget {
  Q_OBJECT
 public:
  explicit CTPicture(QWidget* parent = nullptr);
  ~CTPicture() override;

  // Unloads any previous picture; resizes the control to the picture.
  bool LoadPicture(const QString& path);
  // Shows a still picture, or starts the animation.
  bool Draw();
  void UnloadPicture();

  bool IsAnimated() const { return frames_.size() > 1; }
  bool IsPlaying() const { return timer_.isActive(); }
  int FrameCount() const { return static_cast<int>(frames_.size()); }
  int CurrentFrame() const { return current_; }
  // Milliseconds the frame stays on screen.
  int FrameDelay(int frame) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void ShowNextFrame();

  struct Frame {
    QImage image;
    int delayMs;
  };
  std::vector<Frame> frames_;
  int current_ = -1;
  QTimer timer_;
};
