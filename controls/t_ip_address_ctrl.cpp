#include "controls/t_ip_address_ctrl.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <algorithm>

namespace {
constexpr int kOctetMax = 255;

QString OctetText(const QString& field) {
  if (field.isEmpty()) return QStringLiteral("0");
  return QString::number(std::min(field.toInt(), kOctetMax));
}
}  // namespace

CTIpAddressCtrl::CTIpAddressCtrl(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(2, 0, 2, 0);
  layout->setSpacing(0);
  auto* digits =
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      auto* dot = new QLabel(QStringLiteral("."), this);
      dot->setAlignment(Qt::AlignCenter);
      layout->addWidget(dot);
    }
    auto* field = new QLineEdit(this);
    field->setObjectName(QStringLiteral("octet%1").arg(i));
    field->setFrame(false);
    field->setAlignment(Qt::AlignCenter);
    field->setMaxLength(3);
    field->setValidator(digits);
    field->installEventFilter(this);
    connect(field, &QLineEdit::textEdited, this, [this, i] { OnFieldEdited(i); });
    connect(field, &QLineEdit::editingFinished, this, [field] {
      if (!field->text().isEmpty()) field->setText(OctetText(field->text()));
    });
    layout->addWidget(field, 1);
    fields_[i] = field;
  }
  setFocusProxy(fields_[0]);
}

QString CTIpAddressCtrl::Text() const {
  bool blank = true;
  for (const QLineEdit* field : fields_) blank = blank && field->text().isEmpty();
  if (blank) return QString();
  QStringList octets;
  for (const QLineEdit* field : fields_) octets << OctetText(field->text());
  return octets.join(QLatin1Char('.'));
}

void CTIpAddressCtrl::SetText(const QString& text) {
  const QStringList parts = text.split(QLatin1Char('.'));
  bool valid = parts.size() == 4;
  for (const QString& part : parts) {
    bool number = false;
    const int value = part.toInt(&number);
    valid = valid && number && part.size() <= 3 && value >= 0 && value <= kOctetMax;
  }
  for (int i = 0; i < 4; ++i) {
    fields_[i]->setText(valid ? QString::number(parts[i].toInt()) : QString());
  }
}

void CTIpAddressCtrl::Clear() {
  for (QLineEdit* field : fields_) field->clear();
}

void CTIpAddressCtrl::OnFieldEdited(int index) {
  if (fields_[index]->text().size() == 3 && index < 3) FocusField(index + 1);
}

void CTIpAddressCtrl::FocusField(int index) {
  fields_[index]->setFocus(Qt::OtherFocusReason);
  fields_[index]->selectAll();
}

bool CTIpAddressCtrl::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QFrame::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  const int index =
      static_cast<int>(std::find(fields_.begin(), fields_.end(), watched) - fields_.begin());
  if (index >= 4) return false;
  QLineEdit* field = fields_[index];
  if (key->key() == Qt::Key_Period || key->key() == Qt::Key_Space) {
    if (index < 3 && !field->text().isEmpty()) FocusField(index + 1);
    return true;  // a dot is never part of a field
  }
  if (key->key() == Qt::Key_Backspace && field->cursorPosition() == 0 && index > 0 &&
      !field->hasSelectedText()) {
    FocusField(index - 1);
    fields_[index - 1]->end(false);
    return true;
  }
  return false;
}

void CTIpAddressCtrl::changeEvent(QEvent* event) {
  QFrame::changeEvent(event);
  // A disabled control looks disabled as a whole, dots included.
  if (event->type() == QEvent::EnabledChange) {
    setBackgroundRole(isEnabled() ? QPalette::Base : QPalette::Window);
  }
}
