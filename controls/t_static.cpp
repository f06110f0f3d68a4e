#include "controls/t_static.h"

#include "controls/skin_font.h"

CTStatic::CTStatic(QWidget* parent) : CTStatic(QString(), parent) {}

CTStatic::CTStatic(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setFont(SkinFont(QStringLiteral("Arial"), 0, 16));
  ApplyColours();
}

void CTStatic::SetStaticStyle(const QString& face, int weight, int height, const QColor& textColour,
                              const QColor& backgroundColour) {
  setFont(SkinFont(face, weight, height));
  textColour_ = textColour;
  backgroundColour_ = backgroundColour;
  ApplyColours();
}

void CTStatic::SetTextColour(const QColor& colour) {
  textColour_ = colour;
  ApplyColours();
}

void CTStatic::SetTransparent(bool transparent) {
  transparent_ = transparent;
  ApplyColours();
}

void CTStatic::ApplyColours() {
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, textColour_);
  colours.setColor(QPalette::Window, backgroundColour_);
  setPalette(colours);
  setAutoFillBackground(!transparent_);
  update();
}
