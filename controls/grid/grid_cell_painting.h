#pragma once
// Drawing shared by the grid's body cells and header cells.

#include <QPainter>
#include <QRect>
#include <QStyleOption>

class QWidget;

// A check box centred in `cell`.
void PaintGridCheckBox(QPainter* painter, const QRect& cell, bool checked, bool enabled,
                       const QWidget* widget);
// Horizontal room a cell keeps free on each side of its text.
inline constexpr int kGridTextMargin = 4;
