#include "controls/message_box.h"

#include <QMessageBox>

namespace {
MessageRecorder& Recorder() {
  static MessageRecorder recorder;
  return recorder;
}
}  // namespace

void ShowMessage(QWidget* parent, const ShownMessage& message) {
  if (Recorder()) {
    Recorder()(message);
    return;
  }
  const QMessageBox::Icon icon =
      message.icon == MessageIcon::kExclamation ? QMessageBox::Warning : QMessageBox::NoIcon;
  QMessageBox box(icon, message.caption, message.text, QMessageBox::Ok, parent);
  box.exec();
}

void SetMessageRecorder(MessageRecorder recorder) { Recorder() = std::move(recorder); }
