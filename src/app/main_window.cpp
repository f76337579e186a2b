#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <utility>

#include "app/app.h"
#include "message/code_page.h"

namespace varnock {
namespace {

constexpr wchar_t kClassName[] = L"VarnockMainWindow";
// The icon's resource id in varnock.rc.
constexpr int kIconResource = 1;

int IndexOf(Control control) { return static_cast<int>(control); }

const ControlLayout& LayoutOf(Control control) {
  const auto layout = MainWindowLayout();
  return *std::find_if(layout.begin(), layout.end(),
                       [control](const ControlLayout& row) { return row.control == control; });
}

const wchar_t* ClassNameOf(ControlKind kind) {
  // Group boxes are buttons of style BS_GROUPBOX.
  return kind == ControlKind::kEditBox ? WC_EDITW : WC_BUTTONW;
}

HICON LoadProgramIcon(HINSTANCE instance, int size) {
  // Shared icons belong to the system: nothing to destroy. A program built
  // without the resource (the tests) gets the stock one.
  auto icon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, size, size, LR_SHARED));
  return icon ? icon : LoadIconA(nullptr, IDI_APPLICATION);
}

// A group box paints only its frame and caption, and the main window's
// WS_CLIPCHILDREN keeps the window from painting under it: the group box
// fills its own background. It also passes its edit box's commands on, so
// that every control command reaches the main window.
LRESULT CALLBACK GroupBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_COMMAND:
      return SendMessageW(GetParent(window), message, wParam, lParam);
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, &GroupBoxProcedure, 0);
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, Commands commands) : commands_(std::move(commands)) {
  // The manifest asks for the version 6 controls; this loads them.
  INITCOMMONCONTROLSEX common = {sizeof common, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&common);

  static const ATOM windowClass = [instance] {
    WNDCLASSEXW description = {};
    description.cbSize = sizeof description;
    description.lpfnWndProc = &MainWindow::Procedure;
    description.hInstance = instance;
    description.hIcon = LoadProgramIcon(instance, GetSystemMetrics(SM_CXICON));
    description.hIconSm = LoadProgramIcon(instance, GetSystemMetrics(SM_CXSMICON));
    description.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    description.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    description.lpszClassName = kClassName;
    return RegisterClassExW(&description);
  }();
  if (!windowClass) return;

  // Centred on the primary screen; integer division truncates toward zero.
  const int left = (GetSystemMetrics(SM_CXSCREEN) - kMainWindowWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kMainWindowHeight) / 2;
  // WM_NCCREATE stores the handle in window_.
  if (!CreateWindowExW(0, kClassName, kMainWindowCaption, kMainWindowStyle, left, top,
                       kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, instance, this)) {
    window_ = nullptr;
    return;
  }
  if (!CreateControls(instance)) DestroyWindow(window_);
}

MainWindow::~MainWindow() {
  if (window_) DestroyWindow(window_);
}

bool MainWindow::CreateControls(HINSTANCE instance) {
  const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  for (const ControlLayout& row : MainWindowLayout()) {
    HWND parent = row.container ? ControlHandle(*row.container) : window_;
    const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(row.control)));
    HWND control =
        CreateWindowExW(row.exStyle, ClassNameOf(row.kind), Widen(row.caption, CP_UTF8).c_str(),
                        WS_CHILD | WS_VISIBLE | row.style, row.left, row.top, row.width, row.height,
                        parent, id, instance, nullptr);
    if (!control) return false;
    controls_[IndexOf(row.control)] = control;
    SendMessageW(control, WM_SETFONT, font, FALSE);
    // 0: the largest limit the edit control has.
    if (row.kind == ControlKind::kEditBox) SendMessageW(control, EM_SETLIMITTEXT, 0, 0);
    if (row.kind == ControlKind::kGroupBox) SetWindowSubclass(control, &GroupBoxProcedure, 0, 0);
  }
  return true;
}

HWND MainWindow::ControlHandle(Control control) const { return controls_[IndexOf(control)]; }

