#include "app/app.h"

namespace varnock {

std::wstring ModuleFileName() {
  // GetModuleFileNameW does not tell the size it needs: it truncates and
  // returns the buffer's size, so grow until the name fits. 32767 characters
  // is the longest path Windows has.
  std::wstring name(MAX_PATH, L'\0');
  while (true) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) {
      name.resize(length);
      return name;
    }
    if (name.size() > 32768) return {};
    name.resize(name.size() * 2);
  }
}

std::wstring ProgramDirectoryOf(std::wstring_view moduleFileName) {
  const size_t cut = moduleFileName.rfind(L'\\');
  if (cut == std::wstring_view::npos) return {};
  if (cut > 0 && moduleFileName[cut - 1] == L':') {
    return std::wstring(moduleFileName.substr(0, cut + 1));
  }
  return std::wstring(moduleFileName.substr(0, cut));
}

bool EnterProgramDirectory() {
  const std::wstring directory = ProgramDirectoryOf(ModuleFileName());
  return !directory.empty() && SetCurrentDirectoryW(directory.c_str()) != 0;
}

}  // namespace varnock
