#include "i18n/window_translation.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextEdit>

#include "i18n/language.h"

namespace {
const char* const kTranslatedProperty = "translatedOnce";

// Marks the widget as handled; false when it already was. A property on the
// object, unlike a list of addresses, cannot match a new widget that reuses
// the address of a destroyed one.
bool FirstVisit(QObject* object) {
  if (object->property(kTranslatedProperty).toBool()) return false;
  object->setProperty(kTranslatedProperty, true);
  return true;
}

bool HoldsData(const QWidget* widget) {
  return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
         qobject_cast<const QAbstractItemView*>(widget) ||
         qobject_cast<const QProgressBar*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
         qobject_cast<const QPlainTextEdit*>(widget);
}

// The translation, or an empty text when the label must stay.
QString TranslatedLabel(const QString& text) {
  if (text.isEmpty() || text == QLatin1String("...")) return QString();
  return Tr(text);
}

void TranslateCombo(QComboBox* combo) {
  const int selected = combo->currentIndex();
  const QSignalBlocker quiet(combo);
  for (int i = 0; i < combo->count(); ++i) {
    const QString text = combo->itemText(i);
    if (text.isEmpty()) continue;
    const QString translated = Tr(text);
    if (!translated.isEmpty()) combo->setItemText(i, translated);
  }
  if (selected >= 0 && selected < combo->count()) combo->setCurrentIndex(selected);
}

void TranslateWidget(QWidget* widget) {
  if (!FirstVisit(widget) || HoldsData(widget)) return;
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    if (!combo->isEditable()) TranslateCombo(combo);
    return;
  }
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    const QString translated = TranslatedLabel(label->text());
    if (!translated.isEmpty()) label->setText(translated);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    const QString translated = TranslatedLabel(button->text());
    if (!translated.isEmpty()) button->setText(translated);
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    const QString translated = TranslatedLabel(group->title());
    if (!translated.isEmpty()) group->setTitle(translated);
  }
}
}  // namespace

QString Tr(const char* english) { return QString::fromStdString(TranslateText(english)); }

QString Tr(const QString& english) {
  return QString::fromStdString(TranslateText(english.toStdString()));
}

void TranslateWindow(QWidget* dialog) {
  if (!dialog || !FirstVisit(dialog)) return;
  const QString title = dialog->windowTitle();
  if (!title.isEmpty()) {
    const QString translated = Tr(title);
    if (!translated.isEmpty() && translated != title) dialog->setWindowTitle(translated);
  }
  for (QWidget* child : dialog->findChildren<QWidget*>()) TranslateWidget(child);
}

void TranslateMenu(QMenu* menu) {
  if (!menu) return;
  for (QAction* item : menu->actions()) {
    if (item->isSeparator()) continue;
    const QString translated = Tr(item->text());
    if (!translated.isEmpty() && translated != item->text()) item->setText(translated);
    if (QMenu* submenu = item->menu()) TranslateMenu(submenu);
  }
}
