#pragma once
// Records the message boxes shown while it lives instead of showing them.

#include <QStringList>
#include <vector>

#include "controls/message_box.h"

class MessageLog {
 public:
  MessageLog() {
    SetMessageRecorder([this](const ShownMessage& message) { messages_.push_back(message); });
  }
  ~MessageLog() { SetMessageRecorder({}); }
  MessageLog(const MessageLog&) = delete;
  MessageLog& operator=(const MessageLog&) = delete;

  const std::vector<ShownMessage>& Messages() const { return messages_; }
  QStringList Texts() const {
    QStringList texts;
    for (const ShownMessage& message : messages_) texts << message.text;
    return texts;
  }
  void Clear() { messages_.clear(); }

 private:
  std::vector<ShownMessage> messages_;
};
