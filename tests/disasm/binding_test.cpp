// The library cannot be bound: the user keeps both boxes and the program
// keeps running. This process must start with no "qvbeae.dll" staged and
// none bound; binding is process-wide, hence its own executable.
#include <gtest/gtest.h>
#include <windows.h>

#include "decoder/disasm_record.h"
#include "disasm/disassemble.h"
#include "message/message.h"
#include "tools/tool_images.h"

namespace varnock {
namespace {

// Leaves the prefix as later tests expect it, even when a step failed: no
// directory and no stand-in library under the staged name; the real library
// stays if this process has it loaded, and is staged again otherwise.
struct PrefixRestore {
  Text library;
  ~PrefixRestore() {
    RemoveDirectoryA(library.c_str());
    HMODULE loaded = GetModuleHandleA("qvbeae.dll");
    const bool real = loaded && GetProcAddress(loaded, kDisasmEntryName);
    if (loaded && !real) FreeLibrary(loaded);
    if (!real) DeleteFileA(library.c_str());
  }
};

Text ProgramDirectoryPath() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  Text program(path, length);
  return program.substr(0, program.find_last_of('\\') + 1);
}

void ExpectBindingMessages(const MessageRecorder& recorder, std::size_t count) {
  ASSERT_EQ(recorder.messages().size(), count);
  for (const MessageRecorder::Message& message : recorder.messages()) {
    EXPECT_EQ(message.caption, "错误");
    EXPECT_NE(message.text.find("qvbeae.dll"), std::string::npos) << message.text;
    EXPECT_NE(message.text.find("_Disasm@4"), std::string::npos) << message.text;
  }
}

TEST(DisassembleBinding, FailureShowsTheMessageKeepsTheBoxesAndRetriesNextTime) {
  const Text library = SystemDirectoryPath() + "qvbeae.dll";
  DeleteFileA(library.c_str());  // staged by an earlier test in this prefix
  PrefixRestore restore{library};
  ASSERT_FALSE(PathExists(library));
  MessageRecorder recorder;
  {
    SCOPED_TRACE("an empty byte set neither stages nor binds");
    EXPECT_EQ(DisassembleCommand("{}"), Utf8ToAnsi("字节集长度不可为0"));
    EXPECT_FALSE(PathExists(library));
    EXPECT_TRUE(recorder.messages().empty());
  }
  {
    SCOPED_TRACE("a directory of that name: nothing staged, nothing to load");
    ASSERT_TRUE(CreateDirectoryA(library.c_str(), nullptr));
    EXPECT_EQ(DisassembleCommand("{144,195}"), std::nullopt);
    EXPECT_EQ(DisassembleCommand("{144,195}"), std::nullopt);
    ExpectBindingMessages(recorder, 2);
    ASSERT_TRUE(RemoveDirectoryA(library.c_str()));
  }
  {
    SCOPED_TRACE("a library of that name without the entry is freed again");
    ASSERT_TRUE(
        CopyFileA((ProgramDirectoryPath() + "disasm_no_entry.dll").c_str(), library.c_str(), TRUE));
    EXPECT_EQ(DisassembleCommand("{144,195}"), std::nullopt);
    ExpectBindingMessages(recorder, 3);
    EXPECT_EQ(GetModuleHandleA("qvbeae.dll"), nullptr);
    ASSERT_TRUE(DeleteFileA(library.c_str()));
  }
  {
    SCOPED_TRACE("once the library can be staged, the next command decodes");
    EXPECT_EQ(DisassembleCommand("{144,195}"), "\r\nnop \r\nret \r\n");
    EXPECT_TRUE(PathExists(library));
    ExpectBindingMessages(recorder, 3);
  }
}

}  // namespace
}  // namespace varnock
