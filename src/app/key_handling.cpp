#include "app/app.h"

namespace varnock {
namespace {

bool Held(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

}  // namespace

int KeyPressCode(WPARAM virtualKey) {
  const int key = static_cast<int>(virtualKey & 0xFF);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return '0' + (key - VK_NUMPAD0);
  switch (key) {
    case VK_SUBTRACT:
      return VK_OEM_MINUS;  // 189
    case VK_DECIMAL:
      return VK_OEM_PERIOD;  // 190
    case VK_DIVIDE:
      return VK_OEM_2;  // 191
    default:
      return key;
  }
}

int ModifierState(WPARAM virtualKey) {
  // GetKeyState gives the state as it was when the message being handled was
  // generated, not the keyboard's state now.
  const auto key = static_cast<int>(virtualKey & 0xFF);
  int state = 0;
  if (key != VK_CONTROL && key != VK_LCONTROL && key != VK_RCONTROL && Held(VK_CONTROL)) {
    state |= kCtrlBit;
  }
  if (key != VK_SHIFT && key != VK_LSHIFT && key != VK_RSHIFT && Held(VK_SHIFT)) {
    state |= kShiftBit;
  }
  if (key != VK_MENU && key != VK_LMENU && key != VK_RMENU && Held(VK_MENU)) state |= kAltBit;
  return state;
}

bool PreDispatchKey(MainWindow& window, const MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  if (!window.Contains(message.hwnd)) return false;
  const auto key = static_cast<int>(message.wParam & 0xFF);
  const int modifiers = ModifierState(message.wParam);

  // 1. Esc without modifiers closes the window, wherever the focus is.
  if (key == VK_ESCAPE && modifiers == 0) {
    window.Close();
    return true;
  }
  // 2. Enter is not consumed here: an edit box inserts a line break, and a
  //    button ignores it (neither button is a default button).
  // 3. Tab and Shift+Tab move through the focus ring and are never typed.
  if (key == VK_TAB && (modifiers == 0 || modifiers == kShiftBit)) {
    window.MoveFocus(modifiers == 0 ? 1 : -1);
    return true;
  }
  // 4. Everything else goes to the focused control's key-press handler.
  const std::optional<Control> focused = window.ControlOf(GetFocus());
  if (!focused) return false;
  const std::optional<bool> result =
      window.OnKeyPress(*focused, KeyPressCode(message.wParam), modifiers);
  return result == false;
}

}  // namespace varnock
