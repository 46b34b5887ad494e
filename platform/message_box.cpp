// One handler answers every message box; without one the platform's own
// default does.
#include "platform/default_message_box.h"
#include "platform/platform.h"

namespace platform {
namespace {

MessageBoxHandler currentHandler = nullptr;
void* currentContext = nullptr;

}  // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler, void* context) {
  MessageBoxHandler previous = currentHandler;
  currentHandler = handler;
  currentContext = context;
  return previous;
}

void* MessageBoxContext() { return currentContext; }

namespace {

int Show(const char* text, const char* caption, int style, Question question) {
  if (text == nullptr) text = "";
  if (caption == nullptr) caption = "";
  if (currentHandler != nullptr) return currentHandler(text, caption, style, question, currentContext);
  return DefaultMessageBox(text, caption, style);
}

}  // namespace

int ShowMessage(const char* text, const char* caption, int style) {
  return Show(text, caption, style, Question::kNone);
}

bool Ask(Question question, const char* text) {
  return Show(text, "確認", kQuestionBox, question) == kYesAnswer;
}

}  // namespace platform
