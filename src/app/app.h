// The application shell: the start routine, the main window with its six
// controls, the window's key handling and the binding of the two buttons to
// the two commands. It converts nothing itself: the commands are handed in by
// the program's entry, so the shell knows nothing of the assembler or the
// decoding library.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "literal/literal.h"

namespace varnock {

// The two conversions behind the buttons.
struct Commands {
  // Assembly text to the literal that replaces the byte-set box.
  std::function<Text(const Text&)> assemble;
  // Literal to the assembly text that replaces the assembly box; nullopt
  // leaves both boxes as they are.
  std::function<std::optional<Text>(const Text&)> disassemble;
};

// The start routine: enters the program directory, starts the utility module,
// opens the main window and runs the message loop until no window of the
// program remains. Returns the process exit code; the routines registered
// with RunAtExit run once the caller's WinMain has returned.
int RunApplication(HINSTANCE instance, Commands commands);

// The full file name of the running executable, however long it is.
std::wstring ModuleFileName();

// The directory part of a module file name: everything before the last "\".
// A drive root keeps its "\" ("C:\"), since "C:" alone names the drive's
// current directory rather than its root.
std::wstring ProgramDirectoryOf(std::wstring_view moduleFileName);

// Makes the program directory the process's current directory, for the
// program's whole life (the assembler's temporary files live there).
// False if the system refused.
bool EnterProgramDirectory();

// Registers a routine to run when the process exits. The routines run in the
// order of their registration, after WinMain has returned.
void RunAtExit(void (*routine)());

// The utility module's start-up: sets up its program-wide state and registers
// its clean-up with RunAtExit. Nothing in the program reads that state.
void StartUtilityModule();

// The controls of the main window, under the names of the window definition.
enum class Control {
  分组框1,
  编辑框_汇编内容,
  按钮_汇编转字节集,
  按钮_字节集转汇编,
  分组框2,
  编辑框_字节集内容,
};

enum class ControlKind { kGroupBox, kEditBox, kPushButton };

// One row of the main window's layout.
struct ControlLayout {
  Control control;
  const char* name;  // UTF-8
  ControlKind kind;
  std::optional<Control> container;  // nullopt: the main window itself
  // In pixels, relative to the container's client area.
  int left;
  int top;
  int width;
  int height;
  const char* caption;  // UTF-8: the caption, or an edit box's initial text
  DWORD style;          // besides WS_CHILD | WS_VISIBLE
  DWORD exStyle;
};

inline constexpr wchar_t kMainWindowCaption[] = L"Varnock";
// Outer size, frame and title bar included.
inline constexpr int kMainWindowWidth = 372;
inline constexpr int kMainWindowHeight = 392;
// A fixed frame that can be moved and minimized but not resized or maximized.
inline constexpr DWORD kMainWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// The controls in creation order: a container comes before what it holds.
std::span<const ControlLayout> MainWindowLayout();

// The window id of a control (what GetDlgCtrlID gives), unique in the window.
int ControlId(Control control);

// The focus ring, in Tab order; its first control takes the focus at start-up.
std::span<const Control> FocusRing();

// Modifier bits of a key-press handler's modifier state.
inline constexpr int kCtrlBit = 1;
inline constexpr int kShiftBit = 2;
inline constexpr int kAltBit = 4;

// The main window. It destroys its window when it goes, if that is still
// there; closing the window posts the quit message that ends the loop.
class MainWindow {
 public:
  // Creates the window with all its controls, centred on the primary screen
  // and not yet shown. Check Created() afterwards.
  MainWindow(HINSTANCE instance, Commands commands);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  bool Created() const { return window_ != nullptr; }
  HWND Handle() const { return window_; }
  HWND ControlHandle(Control control) const;
  // The control a window handle belongs to, if it is one of ours.
  std::optional<Control> ControlOf(HWND window) const;
  // True for the main window and every window inside it.
  bool Contains(HWND window) const;

  // Shows and activates the window; the focus goes to the ring's first control.
  void Show();
  // Closes the window as its close button does.
  void Close();
  // Moves the focus one step forward (+1) or backward (-1) in the focus ring.
  void MoveFocus(int step);

  // A copy of an edit box's whole text, as ANSI Text.
  Text ReadText(Control box) const;
  // Replaces an edit box's whole text.
  void WriteText(Control box, const Text& text);
  // Selects the whole text of an edit box, caret at its end, and scrolls the
  // caret into view.
  void SelectAll(Control box);

  // The key-press handler of a control, with the key code and modifier state
  // of a key-down. No value or true lets the key go on to the control; false
  // consumes it. Only the edit boxes have one (Ctrl+A selects all); for the
  // other controls this is always no value.
  std::optional<bool> OnKeyPress(Control control, int keyCode, int modifiers);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  bool CreateControls(HINSTANCE instance);
  void OnClicked(Control button);
  void RestoreFocus();

  Commands commands_;
  HWND window_ = nullptr;
  HWND controls_[6] = {};
  HWND rememberedFocus_ = nullptr;
};

// The window's key handling, run by the message loop on every message before
// TranslateMessage and DispatchMessage: Esc closes, Tab and Shift+Tab move
// through the focus ring, and every other key-down goes to the focused
// control's key-press handler. True when the key-down is consumed, and the
// message must then not be dispatched.
bool PreDispatchKey(MainWindow& window, const MSG& message);

// The key code a key-press handler receives for a virtual key: the keypad's
// digits give the main digits' codes (48 to 57), its "-", "." and "/" give
// 189, 190 and 191; every other key its own code.
int KeyPressCode(WPARAM virtualKey);

// The modifier state (kCtrlBit, kShiftBit, kAltBit) held when the key-down of
// virtualKey was generated; a modifier key does not set its own bit.
int ModifierState(WPARAM virtualKey);

}  // namespace varnock
