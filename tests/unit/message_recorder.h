// Answers the engine's message boxes for a test and remembers what they said,
// from construction until destruction, when the previous handler is back.
#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

struct RecordedMessage {
  std::string text, caption;
  int style;
};

class MessageRecorder {
 public:
  // Answers given in order; once they run out, Yes/No questions get Yes (6)
  // and everything else OK (1).
  explicit MessageRecorder(std::deque<int> answers = {})
      : answers_(std::move(answers)), previousContext_(platform::MessageBoxContext()) {
    previous_ = platform::SetMessageBoxHandler(&MessageRecorder::Answer, this);
  }
  ~MessageRecorder() { platform::SetMessageBoxHandler(previous_, previousContext_); }
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  const std::vector<RecordedMessage>& messages() const { return messages_; }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const RecordedMessage& m : messages_) texts.push_back(m.text);
    return texts;
  }
  void Clear() { messages_.clear(); }

 private:
  static int Answer(const char* text, const char* caption, int style, platform::Question, void* context) {
    auto* self = static_cast<MessageRecorder*>(context);
    self->messages_.push_back({text, caption, style});
    if (self->answers_.empty()) return (style & 0xF) == 3 || (style & 0xF) == 4 ? 6 : 1;
    const int answer = self->answers_.front();
    self->answers_.pop_front();
    return answer;
  }

  std::deque<int> answers_;
  void* previousContext_;
  platform::MessageBoxHandler previous_;
  std::vector<RecordedMessage> messages_;
};
