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

int ShowMessage(const char* text, const char* caption, int style) {
  if (text == nullptr) text = "";
  if (caption == nullptr) caption = "";
  if (currentHandler != nullptr) return currentHandler(text, caption, style, currentContext);
  return DefaultMessageBox(text, caption, style);
}

}  // namespace platform
