#include "disasm/disassemble.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>

#include "message/message.h"
#include "tools/tool_images.h"

namespace varnock {
namespace {

// A prefix kept from an earlier build may hold an older library under the
// staged name, which staging never replaces: this process stages its own.
class FreshlyStagedLibrary : public ::testing::Environment {
  void SetUp() override {
    DeleteFileA((SystemDirectoryPath() + DisassemblerImage().fileName).c_str());
  }
};
[[maybe_unused]] ::testing::Environment* const kFreshlyStagedLibrary =
    ::testing::AddGlobalTestEnvironment(new FreshlyStagedLibrary);

// The command never shows a message while the library binds.
class DisassembleTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_TRUE(recorder_.messages().empty()); }
  MessageRecorder recorder_;
};

struct ListingCase {
  const char* literal;
  const char* listing;
};

TEST_F(DisassembleTest, ListsOneLowerCaseLinePerInstruction) {
  const ListingCase cases[] = {
      {"{144,195}", "\r\nnop \r\nret \r\n"},
      {"{15,4}", "\r\n"},  // 0F 04 is no instruction
      {"{144,15,4,144}", "\r\nnop \r\n"},
      {"{85,139,236}", "\r\npush ebp\r\nmov ebp, esp\r\n"},
      {"{106,1}", "\r\npush 0x00000001\r\n"},
      {"{184,239,190,173,222}", "\r\nmov eax, 0xdeadbeef\r\n"},
      // Last instruction cut short: decoded against the zeros after the copy.
      {"{144,184,1}", "\r\nnop \r\nmov eax, 0x00000001\r\n"},
      {"{0}", "\r\nadd byte ptr [eax], al\r\n"},
  };
  for (const ListingCase& c : cases) {
    EXPECT_EQ(DisassembleCommand(c.literal), c.listing) << c.literal;
  }
}

TEST_F(DisassembleTest, EmptyByteSetGivesTheLengthMessageAsAnsi) {
  const Text message = Utf8ToAnsi("字节集长度不可为0");
  EXPECT_EQ(DisassembleCommand(""), message);
  EXPECT_EQ(DisassembleCommand("{}"), message);
  EXPECT_EQ(DisassembleByteSet({}), message);
}

TEST_F(DisassembleTest, CallTargetIsAnEightDigitLowerCaseAddress) {
  const std::optional<Text> listing = DisassembleCommand("{232,0,0,0,0}");
  ASSERT_TRUE(listing);
  const std::string prefix = "\r\ncall 0x";
  ASSERT_EQ(listing->size(), prefix.size() + 8 + 2) << *listing;
  EXPECT_EQ(listing->substr(0, prefix.size()), prefix);
  for (char digit : listing->substr(prefix.size(), 8)) {
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(digit)) || (digit >= 'a' && digit <= 'f'))
        << *listing;
  }
  EXPECT_EQ(listing->substr(prefix.size() + 8), "\r\n");
}

TEST_F(DisassembleTest, CutInstructionReadsZerosNotTheMemoryBehindTheBytes) {
  ByteSet bytes(64, 0xFF);
  bytes.resize(2);  // the storage behind the two bytes still holds 0xFF
  bytes[0] = 0xB8;  // mov eax, imm32
  bytes[1] = 0x01;
  EXPECT_EQ(DisassembleByteSet(bytes), "\r\nmov eax, 0x00000001\r\n");
}

TEST_F(DisassembleTest, SameTextGivesTheSameLinesAgain) {
  const Text literal = "{85,139,236,131,236,8,201,195}";
  const std::optional<Text> first = DisassembleCommand(literal);
  EXPECT_EQ(DisassembleCommand("{144}"), "\r\nnop \r\n");
  EXPECT_EQ(DisassembleCommand(literal), first);
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->starts_with("\r\npush ebp\r\nmov ebp, esp\r\nsub esp, 0x")) << *first;
  EXPECT_TRUE(first->ends_with("\r\nleave \r\nret \r\n")) << *first;
}

}  // namespace
}  // namespace varnock
