// Reads the running program's window from outside, through Win32, for the
// end-to-end test: the test presses real keys and clicks, and asks this
// probe (started in the same Wine prefix) what the window shows.
//   varnock_probe wait            the main window is up and visible (20 s)
//   varnock_probe gone            the main window is gone (20 s)
//   varnock_probe focus           the name of the control with the focus
//   varnock_probe text NAME       the control's text, "\r", "\n", "\\" escaped
//   varnock_probe selection NAME  "start end textLength" of an edit box
//   varnock_probe center NAME     the control's centre in screen pixels
//   varnock_probe window          the main window's "left top right bottom"
//   varnock_probe resources EXE   the program file has its icon and manifest
// NAME is one of group1, assembly-box, assemble-button, disassemble-button,
// group2, byteset-box. Output is UTF-8. Exit code 0 on success, 1 on a failed check.
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <optional>
#include <string>
#include <string_view>

#include "app/app.h"

namespace {

using varnock::Control;

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

void Print(const std::string& line) {
  // Raw bytes: the C runtime's text mode would turn "\n" into "\r\n".
  DWORD written = 0;
  const std::string out = line + "\n";
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written,
            nullptr);
}

HWND MainWindow() { return FindWindowW(L"VarnockMainWindow", varnock::kMainWindowCaption); }

// Controls are named on the command line in ASCII: Wine hands a program its
// Unix arguments through a code page that cannot carry the Chinese names.
std::optional<Control> ControlNamed(std::wstring_view name) {
  static constexpr struct {
    const wchar_t* alias;
    Control control;
  } kAliases[] = {
      {L"group1", Control::分组框1},
      {L"assembly-box", Control::编辑框_汇编内容},
      {L"assemble-button", Control::按钮_汇编转字节集},
      {L"disassemble-button", Control::按钮_字节集转汇编},
      {L"group2", Control::分组框2},
      {L"byteset-box", Control::编辑框_字节集内容},
  };
  for (const auto& entry : kAliases) {
    if (name == entry.alias) return entry.control;
  }
  return std::nullopt;
}

HWND ControlWindow(HWND main, Control control) {
  for (const varnock::ControlLayout& row : varnock::MainWindowLayout()) {
    if (row.control != control) continue;
    HWND parent = row.container ? ControlWindow(main, *row.container) : main;
    return GetDlgItem(parent, varnock::ControlId(control));
  }
  return nullptr;
}

std::wstring TextOf(HWND window) {
  const auto length = static_cast<int>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const auto copied = static_cast<int>(
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\\')
      out += "\\\\";
    else
      out += c;
  }
  return out;
}

bool WaitFor(bool wantPresent) {
  for (int i = 0; i < 200; ++i) {
    HWND main = MainWindow();
    const bool present = main && IsWindowVisible(main);
    if (present == wantPresent) return true;
    Sleep(100);
  }
  return false;
}

std::string FocusName(HWND main) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info)) return "unknown";
  if (!info.hwndFocus) return "none";
  for (const varnock::ControlLayout& row : varnock::MainWindowLayout()) {
    if (ControlWindow(main, row.control) == info.hwndFocus) return row.name;
  }
  return info.hwndFocus == main ? "main window" : "other";
}

bool HasResources(const wchar_t* program) {
  HMODULE module = LoadLibraryExW(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return false;
  bool ok =
      FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)) != nullptr;  // RT_GROUP_ICON
  HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  if (ok && manifest) {
    const auto* data = static_cast<const char*>(LockResource(LoadResource(module, manifest)));
    const std::string text(data, SizeofResource(module, manifest));
    for (const char* needed :
         {"Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"", "level=\"asInvoker\""}) {
      if (text.find(needed) == std::string::npos) {
        Print(std::string("manifest lacks ") + needed);
        ok = false;
      }
    }
  } else {
    ok = false;
  }
  FreeLibrary(module);
  return ok;
}

int Run(int count, wchar_t** args) {
  if (count < 2) return 2;
  const std::wstring_view command = args[1];
  if (command == L"wait") return WaitFor(true) ? 0 : 1;
  if (command == L"gone") return WaitFor(false) ? 0 : 1;
  if (command == L"resources") return count > 2 && HasResources(args[2]) ? 0 : 1;

  HWND main = MainWindow();
  if (!main) {
    Print("no window");
    return 1;
  }
  if (command == L"focus") {
    Print(FocusName(main));
    return 0;
  }
  if (command == L"window") {
    RECT r;
    GetWindowRect(main, &r);
    Print(std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
          " " + std::to_string(r.bottom));
    return 0;
  }
  const std::optional<Control> named = count > 2 ? ControlNamed(args[2]) : std::nullopt;
  HWND control = named ? ControlWindow(main, *named) : nullptr;
  if (!control) {
    Print("no such control");
    return 1;
  }
  if (command == L"text") {
    Print(Escaped(Utf8(TextOf(control))));
  } else if (command == L"selection") {
    // The packed result (16-bit positions): pointers would not cross processes.
    const auto selection = static_cast<DWORD>(SendMessageW(control, EM_GETSEL, 0, 0));
    const unsigned start = LOWORD(selection);
    const unsigned end = HIWORD(selection);
    Print(std::to_string(start) + " " + std::to_string(end) + " " +
          std::to_string(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0)));
  } else if (command == L"center") {
    RECT r;
    GetWindowRect(control, &r);
    Print(std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2));
  } else {
    return 2;
  }
  return 0;
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  const int result = args ? Run(count, args) : 2;
  LocalFree(args);
  return result;
}
