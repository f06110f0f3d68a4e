// Draws every picture of the program's skin into a folder:
//   skin_generator <output folder>
// The pictures share one palette: a deep blue banner, light blue-grey panels,
// and an orange accent for what is selected.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>

#include "tools/skin_generator/gif_writer.h"

namespace {

const QColor kBlueDark(15, 61, 99);
const QColor kBlue(27, 111, 168);
const QColor kBlueLight(92, 160, 214);
const QColor kPanel(238, 243, 248);
const QColor kPanelDark(222, 232, 241);
const QColor kPanelLine(201, 214, 227);
const QColor kOrange(237, 112, 32);
const QColor kGreen(46, 160, 67);
const QColor kText(45, 52, 60);
const QString kLatinFont = QStringLiteral("DejaVu Sans");
const QString kChineseFont = QStringLiteral("WenQuanYi Micro Hei");

QString g_out;
int g_failures = 0;

QImage Canvas(int w, int h, const QColor& fill = Qt::white) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(fill);
  return image;
}

void Save(const QImage& image, const QString& name) {
  const QString path = g_out + QLatin1Char('/') + name;
  const char* format = name.endsWith(QLatin1String(".jpg"))   ? "JPG"
                       : name.endsWith(QLatin1String(".ico")) ? "ICO"
                                                              : "BMP";
  const int quality = name.endsWith(QLatin1String(".jpg")) ? 92 : -1;
  if (!image.save(path, format, quality)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    ++g_failures;
  }
}

QFont Font(const QString& face, int pixels, bool bold = false) {
  QFont font(face);
  font.setPixelSize(pixels);
  font.setBold(bold);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

void Smooth(QPainter& p) {
  p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                   QPainter::SmoothPixmapTransform);
}

