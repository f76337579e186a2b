#include "message/code_page.h"

namespace varnock {

std::wstring Widen(std::string_view text, UINT codePage) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (size <= 0) return {};
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), size);
  return wide;
}

std::string Narrow(std::wstring_view text, UINT codePage) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size =
      WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), length, narrow.data(), size, nullptr, nullptr);
  return narrow;
}

std::string AnsiToUtf8(std::string_view ansi) { return Narrow(Widen(ansi, CP_ACP), CP_UTF8); }

std::string Utf8ToAnsi(std::string_view utf8) { return Narrow(Widen(utf8, CP_UTF8), CP_ACP); }

}  // namespace varnock
