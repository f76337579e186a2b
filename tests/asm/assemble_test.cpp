// The bridge runs the real assembler, staged into the test prefix's system
// directory, in a work directory of the test's own. Messages are recorded
// instead of shown.
#include "asm/assemble.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "message/message.h"
#include "tools/tool_images.h"

namespace varnock {
namespace {

using Messages = std::vector<std::pair<std::string, std::string>>;
using Names = std::set<std::string>;

const char* const kSourceFileFailed = "创建汇编目录文件失败！";
const char* const kStartFailed = "运行NASM编译器失败！请检测目录是否存在nasm.exe程序";

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

Names EntriesOf(const std::string& directory) {
  Names names;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = data.cFileName;
    if (name != "." && name != "..") names.insert(name);
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return names;
}

void RemoveTree(const std::string& directory) {
  for (const std::string& name : EntriesOf(directory)) {
    const std::string path = directory + "\\" + name;
    if (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveTree(path);
    } else {
      DeleteFileA(path.c_str());
    }
  }
  // A child that ran in here holds it as its current directory until the
  // system has finished tearing it down, a moment after it has ended.
  for (int i = 0;
       i < 100 && !RemoveDirectoryA(directory.c_str()) && GetLastError() == ERROR_SHARING_VIOLATION;
       ++i) {
    Sleep(10);
  }
}

// The handles this process holds, found by asking after each possible
// handle value: GetProcessHandleCount is not there under every Wine.
DWORD OpenHandleCount() {
  DWORD count = 0;
  DWORD flags;
  for (std::uintptr_t value = 4; value < 0x10000; value += 4) {
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

class AssembleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The first run stages this build's assembler, not one an earlier build
    // left in the prefix.
    DeleteFileA(StagedAssembler().c_str());
  }

  void SetUp() override {
    char buffer[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, buffer);
    previous_ = buffer;
    work_ = previous_ + "\\varnock-asm-work";
    RemoveTree(work_);
    ASSERT_TRUE(CreateDirectoryA(work_.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA(work_.c_str()));
  }

  void TearDown() override {
    SetCurrentDirectoryA(previous_.c_str());
    RemoveTree(work_);
  }

  static std::string StagedAssembler() { return SystemDirectoryPath() + "qvnasm.exe"; }

  Messages Recorded() const {
    Messages messages;
    for (const auto& m : recorder_.messages()) messages.emplace_back(m.caption, m.text);
    return messages;
  }

  std::string previous_;
  std::string work_;
  MessageRecorder recorder_;
};

TEST_F(AssembleTest, GivesTheLiteralOfTheMachineCode) {
  struct Case {
    const char* text;
    const char* literal;
  };
  const Case cases[] = {
      {"", ""},
      {"nop", "{144}"},
      {"nop\r\nret", "{144,195}"},
      {"mov eax,1", "{184,1,0,0,0}"},  // 32-bit code: no operand-size prefix
      {"push 10\r\nmov ecx,401000\r\nmov ecx,[ecx+10]\r\nmov ecx,[ecx+28]\r\n"
       "mov eax,401000\r\ncall eax\r\nretn",
       "{106,10,185,104,30,6,0,139,73,10,139,73,28,184,104,30,6,0,255,208,195}"},
      {"db '\xBA\xBA\xD7\xD6'", "{186,186,215,214}"},  // '汉字' as the GBK edit box holds it
      {"db 300", "{44}"},  // a warning only: the run succeeds and says nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(AssembleCommand(c.text), c.literal);
    EXPECT_EQ(Recorded(), Messages{});
    EXPECT_EQ(EntriesOf(work_), Names{});
    recorder_.Clear();
  }
}

TEST_F(AssembleTest, ReportsTheAssemblersErrorAtTheUsersLine) {
  EXPECT_EQ(AssembleCommand("nop\r\nfoo bar baz\r\nret"), "");
  const Messages messages = Recorded();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].first, "出错");
  EXPECT_NE(messages[0].second.find("line 2: error: parser: instruction expected"),
            std::string::npos)
      << messages[0].second;
  EXPECT_EQ(messages[0].second.find("nasm.asm"), std::string::npos) << messages[0].second;
  EXPECT_EQ(EntriesOf(work_), Names{});
}

// More messages than the pipe buffers or the message keeps: the bridge goes
// on draining (a child blocked on a full pipe would never end) and shows the
// first of them, in whole lines.
TEST_F(AssembleTest, ManyErrorsAreDrainedAndShownInPart) {
  Text text;
  for (int i = 0; i < 4000; ++i) text += "foo bar baz\r\n";
  EXPECT_EQ(AssembleCommand(text), "");
  const Messages messages = Recorded();
  ASSERT_EQ(messages.size(), 1u);
  const std::string& shown = messages[0].second;
  EXPECT_NE(shown.find("\r\nline 1: error: parser: instruction expected\r\n"), std::string::npos);
  EXPECT_LT(shown.size(), 70u * 1024);
  EXPECT_TRUE(shown.ends_with("\r\n……（其余信息从略）")) << shown.substr(shown.size() - 200);
  EXPECT_EQ(EntriesOf(work_), Names{});
}

TEST_F(AssembleTest, OverwritesAndRemovesTemporaryFilesAlreadyThere) {
  WriteFileBytes(work_ + "\\nasm.asm", "db 1, 2, 3\r\n");
  WriteFileBytes(work_ + "\\nasm", "\x01\x02\x03");
  EXPECT_EQ(AssembleCommand("nop"), "{144}");
  EXPECT_EQ(Recorded(), Messages{});
  EXPECT_EQ(EntriesOf(work_), Names{});
}

TEST_F(AssembleTest, WorksInADirectoryLongerThanTheUsualBuffers) {
  // 257 characters: more than a 255-character buffer holds, and as long as
  // a current directory may be (MAX_PATH less the "\" and the terminator).
  const std::size_t kLength = 257;
  const std::string outer = work_ + "\\" + std::string(120, 'd');
  ASSERT_LT(outer.size() + 2, kLength);
  const std::string deep = outer + "\\" + std::string(kLength - outer.size() - 1, 'e');
  ASSERT_TRUE(CreateDirectoryA(outer.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
  ASSERT_TRUE(SetCurrentDirectoryA(deep.c_str()));
  EXPECT_EQ(WorkDirectoryPath(), deep + "\\");

  EXPECT_EQ(AssembleCommand("nop"), "");
  EXPECT_EQ(Recorded(), (Messages{{"出错", kSourceFileFailed}}));
  EXPECT_EQ(EntriesOf(deep), Names{});
}

TEST_F(AssembleTest, WorksInADirectoryWithAChineseName) {
  const std::string chinese = work_ + "\\" + Utf8ToAnsi("汇编目录");
  if (!CreateDirectoryA(chinese.c_str(), nullptr)) {
    // Wine maps such a name to a Unix file name only under a Unix locale
    // that the system has (zh_CN.UTF-8 generated).
    GTEST_SKIP() << "this Wine cannot create a directory with a Chinese name";
  }
  ASSERT_TRUE(SetCurrentDirectoryA(chinese.c_str()));
  EXPECT_EQ(AssembleCommand("nop"), "{144}");
  EXPECT_EQ(Recorded(), Messages{});
  EXPECT_EQ(EntriesOf(chinese), Names{});
}

TEST_F(AssembleTest, UnwritableSourceFileStopsWithTheFirstMessage) {
  // A directory in the source file's place cannot be opened as a file.
  ASSERT_TRUE(CreateDirectoryA((work_ + "\\nasm.asm").c_str(), nullptr));
  EXPECT_EQ(AssembleCommand("nop"), "");
  EXPECT_EQ(Recorded(), (Messages{{"出错", kSourceFileFailed}}));
  EXPECT_EQ(EntriesOf(work_), Names{"nasm.asm"});
}

TEST_F(AssembleTest, MissingAssemblerGivesTheThirdMessageAndLeavesTheSource) {
  // A directory of the assembler's name counts as staged, so nothing is
  // written, and it cannot be started: the assembler is missing and cannot
  // be staged.
  DeleteFileA(StagedAssembler().c_str());
  ASSERT_TRUE(CreateDirectoryA(StagedAssembler().c_str(), nullptr));
  const Text literal = AssembleCommand("nop");
  RemoveDirectoryA(StagedAssembler().c_str());

  EXPECT_EQ(literal, "");
  EXPECT_EQ(Recorded(), (Messages{{"出错", kStartFailed}}));
  EXPECT_EQ(EntriesOf(work_), Names{"nasm.asm"});
}

TEST_F(AssembleTest, LeavesNoHandleOpen) {
  AssembleText("nop");  // the first run may load what later runs reuse
  DWORD before = 0;
  DWORD after = 0;
  before = OpenHandleCount();
  ASSERT_GT(before, 0u);
  AssembleText("nop\r\nret");
  AssembleText("foo bar baz");
  ASSERT_TRUE(CreateDirectoryA((work_ + "\\nasm.asm").c_str(), nullptr));
  AssembleText("nop");  // stops at the source file
  after = OpenHandleCount();
  EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace varnock
