#include "tools/skin_generator/gif_writer.h"

#include <QFile>
#include <cstdint>

namespace {

class BitWriter {
 public:
  void Put(unsigned code, int width) {
    for (int i = 0; i < width; ++i) {
      current_ |= ((code >> i) & 1u) << filled_;
      if (++filled_ == 8) Flush();
    }
  }
  std::vector<uint8_t> Finish() {
    if (filled_ > 0) Flush();
    return std::move(bytes_);
  }

 private:
  void Flush() {
    bytes_.push_back(current_);
    current_ = 0;
    filled_ = 0;
  }
  std::vector<uint8_t> bytes_;
  uint8_t current_ = 0;
  int filled_ = 0;
};

// LZW without string matching: a clear code before the table would need
// 10-bit codes keeps every code 9 bits wide. Larger than real LZW output, but
// simple and valid for every decoder.
std::vector<uint8_t> EncodeIndices(const std::vector<uint8_t>& indices) {
  constexpr unsigned kClear = 256, kEnd = 257;
  BitWriter bits;
  int sinceClear = 0;
  bits.Put(kClear, 9);
  for (uint8_t index : indices) {
    if (sinceClear == 254) {
      bits.Put(kClear, 9);
      sinceClear = 0;
    }
    bits.Put(index, 9);
    ++sinceClear;
  }
  bits.Put(kEnd, 9);
  return bits.Finish();
}

uint8_t Nearest(QRgb pixel, const std::vector<QColor>& palette) {
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < static_cast<int>(palette.size()); ++i) {
    const long dr = qRed(pixel) - palette[i].red(), dg = qGreen(pixel) - palette[i].green(),
               db = qBlue(pixel) - palette[i].blue();
    const long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return static_cast<uint8_t>(best);
}

void PutWord(QByteArray& out, int value) {
  out.append(static_cast<char>(value & 0xff));
  out.append(static_cast<char>((value >> 8) & 0xff));
}

}  // namespace

bool WriteAnimatedGif(const QString& path, const std::vector<GifFrame>& frames,
                      const std::vector<QColor>& palette) {
  if (frames.empty() || palette.empty() || palette.size() > 256) return false;
  const int width = frames.front().image.width(), height = frames.front().image.height();
  QByteArray out("GIF89a");
  PutWord(out, width);
  PutWord(out, height);
  out.append(static_cast<char>(0xf7));  // global table of 256 entries, 8 bits per colour
  out.append('\0');                     // background colour index
  out.append('\0');
  for (int i = 0; i < 256; ++i) {
    const QColor colour = i < static_cast<int>(palette.size()) ? palette[i] : QColor(Qt::black);
    out.append(static_cast<char>(colour.red()));
    out.append(static_cast<char>(colour.green()));
    out.append(static_cast<char>(colour.blue()));
  }
  out.append("\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
  for (const GifFrame& frame : frames) {
    out.append("\x21\xf9\x04", 3);
    out.append(static_cast<char>(1 << 2));  // disposal: leave the frame in place
    PutWord(out, frame.delayHundredths);
    out.append('\0');
    out.append('\0');
    out.append(',');
    PutWord(out, 0);
    PutWord(out, 0);
    PutWord(out, width);
    PutWord(out, height);
    out.append('\0');
    std::vector<uint8_t> indices;
    const QImage image = frame.image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) indices.push_back(Nearest(image.pixel(x, y), palette));
    }
    out.append(static_cast<char>(8));  // minimum code size
    const std::vector<uint8_t> data = EncodeIndices(indices);
    for (std::size_t at = 0; at < data.size(); at += 255) {
      const std::size_t length = std::min<std::size_t>(255, data.size() - at);
      out.append(static_cast<char>(length));
      out.append(reinterpret_cast<const char*>(data.data() + at), static_cast<qsizetype>(length));
    }
    out.append('\0');
  }
  out.append(';');
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}
