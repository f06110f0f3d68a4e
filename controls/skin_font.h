#pragma once
// Fonts described the way the skin settings describe them: a face name, a
// weight (0 default, 700 bold) and a height in logical units, where a positive
// height is the whole character cell and a negative one the character alone;
// 0 keeps the default size.

#include <QFont>
#include <QString>

QFont SkinFont(const QString& face, int weight, int height);
