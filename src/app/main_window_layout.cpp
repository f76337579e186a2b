#include "app/app.h"

namespace varnock {
namespace {

// Multi-line with a vertical scroll bar and no horizontal scrolling, so a long
// line wraps at the right edge; Enter inserts a line break. No ES_NOHIDESEL:
// the selection hides while the box has no focus.
constexpr DWORD kEditStyle =
    WS_TABSTOP | WS_VSCROLL | ES_LEFT | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
// Not BS_DEFPUSHBUTTON: Enter never presses a button.
constexpr DWORD kButtonStyle = WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;
// Caption at the left end of the top edge; never in the focus ring.
constexpr DWORD kGroupStyle = BS_GROUPBOX | BS_LEFT;

// The sample program the assembly box starts with: 91 bytes, seven lines, no
// line break after the last.
constexpr char kSampleProgram[] =
    "push 10\r\nmov ecx,401000\r\nmov ecx,[ecx+10]\r\nmov ecx,[ecx+28]\r\n"
    "mov eax,401000\r\ncall eax\r\nretn";

// clang-format off
constexpr ControlLayout kLayout[] = {
    // control, name, kind, container,
    //   left, top, width, height, caption or initial text, style, extended style
    {Control::分组框1, "分组框1", ControlKind::kGroupBox, std::nullopt,
     7, 6, 344, 135, "汇编", kGroupStyle, 0},
    {Control::编辑框_汇编内容, "编辑框_汇编内容", ControlKind::kEditBox, Control::分组框1,
     9, 16, 326, 112, kSampleProgram, kEditStyle, WS_EX_CLIENTEDGE},
    {Control::按钮_汇编转字节集, "按钮_汇编转字节集", ControlKind::kPushButton, std::nullopt,
     13, 147, 160, 32, "↓转换_汇编转字节集↓", kButtonStyle, 0},
    {Control::按钮_字节集转汇编, "按钮_字节集转汇编", ControlKind::kPushButton, std::nullopt,
     190, 148, 152, 32, "↑转换_字节集转汇编↑", kButtonStyle, 0},
    {Control::分组框2, "分组框2", ControlKind::kGroupBox, std::nullopt,
     7, 189, 344, 160, "字节集", kGroupStyle, 0},
    {Control::编辑框_字节集内容, "编辑框_字节集内容", ControlKind::kEditBox, Control::分组框2,
     7, 16, 329, 136, "", kEditStyle, WS_EX_CLIENTEDGE},
};
// clang-format on

constexpr Control kFocusRing[] = {
    Control::按钮_字节集转汇编,
    Control::按钮_汇编转字节集,
    Control::编辑框_汇编内容,
    Control::编辑框_字节集内容,
};

}  // namespace

std::span<const ControlLayout> MainWindowLayout() { return kLayout; }

// Ids from 1: 0 is what GetDlgCtrlID returns for a failure.
int ControlId(Control control) { return static_cast<int>(control) + 1; }

std::span<const Control> FocusRing() { return kFocusRing; }

}  // namespace varnock
