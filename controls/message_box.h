#pragma once
// The message boxes of the pages and forms. A test installs a recorder and
// every box is recorded instead of shown, so no modal loop blocks it.
//
// User-interface thread only.

#include <QString>
#include <functional>

class QWidget;

enum class MessageIcon { kNone, kExclamation };

struct ShownMessage {
  MessageIcon icon = MessageIcon::kNone;
  QString caption;
  QString text;
};

using MessageRecorder = std::function<void(const ShownMessage&)>;

// Shows a modal box with an OK button, or hands it to the recorder.
void ShowMessage(QWidget* parent, const ShownMessage& message);
// An empty recorder shows boxes again.
void SetMessageRecorder(MessageRecorder recorder);
