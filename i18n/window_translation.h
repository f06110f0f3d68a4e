#pragma once
// Translating what the windows show: single texts, whole dialogs with all
// their child widgets, and menus. The English text is the key (TranslateText).
//
// User-interface thread only (Tr may be called from any thread).

#include <QString>

class QMenu;
class QWidget;

// TranslateText for Qt texts.
QString Tr(const char* english);
QString Tr(const QString& english);
// Marks an English text that TranslateWindow translates later, so the
// language-file check finds it.
inline QString TrKey(const char* english) { return QString::fromUtf8(english); }
// The same mark for English texts kept in tables and translated where used.
constexpr const char* TextKey(const char* english) { return english; }

// Translates the dialog's title and the texts of all its descendants once:
// a widget already translated is left alone, so a text is never looked up
// with its translation as key. Edits, spin boxes, item views and progress
// bars hold data, not labels, and are skipped; a text "..." stays as it is.
// Combo boxes get their items translated, keeping selection and item data.
void TranslateWindow(QWidget* dialog);

// Translates every item text, keeping ids and submenus, and the submenus.
void TranslateMenu(QMenu* menu);
