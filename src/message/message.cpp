#include "message/message.h"

#include <windows.h>

namespace varnock {
namespace {

MessageRecorder* g_recorder = nullptr;

std::wstring ToWide(std::string_view text, UINT codePage) {
  if (text.empty()) return {};
  int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string FromWide(std::wstring_view wide, UINT codePage) {
  if (wide.empty()) return {};
  int size = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                      nullptr, nullptr);
  return text;
}

}  // namespace

MessageRecorder::MessageRecorder() : previous_(g_recorder) { g_recorder = this; }

MessageRecorder::~MessageRecorder() { g_recorder = previous_; }

void ShowErrorMessage(std::string_view caption, std::string_view text) {
  if (g_recorder) {
    g_recorder->messages_.push_back({std::string(caption), std::string(text)});
    return;
  }
  MessageBoxW(nullptr, ToWide(text, CP_UTF8).c_str(), ToWide(caption, CP_UTF8).c_str(),
              MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

std::string AnsiToUtf8(std::string_view ansi) { return FromWide(ToWide(ansi, CP_ACP), CP_UTF8); }

std::string Utf8ToAnsi(std::string_view utf8) { return FromWide(ToWide(utf8, CP_UTF8), CP_ACP); }

}  // namespace varnock