std::optional<Control> MainWindow::ControlOf(HWND window) const {
  if (!window) return std::nullopt;
  for (const ControlLayout& row : MainWindowLayout()) {
    if (ControlHandle(row.control) == window) return row.control;
  }
  return std::nullopt;
}

bool MainWindow::Contains(HWND window) const {
  return window_ && window && (window == window_ || IsChild(window_, window));
}

void MainWindow::Show() {
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
  SetForegroundWindow(window_);
  RestoreFocus();
}

void MainWindow::Close() {
  // What the close button sends: DefWindowProc turns it into WM_CLOSE, which
  // destroys the window without asking.
  SendMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void MainWindow::MoveFocus(int step) {
  const auto ring = FocusRing();
  const auto count = static_cast<int>(ring.size());
  const std::optional<Control> focused = ControlOf(GetFocus());
  const auto at = focused ? std::find(ring.begin(), ring.end(), *focused) : ring.end();
  int next = step > 0 ? 0 : count - 1;
  if (at != ring.end()) next = (static_cast<int>(at - ring.begin()) + count + step) % count;
  SetFocus(ControlHandle(ring[static_cast<size_t>(next)]));
  // Moving by keyboard shows the focus cues, as a dialog does on Tab.
  SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

Text MainWindow::ReadText(Control box) const {
  HWND edit = ControlHandle(box);
  const int length = GetWindowTextLengthW(edit);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(edit, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(copied, 0)));
  return Narrow(text, CP_ACP);
}

void MainWindow::WriteText(Control box, const Text& text) {
  SetWindowTextW(ControlHandle(box), Widen(text, CP_ACP).c_str());
}

void MainWindow::SelectAll(Control box) {
  HWND edit = ControlHandle(box);
  SendMessageW(edit, EM_SETSEL, 0, GetWindowTextLengthW(edit));
  SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

std::optional<bool> MainWindow::OnKeyPress(Control control, int keyCode, int modifiers) {
  if (LayoutOf(control).kind != ControlKind::kEditBox) return std::nullopt;
  // Ctrl alone: Ctrl+Shift+A and Ctrl+Alt+A (AltGr+A) reach the box.
  if (modifiers == kCtrlBit && keyCode == 'A') {
    SelectAll(control);
    return false;
  }
  return std::nullopt;
}

void MainWindow::OnClicked(Control button) {
  if (button == Control::按钮_汇编转字节集) {
    WriteText(Control::编辑框_字节集内容, commands_.assemble(ReadText(Control::编辑框_汇编内容)));
  } else if (button == Control::按钮_字节集转汇编) {
    if (auto listing = commands_.disassemble(ReadText(Control::编辑框_字节集内容))) {
      WriteText(Control::编辑框_汇编内容, *listing);
    }
  }
}

void MainWindow::RestoreFocus() {
  HWND target = rememberedFocus_ && IsWindow(rememberedFocus_) ? rememberedFocus_
                                                               : ControlHandle(FocusRing().front());
  SetFocus(target);
}

LRESULT CALLBACK MainWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_;
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && lParam) {
        if (const std::optional<Control> button = ControlOf(reinterpret_cast<HWND>(lParam))) {
          // No exception may cross the window procedure back into the system;
          // a command that fails this way leaves both boxes as they were.
          try {
            OnClicked(*button);
          } catch (const std::exception&) {
          }
          return 0;
        }
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focused = GetFocus();
        if (ControlOf(focused)) rememberedFocus_ = focused;
        return 0;
      }
      if (HIWORD(wParam)) break;  // Activated while minimized: no control to focus yet.
      RestoreFocus();
      return 0;
    case WM_SETFOCUS:
      // The window itself never keeps the focus: it hands it to its control.
      RestoreFocus();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      window_ = nullptr;
      std::fill(std::begin(controls_), std::end(controls_), nullptr);
      rememberedFocus_ = nullptr;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace varnock
