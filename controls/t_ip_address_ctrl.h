#pragma once
// CTIpAddressCtrl: an IPv4 address entry of four number fields joined by
// dots, like the address control administrators know from other tools. A
// field takes up to three digits; typing the third digit or a dot moves on to
// the next field, and Backspace in an empty field moves back.
//
// Text() is empty while every field is empty; otherwise it is four decimal
// octets joined by dots, an empty field counting as 0 and a number above 255
// as 255. User-interface thread only.

#include <QFrame>
#include <QString>
#include <array>

class QLineEdit;

class CTIpAddressCtrl : public QFrame {
  Q_OBJECT
 public:
  explicit CTIpAddressCtrl(QWidget* parent = nullptr);

  QString Text() const;
  // "a.b.c.d" with numbers 0 to 255 fills the fields; any other text empties
  // them.
  void SetText(const QString& text);
  void Clear();
  QLineEdit* Field(int index) const { return fields_[index]; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void OnFieldEdited(int index);
  void FocusField(int index);

  std::array<QLineEdit*, 4> fields_{};
};
