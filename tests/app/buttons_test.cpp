// The buttons: each reads its source box, runs its command and replaces the
// other box whole; the texts cross as ANSI (code page 936 here).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/app.h"
#include "window_fixture.h"

namespace varnock {
namespace {

using testing::kSampleProgram;

class Buttons : public testing::WindowFixture {
 protected:
  void Click(Control button) {
    SendMessageW(Handle(button), BM_CLICK, 0, 0);
    Pump();
  }
};

TEST_F(Buttons, AssembleReadsTheAssemblyBoxAndReplacesTheByteSetBox) {
  window_->WriteText(Control::编辑框_字节集内容, "old text");
  Click(Control::按钮_汇编转字节集);
  ASSERT_EQ(assembled_.size(), 1u);
  EXPECT_EQ(assembled_[0], kSampleProgram);
  EXPECT_EQ(window_->ReadText(Control::编辑框_字节集内容), "{1,2}");
  EXPECT_EQ(window_->ReadText(Control::编辑框_汇编内容), kSampleProgram);
  EXPECT_TRUE(disassembled_.empty());

  // An empty result replaces the box all the same.
  assembleResult_ = "";
  Click(Control::按钮_汇编转字节集);
  EXPECT_EQ(window_->ReadText(Control::编辑框_字节集内容), "");
}

TEST_F(Buttons, DisassembleReadsTheByteSetBoxAndReplacesTheAssemblyBox) {
  window_->WriteText(Control::编辑框_字节集内容, "{144,195}");
  Click(Control::按钮_字节集转汇编);
  ASSERT_EQ(disassembled_.size(), 1u);
  EXPECT_EQ(disassembled_[0], "{144,195}");
  EXPECT_EQ(window_->ReadText(Control::编辑框_汇编内容), "\r\nnop \r\n");
  EXPECT_EQ(window_->ReadText(Control::编辑框_字节集内容), "{144,195}");
  EXPECT_TRUE(assembled_.empty());
}

TEST_F(Buttons, NoDisassemblyLeavesBothBoxes) {
  window_->WriteText(Control::编辑框_字节集内容, "{144,195}");
  disassembleResult_ = std::nullopt;
  Click(Control::按钮_字节集转汇编);
  EXPECT_EQ(disassembled_.size(), 1u);
  EXPECT_EQ(window_->ReadText(Control::编辑框_汇编内容), kSampleProgram);
  EXPECT_EQ(window_->ReadText(Control::编辑框_字节集内容), "{144,195}");
}

TEST_F(Buttons, TextsCrossAsAnsi) {
  // "注释" typed by the user reaches the command as its GBK bytes, and the
  // command's GBK "字节集长度不可为0" shows as those characters.
  SetWindowTextW(Handle(Control::编辑框_汇编内容), L"; \u6CE8\u91CA");
  window_->WriteText(Control::编辑框_字节集内容, "{}");
  const char kEmptyByteSetText[] =
      "\xD7\xD6\xBD\xDA\xBC\xAF\xB3\xA4\xB6\xC8\xB2\xBB\xBF\xC9\xCE\xAA\x30";
  disassembleResult_ = Text(kEmptyByteSetText);
  Click(Control::按钮_汇编转字节集);
  Click(Control::按钮_字节集转汇编);
  ASSERT_EQ(assembled_.size(), 1u);
  EXPECT_EQ(assembled_[0], "; \xD7\xA2\xCA\xCD");
  wchar_t shown[32] = {};
  GetWindowTextW(Handle(Control::编辑框_汇编内容), shown, 32);
  EXPECT_EQ(std::wstring(shown), L"\u5B57\u8282\u96C6\u957F\u5EA6\u4E0D\u53EF\u4E3A0");
}

}  // namespace
}  // namespace varnock
