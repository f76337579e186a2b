// The window's keys and focus. Keys go through the same pre-dispatch the
// message loop runs: a synthesised key-down (with the modifier state faked in
// the thread's keyboard state, where GetKeyState reads it) goes to
// PreDispatchKey and, if not consumed, on through TranslateMessage and
// DispatchMessage.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <ostream>
#include <string>

#include "app/app.h"
#include "window_fixture.h"

namespace varnock {
namespace {

using testing::kSampleProgram;

constexpr char kByteSetText[] = "{144,195}";

class KeyRouting : public testing::WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    window_->WriteText(Control::编辑框_字节集内容, kByteSetText);
  }

  void TearDown() override {
    BYTE released[256] = {};
    SetKeyboardState(released);
    WindowFixture::TearDown();
  }

  struct Outcome {
    bool consumed;
    DWORD selectionAfterPreDispatch;  // of the edit box that had the focus
  };

  // One key press as the system delivers it: down, then up.
  Outcome Press(WPARAM key, int modifiers) {
    BYTE state[256] = {};
    if (modifiers & kCtrlBit) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    if (modifiers & kShiftBit) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
    if (modifiers & kAltBit) state[VK_MENU] = state[VK_LMENU] = 0x80;
    state[key] = 0x80;
    SetKeyboardState(state);
    const bool alt = (modifiers & kAltBit) != 0;
    const LPARAM keyData = 1 |
                           (static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), 0)) << 16) |
                           (alt ? LPARAM{1} << 29 : 0);
    HWND focused = GetFocus();
    MSG down = {focused, static_cast<UINT>(alt ? WM_SYSKEYDOWN : WM_KEYDOWN), key, keyData, 0, {}};
    Outcome outcome = {PreDispatchKey(*window_, down), 0};
    outcome.selectionAfterPreDispatch = static_cast<DWORD>(SendMessageW(focused, EM_GETSEL, 0, 0));
    if (!outcome.consumed) {
      TranslateMessage(&down);
      DispatchMessageW(&down);
    }
    Pump();
    state[key] = 0;
    SetKeyboardState(state);
    if (HWND target = GetFocus()) {
      // Bits 30 and 31: the key was down and is being released.
      MSG up = down;
      up.hwnd = target;
      up.message = alt ? WM_SYSKEYUP : WM_KEYUP;
      up.lParam = keyData | (LPARAM{3} << 30);
      if (!PreDispatchKey(*window_, up)) {
        TranslateMessage(&up);
        DispatchMessageW(&up);
      }
    }
    Pump();
    return outcome;
  }

  void Focus(Control control) {
    SetFocus(Handle(control));
    ASSERT_EQ(GetFocus(), Handle(control));
  }
};

constexpr Control kAssemblyBox = Control::编辑框_汇编内容;
constexpr Control kByteSetBox = Control::编辑框_字节集内容;
constexpr Control kAssembleButton = Control::按钮_汇编转字节集;
constexpr Control kDisassembleButton = Control::按钮_字节集转汇编;

struct KeyCase {
  const char* what;
  Control focused;
  WPARAM key;
  int modifiers;
  bool consumed;
  std::optional<Control> focusAfter;  // nullopt: the window is closed
  bool selectsAll;                    // in the focused edit box, by the pre-dispatch
  const char* typed;                  // what the focused edit box gains at its caret (start)
};

constexpr int kNone = 0;
constexpr int kCtrl = kCtrlBit;
constexpr int kShift = kShiftBit;
constexpr int kCtrlShift = kCtrlBit | kShiftBit;
constexpr int kCtrlAlt = kCtrlBit | kAltBit;

