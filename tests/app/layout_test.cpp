// The main window and its six controls as the window definition gives them:
// the numbers here are written out again, not read from the layout table.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "app/app.h"
#include "message/code_page.h"
#include "window_fixture.h"

namespace varnock {
namespace {

using testing::kSampleProgram;

std::string TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return Narrow(text, CP_UTF8);
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

RECT RectIn(HWND window, HWND container) {
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Style bits a control must show: (style & mask) == value.
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kEditMask = kChild | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                            ES_WANTRETURN | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL |
                            ES_PASSWORD | ES_UPPERCASE | ES_LOWERCASE | ES_READONLY | ES_CENTER |
                            ES_RIGHT;
constexpr DWORD kEditValue =
    kChild | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
constexpr DWORD kButtonMask =
    kChild | WS_TABSTOP | BS_TYPEMASK | BS_CENTER | BS_VCENTER | BS_MULTILINE | BS_BITMAP | BS_ICON;
constexpr DWORD kButtonValue =
    kChild | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;
constexpr DWORD kGroupMask = kChild | WS_TABSTOP | BS_TYPEMASK | BS_CENTER;
constexpr DWORD kGroupValue = kChild | BS_GROUPBOX | BS_LEFT;

struct ExpectedControl {
  Control control;
  const wchar_t* className;
  std::optional<Control> container;  // nullopt: the main window
  RECT inContainer;                  // left, top, right, bottom
  POINT inMainWindow;
  const char* text;
  DWORD styleMask;
  DWORD style;
  DWORD exStyle;
};

const ExpectedControl kExpected[] = {
    {Control::分组框1,
     L"Button",
     std::nullopt,
     {7, 6, 7 + 344, 6 + 135},
     {7, 6},
     "汇编",
     kGroupMask,
     kGroupValue,
     0},
    {Control::编辑框_汇编内容,
     L"Edit",
     Control::分组框1,
     {9, 16, 9 + 326, 16 + 112},
     {16, 22},
     kSampleProgram,
     kEditMask,
     kEditValue,
     WS_EX_CLIENTEDGE},
    {Control::按钮_汇编转字节集,
     L"Button",
     std::nullopt,
     {13, 147, 13 + 160, 147 + 32},
     {13, 147},
     "↓转换_汇编转字节集↓",
     kButtonMask,
     kButtonValue,
     0},
    {Control::按钮_字节集转汇编,
     L"Button",
     std::nullopt,
     {190, 148, 190 + 152, 148 + 32},
     {190, 148},
     "↑转换_字节集转汇编↑",
     kButtonMask,
     kButtonValue,
     0},
    {Control::分组框2,
     L"Button",
     std::nullopt,
     {7, 189, 7 + 344, 189 + 160},
     {7, 189},
     "字节集",
     kGroupMask,
     kGroupValue,
     0},
    {Control::编辑框_字节集内容,
     L"Edit",
     Control::分组框2,
     {7, 16, 7 + 329, 16 + 136},
     {14, 205},
     "",
     kEditMask,
     kEditValue,
     WS_EX_CLIENTEDGE},
};

using Layout = testing::WindowFixture;

TEST_F(Layout, MainWindowIsAFixedCentredFrame) {
  HWND main = window_->Handle();
  RECT rect;
  GetWindowRect(main, &rect);
  EXPECT_EQ(rect.right - rect.left, 372);
  EXPECT_EQ(rect.bottom - rect.top, 392);
  EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 372) / 2);
  EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 392) / 2);
  EXPECT_EQ(TextOf(main), "Varnock");
  EXPECT_EQ(ClassOf(main), L"VarnockMainWindow");

  // The system adds WS_CLIPSIBLINGS to every top-level window, and
  // WS_EX_WINDOWEDGE to every one with a caption.
  const auto style = static_cast<DWORD>(GetWindowLongW(main, GWL_STYLE));
  EXPECT_EQ(style & ~(WS_VISIBLE | WS_CLIPSIBLINGS),
            static_cast<DWORD>(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                               WS_CLIPCHILDREN));
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(main, GWL_EXSTYLE)) & ~WS_EX_WINDOWEDGE, 0u);
  EXPECT_EQ(GetClassLongPtrW(main, GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
  EXPECT_NE(reinterpret_cast<HICON>(GetClassLongPtrW(main, GCLP_HICON)),
            LoadIconA(nullptr, IDI_APPLICATION));

  EXPECT_EQ(GetForegroundWindow(), main);
  EXPECT_EQ(GetFocus(), Handle(Control::按钮_字节集转汇编));
}

TEST_F(Layout, ControlsStandWhereTheWindowDefinitionPutsThem) {
  HWND main = window_->Handle();
  const auto font = reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const ExpectedControl& expected : kExpected) {
    HWND control = Handle(expected.control);
    SCOPED_TRACE(TextOf(control).substr(0, 20));
    ASSERT_NE(control, nullptr);
    HWND container = expected.container ? Handle(*expected.container) : main;
    EXPECT_EQ(GetParent(control), container);
    EXPECT_EQ(ClassOf(control), expected.className);

    const RECT rect = RectIn(control, container);
    EXPECT_EQ(rect.left, expected.inContainer.left);
    EXPECT_EQ(rect.top, expected.inContainer.top);
    EXPECT_EQ(rect.right, expected.inContainer.right);
    EXPECT_EQ(rect.bottom, expected.inContainer.bottom);
    const RECT inMain = RectIn(control, main);
    EXPECT_EQ(inMain.left, expected.inMainWindow.x);
    EXPECT_EQ(inMain.top, expected.inMainWindow.y);

    EXPECT_EQ(TextOf(control), expected.text);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)) & expected.styleMask,
              expected.style);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(control, GWL_EXSTYLE)), expected.exStyle);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), font);
  }
}

TEST_F(Layout, EditBoxesStartWithTheCaretAtTheStartAndNoLimit) {
  for (Control box : {Control::编辑框_汇编内容, Control::编辑框_字节集内容}) {
    HWND edit = Handle(box);
    EXPECT_EQ(SendMessageW(edit, EM_GETSEL, 0, 0), 0);
    // The default limit is 30000 characters; the largest is 0x7FFFFFFE.
    EXPECT_GE(static_cast<DWORD>(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEu);
  }
}

TEST_F(Layout, ALongLineWrapsAtTheBoxEdge) {
  HWND edit = Handle(Control::编辑框_汇编内容);
  window_->WriteText(Control::编辑框_汇编内容, Text(200, 'x'));
  EXPECT_GT(SendMessageW(edit, EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_FALSE(GetWindowLongW(edit, GWL_STYLE) & WS_HSCROLL);
}

}  // namespace
}  // namespace varnock
