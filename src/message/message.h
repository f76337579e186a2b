// Error messages shown to the user: the one place where a command talks to
// the user outside its edit box. Texts are UTF-8 here and reach the system as
// UTF-16, so the Chinese messages show correctly whatever the code page.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "message/code_page.h"

namespace varnock {

// Shows a message box with an OK button and the error icon, without an owner
// window and modal to every window of the program (MB_OK | MB_ICONERROR |
// MB_TASKMODAL). Returns when the user has closed it.
void ShowErrorMessage(std::string_view caption, std::string_view text);

// While one of these lives, ShowErrorMessage records its messages here
// instead of showing a box: for tests, which must not block on a modal box.
class MessageRecorder {
 public:
  struct Message {
    std::string caption;
    std::string text;
  };

  MessageRecorder();
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder &) = delete;
  MessageRecorder &operator=(const MessageRecorder &) = delete;

  const std::vector<Message> &messages() const { return messages_; }
  void Clear() { messages_.clear(); }

 private:
  friend void ShowErrorMessage(std::string_view, std::string_view);
  std::vector<Message> messages_;
  MessageRecorder *previous_;
};

}  // namespace varnock
