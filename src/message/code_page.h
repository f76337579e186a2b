// Conversions between the program's 8-bit texts and the UTF-16 of the
// system's W functions. The source's own strings (captions, messages) are
// UTF-8; the user's texts in the edit boxes, and the tools' output, are in
// the ANSI code page (936 on the systems the tool is written for).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace varnock {

// 8-bit text in the given code page (CP_UTF8, CP_ACP) to UTF-16, and back.
// Characters the target cannot hold become the system's default character.
std::wstring Widen(std::string_view text, UINT codePage);
std::string Narrow(std::wstring_view text, UINT codePage);

// The ANSI code page's text as UTF-8, and the reverse.
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);

}  // namespace varnock
