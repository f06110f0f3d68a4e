#include "settings/style_helpers.h"

#include "controls/grid/grid_ctrl.h"
#include "controls/skin_font.h"
#include "controls/t_button_picture.h"
#include "settings/app_settings.h"

namespace {
QColor ToQColor(const Colour& colour) { return QColor(colour.red, colour.green, colour.blue); }
}  // namespace

QFont SkinStyle::GridHeaderFont() const {
  return SkinFont(fontName, gridTitleFontWeight, gridTitleFontHeight);
}
QFont SkinStyle::GridBodyFont() const { return SkinFont(fontName, gridFontWeight, gridFontHeight); }

SkinStyle SkinStyleFromSettings(const AppSettings& settings) {
  SkinStyle style;
  style.childBkColor = ToQColor(settings.ChildBkColor);
  style.buttonMenuFontColor = ToQColor(settings.ButtonMenuFontColor);
  style.buttonFontColor = ToQColor(settings.ButtonFontColor);
  style.textDownColor = ToQColor(settings.TextDownColor);
  style.staticFontTextColor = ToQColor(settings.StaticFontTextColor);
  style.staticFontBkColor = ToQColor(settings.StaticFontBkColor);
  style.staticTextNumberColor = ToQColor(settings.StaticTextNumberColor);
  style.lineColor = ToQColor(settings.LineColor);
  style.gridTextColor = ToQColor(settings.GridTextColor);
  style.gridTitleTextColor = ToQColor(settings.GridTitleTextColor);
  style.gridTitleBkColor = ToQColor(settings.GridTitleBkColor);
  style.textUnlineColor = ToQColor(settings.TextUnlineColor);
  style.textOnlineColor = ToQColor(settings.TextOnlineColor);
  style.fontName = QString::fromStdString(settings.FontName);
  style.buttonMenuFontWeight = settings.ButtonMenuFontWeight;
  style.buttonMenuFontHeight = settings.ButtonMenuFontHeight;
  style.buttonFontWeight = settings.ButtonFontWeight;
  style.buttonFontHeight = settings.ButtonFontHeight;
  style.staticFontWeight = settings.StaticFontWeight;
  style.staticFontHeight = settings.StaticFontHeight;
  style.gridTitleFontWeight = settings.GridTitleFont.weight;
  style.gridTitleFontHeight = settings.GridTitleFont.height;
  style.gridFontWeight = settings.GridFont.weight;
  style.gridFontHeight = settings.GridFont.height;
  return style;
}

void StyleMenuButton(const SkinStyle& style, CTButtonPicture& button, const QString& text) {
  button.setText(text);
  button.SetFontSpec(style.fontName, style.buttonMenuFontWeight, style.buttonMenuFontHeight);
  button.SetTextColours(style.buttonMenuFontColor, style.textDownColor);
  button.SetPlacement(kPlaceLeft, 50);
  button.repaint();
}

void StyleButton(const SkinStyle& style, CTButtonPicture& button, const QString& text) {
  button.setText(text);
  button.SetFontSpec(style.fontName, style.buttonFontWeight, style.buttonFontHeight);
  button.SetTextColours(style.buttonFontColor, style.textDownColor);
}

void SetGridHeaderCell(const SkinStyle& style, CGridCtrl& grid, int column, const QString& text,
                       int width) {
  grid.SetColumnWidth(column, width);
  grid.SetItemFormat(0, column, Qt::AlignCenter);
  grid.SetItemFont(0, column, style.GridHeaderFont());
  grid.SetItemFgColour(0, column, style.gridTextColor);
  grid.SetItemText(0, column, text);
  grid.SetItemBkColour(0, column, style.gridTitleBkColor);
  grid.AutoSizeHeaderRow();
}

namespace {
void WriteBodyCell(const SkinStyle& style, CGridCtrl& grid, int row, int column,
                   const QString& text, Qt::Alignment format, const QColor& colour) {
  grid.SetItemFormat(row, column, format);
  grid.SetItemFont(row, column, style.GridBodyFont());
  grid.SetItemText(row, column, text);
  grid.SetItemFgColour(row, column, colour);
  if (row > 0 && row < grid.GetRowCount()) grid.SetRowHeight(row, GridRowHeight);
}
}  // namespace

void SetGridCell(const SkinStyle& style, CGridCtrl& grid, int row, int column, const QString& text,
                 Qt::Alignment format) {
  WriteBodyCell(style, grid, row, column, text, format, style.gridTitleTextColor);
}

void SetGridCellOffline(const SkinStyle& style, CGridCtrl& grid, int row, int column,
                        const QString& text, Qt::Alignment format) {
  WriteBodyCell(style, grid, row, column, text, format, style.textUnlineColor);
}

void SetGridCellOnline(const SkinStyle& style, CGridCtrl& grid, int row, int column,
                       const QString& text, Qt::Alignment format) {
  WriteBodyCell(style, grid, row, column, text, format, style.textOnlineColor);
}