// A mast with three arcs on each side: the program's mark.
void DrawMast(QPainter& p, QPointF top, double size, const QColor& colour) {
  p.save();
  QPen pen(colour, std::max(1.5, size / 14), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  const QPointF foot1(top.x() - size * 0.28, top.y() + size),
      foot2(top.x() + size * 0.28, top.y() + size);
  p.drawLine(top, foot1);
  p.drawLine(top, foot2);
  p.drawLine(QPointF(top.x() - size * 0.14, top.y() + size * 0.5),
             QPointF(top.x() + size * 0.14, top.y() + size * 0.5));
  p.drawLine(QPointF(top.x() - size * 0.21, top.y() + size * 0.75),
             QPointF(top.x() + size * 0.21, top.y() + size * 0.75));
  p.setBrush(colour);
  p.drawEllipse(top, size * 0.07, size * 0.07);
  p.setBrush(Qt::NoBrush);
  for (int i = 1; i <= 3; ++i) {
    const double r = size * 0.16 * i;
    const QRectF arc(top.x() - r, top.y() - r, 2 * r, 2 * r);
    p.drawArc(arc, -40 * 16, 80 * 16);
    p.drawArc(arc, 140 * 16, 80 * 16);
  }
  p.restore();
}

QLinearGradient Vertical(double y0, double y1, const QColor& a, const QColor& b) {
  QLinearGradient g(0, y0, 0, y1);
  g.setColorAt(0, a);
  g.setColorAt(1, b);
  return g;
}

// Colour of the banner at a column, so that caption buttons blend in.
QColor BannerColourAt(double x) {
  const double t = std::clamp(x / 1056.0, 0.0, 1.0);
  return QColor::fromRgbF(kBlueDark.redF() + (kBlue.redF() - kBlueDark.redF()) * t,
                          kBlueDark.greenF() + (kBlue.greenF() - kBlueDark.greenF()) * t,
                          kBlueDark.blueF() + (kBlue.blueF() - kBlueDark.blueF()) * t);
}

void MainBackground() {
  QImage image = Canvas(1056, 674);
  QPainter p(&image);
  Smooth(p);
  QLinearGradient banner(0, 0, 1056, 0);
  banner.setColorAt(0, kBlueDark);
  banner.setColorAt(1, kBlue);
  p.fillRect(0, 0, 1056, 86, banner);
  // Faint waves across the banner.
  QLinearGradient fade(300, 0, 700, 0);
  fade.setColorAt(0, QColor(255, 255, 255, 0));
  fade.setColorAt(1, QColor(255, 255, 255, 30));
  p.setPen(QPen(QBrush(fade), 1.2));
  for (int k = 0; k < 4; ++k) {
    QPainterPath wave;
    wave.moveTo(300, 70 - k * 12);
    for (int x = 300; x <= 1056; x += 8)
      wave.lineTo(x, 70 - k * 12 + 6 * std::sin((x + k * 50) / 55.0));
    p.drawPath(wave);
  }
  p.fillRect(0, 84, 1056, 2, kOrange);
  DrawMast(p, QPointF(46, 27), 42, Qt::white);
  p.setPen(Qt::white);
  p.setFont(Font(kLatinFont, 25, true));
  p.drawText(QRect(88, 14, 600, 34), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Wireless Device Manager"));
  p.setPen(QColor(200, 224, 244));
  p.setFont(Font(kLatinFont, 13));
  p.drawText(QRect(90, 48, 600, 22), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Find  \u00b7  Configure  \u00b7  Bridge  \u00b7  Upgrade"));
  // The strip above the menu.
  p.fillRect(0, 86, 137, 72, Vertical(86, 158, kPanel, kPanelDark));
  p.setPen(kPanelLine);
  p.drawLine(136, 86, 136, 674);
  p.setPen(kBlue);
  p.setFont(Font(kLatinFont, 12, true));
  DrawMast(p, QPointF(68, 98), 26, kBlue);
  p.fillRect(137, 86, 919, 588, Qt::white);
  Save(image, QStringLiteral("main_bk.jpg"));
}

void MenuBackground() {
  QImage image = Canvas(137, 527);
  QPainter p(&image);
  p.fillRect(image.rect(), Vertical(0, 527, kPanelDark, kPanel));
  p.setPen(kPanelLine);
  p.drawLine(136, 0, 136, 527);
  p.drawLine(12, 486, 124, 486);
  Save(image, QStringLiteral("main_left_bk.jpg"));
}

void MenuButton(const QString& name, bool down, bool search) {
  QImage image = Canvas(135, 46);
  QPainter p(&image);
  Smooth(p);
  if (down) {
    p.fillRect(image.rect(), Vertical(0, 46, QColor(255, 255, 255), QColor(246, 248, 250)));
    p.fillRect(0, 0, 5, 46, kOrange);
    // A notch pointing at the page.
    QPolygonF notch;
    notch << QPointF(135, 15) << QPointF(127, 23) << QPointF(135, 31);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    p.drawPolygon(notch);
  } else {
    p.fillRect(image.rect(), Vertical(0, 46, QColor(246, 249, 252), QColor(228, 236, 244)));
    p.fillRect(0, 0, 3, 46, search ? kBlueLight : QColor(180, 198, 216));
  }
  p.setPen(kPanelLine);
  p.drawLine(0, 45, 134, 45);
  p.drawLine(134, 0, 134, 45);
  Save(image, name);
}

void CaptionButton(const QString& name, char glyph, double x) {
  QImage image = Canvas(26, 16, BannerColourAt(x + 13));
  QPainter p(&image);
  Smooth(p);
  p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
  switch (glyph) {
    case '?':
      p.setFont(Font(kLatinFont, 13, true));
      p.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("?"));
      break;
    case '-':
      p.drawLine(QPointF(8, 10.5), QPointF(18, 10.5));
      break;
    case 'x':
      p.drawLine(QPointF(9, 3.5), QPointF(17, 11.5));
      p.drawLine(QPointF(17, 3.5), QPointF(9, 11.5));
      break;
  }
  Save(image, name);
}

void HelpItemPictures() {
  const struct {
    const char* name;
    int kind;
  } items[] = {{"help_product_normal.bmp", 0},
               {"help_support_normal.bmp", 1},
               {"help_contact_normal.bmp", 2},
               {"help_help_normal.bmp", 3}};
  for (const auto& item : items) {
    QImage image = Canvas(16, 16);
    QPainter p(&image);
    Smooth(p);
    p.setPen(QPen(kBlue, 1.4));
    switch (item.kind) {
      case 0:  // a device box with an antenna
        p.drawRoundedRect(QRectF(2.5, 7.5, 11, 6), 1.5, 1.5);
        p.drawLine(QPointF(11, 7.5), QPointF(12.5, 2));
        p.setBrush(kOrange);
        p.drawEllipse(QPointF(5, 10.5), 1, 1);
        break;
      case 1:  // a ring buoy
        p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
        p.drawEllipse(QPointF(8, 8), 2.5, 2.5);
        p.setPen(QPen(kOrange, 2));
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 30 * 16, 30 * 16);
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 210 * 16, 30 * 16);
        break;
      case 2:  // an envelope
        p.drawRect(QRectF(1.5, 3.5, 13, 9));
        p.drawLine(QPointF(1.5, 3.5), QPointF(8, 9));
        p.drawLine(QPointF(14.5, 3.5), QPointF(8, 9));
        break;
      case 3:  // a question mark in a circle
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
        p.setPen(Qt::white);
        p.setFont(Font(kLatinFont, 11, true));
        p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    Save(image, QString::fromLatin1(item.name));
  }
}

void SearchButton() {
  QImage image = Canvas(80, 28);
  QPainter p(&image);
  Smooth(p);
  p.setPen(QColor(150, 175, 200));
  p.setBrush(Vertical(0, 28, QColor(252, 253, 255), QColor(222, 232, 242)));
  p.drawRoundedRect(QRectF(0.5, 0.5, 79, 27), 5, 5);
  Save(image, QStringLiteral("btn_search.bmp"));
}

void UpdateButtons() {
  for (bool down : {false, true}) {
    QImage image = Canvas(24, 24);
    QPainter p(&image);
    Smooth(p);
    p.setPen(QColor(150, 175, 200));
    p.setBrush(down ? Vertical(0, 24, QColor(214, 228, 242), QColor(238, 244, 250))
                    : Vertical(0, 24, QColor(252, 253, 255), QColor(226, 234, 243)));
    p.drawRoundedRect(QRectF(0.5, 0.5, 23, 23), 4, 4);
    const QColor arrow = down ? kOrange : kBlue;
    p.setPen(QPen(arrow, 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 6, 12, 12), 40 * 16, 270 * 16);
    QPolygonF head;
    head << QPointF(17.5, 3.5) << QPointF(18.5, 9.5) << QPointF(12.8, 8.2);
    p.setPen(Qt::NoPen);
    p.setBrush(arrow);
    p.drawPolygon(head);
    Save(image,
         down ? QStringLiteral("btn_update_down.bmp") : QStringLiteral("btn_update_normal.bmp"));
  }
}

void SearchBoxEnds() {
  const QColor edge(207, 207, 207);
  {
    QImage image = Canvas(10, 26);
    QPainter p(&image);
    Smooth(p);
    p.setPen(edge);
    QPainterPath path;
    path.moveTo(10, 0.5);
    path.lineTo(6, 0.5);
    path.arcTo(QRectF(0.5, 0.5, 11, 25), 90, 180);
    path.lineTo(10, 25.5);
    p.drawPath(path);
    Save(image, QStringLiteral("btn_pie.bmp"));
  }
  {
    QImage image = Canvas(26, 26);
    QPainter p(&image);
    Smooth(p);
    p.setPen(edge);
    QPainterPath path;
    path.moveTo(0, 0.5);
    path.lineTo(14, 0.5);
    path.arcTo(QRectF(13.5, 0.5, 12, 25), 90, -180);
    path.lineTo(0, 25.5);
    p.drawPath(path);
    p.setPen(QPen(QColor(130, 145, 160), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawEllipse(QPointF(11, 11.5), 4.5, 4.5);
    p.drawLine(QPointF(14.3, 14.8), QPointF(18, 18.5));
    Save(image, QStringLiteral("btn_pie2.bmp"));
  }
}

void Lines() {
  {
    QImage image = Canvas(900, 2);
    QPainter p(&image);
    p.setPen(QColor(215, 215, 215));
    p.drawLine(0, 0, 899, 0);
    p.setPen(QColor(245, 245, 245));
    p.drawLine(0, 1, 899, 1);
    Save(image, QStringLiteral("line.bmp"));
  }
  Save(Canvas(600, 1, QColor(210, 210, 210)), QStringLiteral("gray_line.bmp"));
  Save(Canvas(600, 2, kOrange), QStringLiteral("orange_line.bmp"));
}

void BusyAnimation() {
  std::vector<QColor> palette;
  for (int i = 0; i < 24; ++i) {
    const double t = i / 23.0;
    palette.emplace_back(static_cast<int>(255 + (kBlue.red() - 255) * t),
                         static_cast<int>(255 + (kBlue.green() - 255) * t),
                         static_cast<int>(255 + (kBlue.blue() - 255) * t));
  }
  std::vector<GifFrame> frames;
  constexpr int kDots = 12;
  for (int frame = 0; frame < kDots; ++frame) {
    QImage image = Canvas(32, 32);
    QPainter p(&image);
    Smooth(p);
    p.setPen(Qt::NoPen);
    for (int dot = 0; dot < kDots; ++dot) {
      const int age = (frame - dot + kDots) % kDots;
      const double strength = 1.0 - age / double(kDots);
      const double angle = dot * 2 * M_PI / kDots - M_PI / 2;
      QColor colour = kBlue;
      colour.setAlphaF(0.15 + 0.85 * strength * strength);
      p.setBrush(colour);
      p.drawEllipse(QPointF(16 + 11 * std::cos(angle), 16 + 11 * std::sin(angle)), 2.0 + strength,
                    2.0 + strength);
    }
    frames.push_back({image, 8});
  }
  if (!WriteAnimatedGif(g_out + QStringLiteral("/wait_search.gif"), frames, palette)) ++g_failures;
}

void CellPicture(const QString& name, const QString& label, const QString& face,
                 const QColor& colour) {
  QImage image = Canvas(50, 16);
  QPainter p(&image);
  Smooth(p);
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawRoundedRect(QRectF(1, 1, 48, 14), 7, 7);
  p.setPen(Qt::white);
  p.setFont(Font(face, 10, true));
  p.drawText(QRectF(0, 0, 50, 16), Qt::AlignCenter, label);
  Save(image, name);
}

void WritePicture() {
  QImage image = Canvas(50, 16);
  QPainter p(&image);
  Smooth(p);
  p.setPen(QPen(kOrange, 1.2));
  p.setBrush(QColor(253, 236, 222));
  p.drawRoundedRect(QRectF(1, 1, 48, 14), 7, 7);
  p.translate(25, 8);
  p.rotate(-40);
  p.setPen(Qt::NoPen);
  p.setBrush(kOrange);
  p.drawRect(QRectF(-7, -1.6, 11, 3.2));
  QPolygonF tip;
  tip << QPointF(4, -1.6) << QPointF(7.5, 0) << QPointF(4, 1.6);
  p.setBrush(kText);
  p.drawPolygon(tip);
  Save(image, QStringLiteral("write.bmp"));
}

void SignalStrengths() {
  for (int level = 0; level <= 5; ++level) {
    QImage image = Canvas(24, 16);
    QPainter p(&image);
    for (int bar = 0; bar < 5; ++bar) {
      const int h = 3 + bar * 3;
      p.fillRect(2 + bar * 4, 15 - h, 3, h,
                 bar < level ? (level <= 1   ? QColor(216, 34, 40)
                                : level <= 2 ? kOrange
                                             : kGreen)
                             : QColor(210, 214, 220));
    }
    Save(image, QStringLiteral("singal_strength%1.bmp").arg(level));
  }
}

void ConfigPictures() {
  const auto button = [](const QString& name, const QColor& top, const QColor& bottom,
                         const QColor& border) {
    QImage image = Canvas(90, 28);
    QPainter p(&image);
    Smooth(p);
    p.setPen(border);
    p.setBrush(Vertical(0, 28, top, bottom));
    p.drawRoundedRect(QRectF(0.5, 0.5, 89, 27), 5, 5);
    Save(image, name);
  };
  button(QStringLiteral("btn_config.bmp"), QColor(252, 253, 255), QColor(222, 232, 242),
         QColor(150, 175, 200));
  button(QStringLiteral("config_btn.bmp"), QColor(255, 246, 238), QColor(250, 221, 196),
         QColor(226, 150, 96));
  const auto close = [](const QString& name, const QColor& background, const QColor& cross) {
    QImage image = Canvas(17, 15, background);
    QPainter p(&image);
    Smooth(p);
    p.setPen(QPen(cross, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5, 4), QPointF(12, 11));
    p.drawLine(QPointF(12, 4), QPointF(5, 11));
    Save(image, name);
  };
  close(QStringLiteral("close_config.bmp"), QColor(221, 217, 196), QColor(90, 84, 60));
  close(QStringLiteral("close_wait.bmp"), QColor(242, 242, 242), QColor(110, 110, 110));
  const auto tab = [](const QString& name, bool selected) {
    QImage image = Canvas(100, 28);
    QPainter p(&image);
    Smooth(p);
    if (selected) {
      p.fillRect(image.rect(), Vertical(0, 28, QColor(255, 255, 255), QColor(252, 240, 230)));
      p.fillRect(0, 25, 100, 3, kOrange);
    } else {
      p.fillRect(image.rect(), Vertical(0, 28, QColor(246, 248, 250), QColor(230, 235, 240)));
      p.fillRect(0, 27, 100, 1, QColor(200, 200, 200));
    }
    p.setPen(QColor(210, 214, 220));
    p.drawLine(99, 0, 99, 27);
    Save(image, name);
  };
  tab(QStringLiteral("wireless_basic.bmp"), true);
  tab(QStringLiteral("wireless_config.bmp"), false);
}

void AppIcon() {
  QImage image(48, 48, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  Smooth(p);
  QLinearGradient g(0, 0, 48, 48);
  g.setColorAt(0, kBlue);
  g.setColorAt(1, kBlueDark);
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawRoundedRect(QRectF(1, 1, 46, 46), 10, 10);
  DrawMast(p, QPointF(24, 11), 29, Qt::white);
  p.setBrush(kOrange);
  p.drawEllipse(QPointF(24, 11), 3, 3);
  p.end();
  if (!image.save(g_out + QStringLiteral("/Application.ico"), "ICO")) ++g_failures;
}

// ----- pictures with words: one drawing, two languages ------------------

struct Words {
  QString face;
  QString helpTitle, helpIntro, pc, switchLabel, device, cable, poe, segment, finish;
  QString steps[5];
  QString note, bridgeDone, web, bridge;
};

Words English() {
  Words w;
  w.face = kLatinFont;
  w.helpTitle = QStringLiteral("Connecting the PC and the devices");
  w.helpIntro = QStringLiteral(
      "The program finds the devices by itself when they share one network segment with the PC.");
  w.pc = QStringLiteral("PC with the program");
  w.switchLabel = QStringLiteral("Switch");
  w.device = QStringLiteral("Outdoor device");
  w.cable = QStringLiteral("Network cable");
  w.poe = QStringLiteral("PoE injector");
  w.segment = QStringLiteral("One network segment: same switch, same VLAN, no router in between");
  w.steps[0] = QStringLiteral(
      "1  Connect each device's LAN port to a PoE injector, and the injector to the switch.");
  w.steps[1] =
      QStringLiteral("2  Connect the PC to the same switch (or straight to one injector).");
  w.steps[2] = QStringLiteral(
      "3  Give the PC a fixed address; the devices need no address in its subnet to be found.");
  w.steps[3] = QStringLiteral(
      "4  Open Device status and press Search: the devices appear within a few seconds.");
  w.steps[4] = QStringLiteral("5  To change a device's IP settings, tick it and press Set IP.");
  w.note = QStringLiteral(
      "Nothing found? Check the cables and the injector lights, and allow UDP ports 9785 to 9788 "
      "in the PC's firewall.");
  w.bridgeDone = QStringLiteral("Bridge established");
  w.web = QStringLiteral("Web");
  w.bridge = QStringLiteral("Bridge");
  return w;
}

Words Chinese() {
  Words w;
  w.face = kChineseFont;
  w.helpTitle = QStringLiteral("连接电脑与设备");
  w.helpIntro = QStringLiteral("电脑与设备处于同一网段时，程序会自动发现所有设备。");
  w.pc = QStringLiteral("运行本程序的电脑");
  w.switchLabel = QStringLiteral("交换机");
  w.device = QStringLiteral("室外设备");
  w.cable = QStringLiteral("网线");
  w.poe = QStringLiteral("PoE 供电器");
  w.segment = QStringLiteral("同一网段：同一交换机、同一 VLAN，中间没有路由器");
  w.steps[0] = QStringLiteral("1  将每台设备的 LAN 口接到 PoE 供电器，再将供电器接到交换机。");
  w.steps[1] = QStringLiteral("2  将电脑接到同一台交换机（或直接接到一个供电器）。");
  w.steps[2] = QStringLiteral("3  为电脑设置固定地址；设备无需与电脑处于同一子网也能被发现。");
  w.steps[3] = QStringLiteral("4  打开“设备状态”页并点击“搜索”，几秒钟内设备就会出现。");
  w.steps[4] = QStringLiteral("5  要修改设备的 IP 设置，请勾选设备后点击“设置IP”。");
  w.note = QStringLiteral(
      "找不到设备？请检查网线和供电器指示灯，并在电脑防火墙中放行 UDP 端口 9785 至 9788。");
  w.bridgeDone = QStringLiteral("桥接已建立");
  w.web = QStringLiteral("网页");
  w.bridge = QStringLiteral("桥接");
  return w;
}

void DrawPc(QPainter& p, QPointF at) {
  p.save();
  p.setPen(QPen(kBlueDark, 2));
  p.setBrush(QColor(232, 241, 250));
  p.drawRoundedRect(QRectF(at.x(), at.y(), 120, 80), 6, 6);
  p.setBrush(QColor(190, 218, 242));
  p.drawRect(QRectF(at.x() + 8, at.y() + 8, 104, 60));
  p.setBrush(kBlueDark);
  p.drawRect(QRectF(at.x() + 50, at.y() + 80, 20, 14));
  p.drawRoundedRect(QRectF(at.x() + 25, at.y() + 94, 70, 8), 3, 3);
  DrawMast(p, QPointF(at.x() + 60, at.y() + 18), 36, kBlue);
  p.restore();
}

void DrawSwitch(QPainter& p, QPointF at) {
  p.save();
  p.setPen(QPen(kBlueDark, 2));
  p.setBrush(Vertical(at.y(), at.y() + 44, QColor(92, 110, 130), QColor(55, 68, 84)));
  p.drawRoundedRect(QRectF(at.x(), at.y(), 180, 44), 5, 5);
  for (int port = 0; port < 8; ++port) {
    p.setBrush(QColor(30, 36, 44));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(at.x() + 14 + port * 20, at.y() + 16, 14, 12));
    p.setBrush(port < 5 ? kGreen : QColor(90, 100, 110));
    p.drawEllipse(QPointF(at.x() + 21 + port * 20, at.y() + 9), 2.2, 2.2);
  }
  p.restore();
}

void DrawDevice(QPainter& p, QPointF at) {
  p.save();
  p.setPen(QPen(QColor(110, 120, 130), 3));
  p.drawLine(QPointF(at.x() + 30, at.y() + 20), QPointF(at.x() + 30, at.y() + 130));
  p.setPen(QPen(QColor(150, 160, 170), 1.5));
  p.setBrush(Vertical(at.y(), at.y() + 70, QColor(250, 251, 252), QColor(214, 220, 228)));
  p.drawRoundedRect(QRectF(at.x() + 6, at.y() + 14, 48, 66), 10, 10);
  p.setBrush(kGreen);
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(at.x() + 30, at.y() + 70), 2.5, 2.5);
  p.setPen(QPen(kBlue, 2, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  for (int i = 1; i <= 3; ++i) {
    const double r = 10.0 * i;
    p.drawArc(QRectF(at.x() + 54 - r, at.y() + 40 - r, 2 * r, 2 * r), -35 * 16, 70 * 16);
  }
  p.restore();
}

void DrawInjector(QPainter& p, QPointF at) {
  p.save();
  p.setPen(QPen(QColor(70, 70, 70), 1.5));
  p.setBrush(QColor(245, 245, 245));
  p.drawRoundedRect(QRectF(at.x(), at.y(), 46, 26), 4, 4);
  p.setPen(Qt::NoPen);
  p.setBrush(kOrange);
  p.drawEllipse(QPointF(at.x() + 9, at.y() + 13), 3, 3);
  p.restore();
}

void HelpPicture(const Words& w, const QString& name) {
  QImage image = Canvas(1200, 960);
  QPainter p(&image);
  Smooth(p);
  p.fillRect(0, 0, 1200, 96, Vertical(0, 96, kBlue, kBlueDark));
  p.setPen(Qt::white);
  p.setFont(Font(w.face, 30, true));
  p.drawText(QRect(40, 12, 1120, 44), Qt::AlignLeft | Qt::AlignVCenter, w.helpTitle);
  p.setPen(QColor(210, 228, 245));
  p.setFont(Font(w.face, 16));
  p.drawText(QRect(40, 56, 1120, 28), Qt::AlignLeft | Qt::AlignVCenter, w.helpIntro);

  // The segment: everything inside the dashed frame shares one layer-2 network.
  const QRectF segment(40, 130, 1120, 470);
  p.setPen(QPen(kOrange, 2, Qt::DashLine));
  p.setBrush(QColor(255, 248, 241));
  p.drawRoundedRect(segment, 16, 16);
  p.setPen(kOrange);
  p.setFont(Font(w.face, 16, true));
  p.drawText(QRectF(60, 140, 1080, 28), Qt::AlignLeft | Qt::AlignVCenter, w.segment);

  const QPointF pcAt(90, 300), switchAt(360, 350);
  const QPointF devices[3] = {{860, 180}, {860, 320}, {860, 450}};
  const QPointF injectors[3] = {{680, 230}, {680, 370}, {680, 500}};
  QPen cable(kBlueDark, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(cable);
  p.drawLine(QPointF(pcAt.x() + 120, pcAt.y() + 50), QPointF(switchAt.x(), switchAt.y() + 22));
  for (int i = 0; i < 3; ++i) {
    QPainterPath toInjector;
    toInjector.moveTo(switchAt.x() + 180, switchAt.y() + 22);
    toInjector.cubicTo(switchAt.x() + 240, switchAt.y() + 22, injectors[i].x() - 60,
                       injectors[i].y() + 13, injectors[i].x(), injectors[i].y() + 13);
    p.setBrush(Qt::NoBrush);
    p.drawPath(toInjector);
    p.drawLine(QPointF(injectors[i].x() + 46, injectors[i].y() + 13),
               QPointF(devices[i].x() + 30, devices[i].y() + 110));
  }
  DrawPc(p, pcAt);
  DrawSwitch(p, switchAt);
  for (int i = 0; i < 3; ++i) {
    DrawInjector(p, injectors[i]);
    DrawDevice(p, devices[i]);
  }
  p.setPen(kText);
  p.setFont(Font(w.face, 15, true));
  p.drawText(QRectF(pcAt.x() - 30, pcAt.y() + 110, 180, 24), Qt::AlignCenter, w.pc);
  p.drawText(QRectF(switchAt.x(), switchAt.y() + 52, 180, 24), Qt::AlignCenter, w.switchLabel);
  p.drawText(QRectF(960, 260, 190, 24), Qt::AlignLeft | Qt::AlignVCenter, w.device);
  p.setFont(Font(w.face, 13));
  p.setPen(QColor(90, 90, 90));
  p.drawText(QRectF(620, 532, 180, 22), Qt::AlignCenter, w.poe);
  p.drawText(QRectF(215, 318, 140, 22), Qt::AlignCenter, w.cable);

  p.setPen(kText);
  p.setFont(Font(w.face, 18));
  for (int i = 0; i < 5; ++i) {
    p.setBrush(i % 2 ? QColor(247, 249, 251) : QColor(238, 244, 250));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(40, 630 + i * 52, 1120, 44), 8, 8);
    p.setPen(kText);
    p.drawText(QRectF(60, 630 + i * 52, 1090, 44), Qt::AlignLeft | Qt::AlignVCenter, w.steps[i]);
  }
  p.setPen(QColor(216, 34, 40));
  p.setFont(Font(w.face, 15));
  p.drawText(QRectF(40, 900, 1120, 40), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
             w.note);
  Save(image, name);
}

void BridgeFinish() {
  QImage image = Canvas(520, 220);
  QPainter p(&image);
  Smooth(p);
  p.fillRect(image.rect(), Vertical(0, 220, QColor(214, 234, 250), Qt::white));
  p.fillRect(0, 180, 520, 40, QColor(222, 236, 214));
  DrawDevice(p, QPointF(40, 50));
  p.save();
  p.translate(480, 0);
  p.scale(-1, 1);
  DrawDevice(p, QPointF(0, 50));
  p.restore();
  QPen beam(kOrange, 3, Qt::DashLine, Qt::RoundCap);
  p.setPen(beam);
  p.drawLine(QPointF(110, 90), QPointF(370, 90));
  p.setBrush(kGreen);
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(240, 90), 16, 16);
  p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolyline(QPolygonF() << QPointF(232, 90) << QPointF(238, 97) << QPointF(249, 83));
  Save(image, QStringLiteral("bridge_finish.jpg"));
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: skin_generator <output folder>\n");
    return 2;
  }
  g_out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(g_out);

  MainBackground();
  MenuBackground();
  MenuButton(QStringLiteral("bt_menu_search_normal.bmp"), false, true);
  MenuButton(QStringLiteral("bt_menu_search_down.bmp"), true, true);
  MenuButton(QStringLiteral("bt_menu_wireless_normal.bmp"), false, false);
  MenuButton(QStringLiteral("bt_menu_wireless_down.bmp"), true, false);
  CaptionButton(QStringLiteral("help_normal.bmp"), '?', 971);
  CaptionButton(QStringLiteral("min_normal.bmp"), '-', 999);
  CaptionButton(QStringLiteral("close_normal.bmp"), 'x', 1026);
  HelpItemPictures();
  SearchButton();
  UpdateButtons();
  SearchBoxEnds();
  Lines();
  BusyAnimation();
  WritePicture();
  SignalStrengths();
  ConfigPictures();
  AppIcon();
  BridgeFinish();
  const Words english = English(), chinese = Chinese();
  CellPicture(QStringLiteral("web_other.bmp"), english.web, english.face, kBlue);
  CellPicture(QStringLiteral("web_chinese.bmp"), chinese.web, chinese.face, kBlue);
  CellPicture(QStringLiteral("bridge_other.bmp"), english.bridge, english.face, kOrange);
  CellPicture(QStringLiteral("bridge_chinese.bmp"), chinese.bridge, chinese.face, kOrange);
  HelpPicture(english, QStringLiteral("help_other.jpg"));
  HelpPicture(chinese, QStringLiteral("help_chinese.jpg"));
  return g_failures == 0 ? 0 : 1;
}
