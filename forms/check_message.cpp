#include "forms/check_message.h"

#include "controls/message_box.h"

void ShowCheckFailure(QWidget* parent, const CheckResult& result) {
  if (result.passed) return;
  const QString title = QStringLiteral(APP_PROGRAM_NAME);
  ShownMessage message;
  message.text = QString::fromStdString(MessageText(result));
  switch (result.style) {
    case MessageStyle::kPlain:
      message.caption = title;
      break;
    case MessageStyle::kWarning:
      message.icon = MessageIcon::kExclamation;
      break;
    case MessageStyle::kWarningTitled:
      message.icon = MessageIcon::kExclamation;
      message.caption = title;
      break;
  }
  ShowMessage(parent, message);
}
