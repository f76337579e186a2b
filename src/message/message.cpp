#include "message/message.h"

#include <windows.h>

namespace varnock {
namespace {

MessageRecorder *g_recorder = nullptr;

}  // namespace

MessageRecorder::MessageRecorder() : previous_(g_recorder) { g_recorder = this; }

MessageRecorder::~MessageRecorder() { g_recorder = previous_; }

void ShowErrorMessage(std::string_view caption, std::string_view text) {
  if (g_recorder) {
    g_recorder->messages_.push_back({std::string(caption), std::string(text)});
    return;
  }
  MessageBoxW(nullptr, Widen(text, CP_UTF8).c_str(), Widen(caption, CP_UTF8).c_str(),
              MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace varnock
