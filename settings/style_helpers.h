#pragma once
// The skin's colours and fonts as the widgets use them, and the helpers that
// style picture buttons and grid cells with them.
//
// User-interface thread only.

#include <QColor>
#include <QFont>
#include <QString>

struct AppSettings;
class CTButtonPicture;
class CGridCtrl;

inline constexpr int GridRowHeight = 48;

// Colours and fonts from the Color and Font sections of Setting.ini; the
// member defaults are the built-in defaults.
struct SkinStyle {
  QColor childBkColor{255, 255, 255};
  QColor buttonMenuFontColor{0, 0, 0};
  QColor buttonFontColor{0, 0, 0};
  QColor textDownColor{216, 34, 40};
  QColor staticFontTextColor{0, 0, 0};
  QColor staticFontBkColor{255, 255, 255};
  QColor staticTextNumberColor{142, 142, 142};
  QColor lineColor{215, 215, 215};
  QColor gridTextColor{0, 0, 0};
  QColor gridTitleTextColor{237, 112, 32};
  QColor gridTitleBkColor{221, 217, 196};
  QColor textUnlineColor{142, 142, 142};
  QColor textOnlineColor{0, 153, 0};
  QString fontName = QStringLiteral("Arial");
  int buttonMenuFontWeight = 0, buttonMenuFontHeight = 15;
  int buttonFontWeight = 0, buttonFontHeight = 15;
  int staticFontWeight = 0, staticFontHeight = 15;
  int gridTitleFontWeight = 700, gridTitleFontHeight = 15;
  int gridFontWeight = 0, gridFontHeight = 15;

  QFont GridHeaderFont() const;
  QFont GridBodyFont() const;
};

// The style of the settings read from Setting.ini.
SkinStyle SkinStyleFromSettings(const AppSettings& settings);

void StyleMenuButton(const SkinStyle& style, CTButtonPicture& button, const QString& text);
void StyleButton(const SkinStyle& style, CTButtonPicture& button, const QString& text);
void SetGridHeaderCell(const SkinStyle& style, CGridCtrl& grid, int column, const QString& text,
                       int width);
// Body cells in the grid text colour, the offline colour and the online
// colour; each sets the row's height to GridRowHeight.
void SetGridCell(const SkinStyle& style, CGridCtrl& grid, int row, int column, const QString& text,
                 Qt::Alignment format = Qt::AlignCenter);
void SetGridCellOffline(const SkinStyle& style, CGridCtrl& grid, int row, int column,
                        const QString& text, Qt::Alignment format = Qt::AlignCenter);
void SetGridCellOnline(const SkinStyle& style, CGridCtrl& grid, int row, int column,
                       const QString& text, Qt::Alignment format = Qt::AlignCenter);