const KeyCase kKeyCases[] = {
    {"Esc in the assembly box closes", kAssemblyBox, VK_ESCAPE, kNone, true, std::nullopt, false,
     ""},
    {"Esc in the byte-set box closes", kByteSetBox, VK_ESCAPE, kNone, true, std::nullopt, false,
     ""},
    {"Esc on the assemble button closes", kAssembleButton, VK_ESCAPE, kNone, true, std::nullopt,
     false, ""},
    {"Esc on the disassemble button closes", kDisassembleButton, VK_ESCAPE, kNone, true,
     std::nullopt, false, ""},
    {"Shift+Esc does not close", kAssemblyBox, VK_ESCAPE, kShift, false, kAssemblyBox, false, ""},

    {"Tab: disassemble button to assemble button", kDisassembleButton, VK_TAB, kNone, true,
     kAssembleButton, false, ""},
    {"Tab: assemble button to assembly box", kAssembleButton, VK_TAB, kNone, true, kAssemblyBox,
     false, ""},
    {"Tab: assembly box to byte-set box, no tab typed", kAssemblyBox, VK_TAB, kNone, true,
     kByteSetBox, false, ""},
    {"Tab wraps: byte-set box to disassemble button", kByteSetBox, VK_TAB, kNone, true,
     kDisassembleButton, false, ""},
    {"Shift+Tab wraps: disassemble button to byte-set box", kDisassembleButton, VK_TAB, kShift,
     true, kByteSetBox, false, ""},
    {"Shift+Tab: byte-set box to assembly box, no tab typed", kByteSetBox, VK_TAB, kShift, true,
     kAssemblyBox, false, ""},
    {"Shift+Tab: assembly box to assemble button", kAssemblyBox, VK_TAB, kShift, true,
     kAssembleButton, false, ""},
    {"Shift+Tab: assemble button to disassemble button", kAssembleButton, VK_TAB, kShift, true,
     kDisassembleButton, false, ""},

    {"Enter in the assembly box breaks the line", kAssemblyBox, VK_RETURN, kNone, false,
     kAssemblyBox, false, "\r\n"},
    {"Enter in the byte-set box breaks the line", kByteSetBox, VK_RETURN, kNone, false, kByteSetBox,
     false, "\r\n"},
    {"Enter on the assemble button does nothing", kAssembleButton, VK_RETURN, kNone, false,
     kAssembleButton, false, ""},
    {"Enter on the disassemble button does nothing", kDisassembleButton, VK_RETURN, kNone, false,
     kDisassembleButton, false, ""},

    {"Ctrl+A selects the assembly box", kAssemblyBox, 'A', kCtrl, true, kAssemblyBox, true, ""},
    {"Ctrl+A selects the byte-set box", kByteSetBox, 'A', kCtrl, true, kByteSetBox, true, ""},
    {"Ctrl+A on a button does nothing", kDisassembleButton, 'A', kCtrl, false, kDisassembleButton,
     false, ""},
    {"Ctrl+Shift+A reaches the box", kAssemblyBox, 'A', kCtrlShift, false, kAssemblyBox, false, ""},
    {"Ctrl+Alt+A reaches the box", kByteSetBox, 'A', kCtrlAlt, false, kByteSetBox, false, ""},
    {"A alone is typed", kAssemblyBox, 'A', kNone, false, kAssemblyBox, false, "a"},
};

void PrintTo(const KeyCase& c, std::ostream* out) { *out << c.what; }

class EachKey : public KeyRouting, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(EachKey, DoesWhatTheWindowDefines) {
  const KeyCase& c = GetParam();
  Focus(c.focused);
  const HWND focusedBox = Handle(c.focused);
  const bool inEditBox = c.focused == kAssemblyBox || c.focused == kByteSetBox;

  const Outcome outcome = Press(c.key, c.modifiers);

  EXPECT_EQ(outcome.consumed, c.consumed);
  if (!c.focusAfter) {
    EXPECT_FALSE(window_->Created());
    EXPECT_FALSE(IsWindow(focusedBox));
    return;
  }
  ASSERT_TRUE(window_->Created());
  EXPECT_EQ(window_->ControlOf(GetFocus()), c.focusAfter);
  const Text assembly = c.focused == kAssemblyBox ? c.typed + Text(kSampleProgram) : kSampleProgram;
  const Text byteSet = c.focused == kByteSetBox ? c.typed + Text(kByteSetText) : kByteSetText;
  EXPECT_EQ(window_->ReadText(kAssemblyBox), assembly);
  EXPECT_EQ(window_->ReadText(kByteSetBox), byteSet);
  if (inEditBox) {
    const auto length = static_cast<WORD>(GetWindowTextLengthW(focusedBox));
    const DWORD expected = c.selectsAll ? MAKELONG(0, length) : 0;
    EXPECT_EQ(outcome.selectionAfterPreDispatch, expected);
  }
  // Neither Space nor Enter: no key here presses a button.
  EXPECT_TRUE(assembled_.empty());
  EXPECT_TRUE(disassembled_.empty());
}

