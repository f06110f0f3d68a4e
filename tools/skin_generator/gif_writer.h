#pragma once
// A small animated GIF writer for the skin's busy animation: one global
// palette of at most 256 colours, every frame full size, looping forever.

#include <QColor>
#include <QImage>
#include <QString>
#include <vector>

struct GifFrame {
  QImage image;
  int delayHundredths;
};

// Each pixel takes the nearest palette colour. False when the file cannot be
// written.
bool WriteAnimatedGif(const QString& path, const std::vector<GifFrame>& frames,
                      const std::vector<QColor>& palette);
