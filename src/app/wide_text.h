// Conversions between the program's 8-bit texts and the UTF-16 of the W
// functions: UTF-8 for the captions in the source, the ANSI code page for the
// edit boxes' Text.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace varnock {

std::wstring Widen(std::string_view text, UINT codePage);
std::string Narrow(std::wstring_view text, UINT codePage);

}  // namespace varnock