std::string CaseName(const ::testing::TestParamInfo<KeyCase>& info) {
  std::string name;
  for (const char* c = info.param.what; *c; ++c) {
    if (std::isalnum(static_cast<unsigned char>(*c)))
      name += *c;
    else if (!name.empty() && name.back() != '_')
      name += '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Keys, EachKey, ::testing::ValuesIn(kKeyCases), CaseName);

TEST_F(KeyRouting, CtrlAInAnEmptyBoxIsConsumedAndTypesNothing) {
  window_->WriteText(kByteSetBox, "");
  Focus(kByteSetBox);
  const Outcome outcome = Press('A', kCtrl);
  EXPECT_TRUE(outcome.consumed);
  EXPECT_EQ(outcome.selectionAfterPreDispatch, 0u);
  EXPECT_EQ(window_->ReadText(kByteSetBox), "");
}

TEST_F(KeyRouting, CtrlAScrollsALongTextToItsEnd) {
  Text longText;
  for (int line = 0; line < 300; ++line) longText += "nop\r\n";
  longText += "ret";
  window_->WriteText(kAssemblyBox, longText);
  Focus(kAssemblyBox);
  HWND box = Handle(kAssemblyBox);
  SendMessageW(box, EM_SETSEL, 0, 0);
  SendMessageW(box, EM_SCROLLCARET, 0, 0);
  ASSERT_EQ(SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0), 0);

  EXPECT_TRUE(Press('A', kCtrl).consumed);

  DWORD start = 1;
  DWORD end = 0;
  SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, longText.size());
  // The caret stands on the last line (300), and the box shows it.
  EXPECT_GT(SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0), 290);
}

TEST_F(KeyRouting, SpaceOnAFocusedButtonPressesIt) {
  Focus(kDisassembleButton);
  EXPECT_FALSE(Press(VK_SPACE, kNone).consumed);
  ASSERT_EQ(disassembled_.size(), 1u);
  EXPECT_EQ(disassembled_[0], kByteSetText);
}

using FocusMemory = testing::WindowFixture;

TEST_F(FocusMemory, FocusComesBackToTheControlThatHadItBeforeDeactivation) {
  SetFocus(Handle(Control::编辑框_字节集内容));
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 100, 100,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  SetForegroundWindow(other);
  Pump();
  ASSERT_NE(GetForegroundWindow(), window_->Handle());
  ASSERT_FALSE(window_->Contains(GetFocus()));

  SetForegroundWindow(window_->Handle());
  Pump();
  EXPECT_EQ(GetFocus(), Handle(Control::编辑框_字节集内容));
  DestroyWindow(other);
}

TEST(KeyPressCode, KeypadKeysGiveTheMainKeysCodes) {
  const struct {
    WPARAM key;
    int code;
  } cases[] = {
      {VK_NUMPAD0, 48},
      {VK_NUMPAD5, 53},
      {VK_NUMPAD9, 57},
      {VK_SUBTRACT, 189},
      {VK_DECIMAL, 190},
      {VK_DIVIDE, 191},
      {'A', 65},
      {'9', 57},
      {VK_F1, 112},
      {VK_ADD, VK_ADD},
      {VK_MULTIPLY, VK_MULTIPLY},
  };
  for (const auto& c : cases) EXPECT_EQ(KeyPressCode(c.key), c.code) << c.key;
}

TEST(ModifierState, ReadsHeldModifiersButNotTheKeyItself) {
  const struct {
    WPARAM key;
    int held;
    int state;
  } cases[] = {
      {'A', kCtrl, kCtrl},        {'A', kCtrlShift, kCtrlShift}, {'A', kAltBit, kAltBit},
      {'A', kNone, kNone},        {VK_CONTROL, kCtrl, kNone},    {VK_SHIFT, kCtrlShift, kCtrl},
      {VK_MENU, kCtrlAlt, kCtrl},
  };
  for (const auto& c : cases) {
    BYTE state[256] = {};
    if (c.held & kCtrlBit) state[VK_CONTROL] = 0x80;
    if (c.held & kShiftBit) state[VK_SHIFT] = 0x80;
    if (c.held & kAltBit) state[VK_MENU] = 0x80;
    SetKeyboardState(state);
    EXPECT_EQ(ModifierState(c.key), c.state) << c.key << " with " << c.held;
  }
  BYTE released[256] = {};
  SetKeyboardState(released);
}

}  // namespace
}  // namespace varnock
