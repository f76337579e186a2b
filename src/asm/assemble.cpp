#include "asm/assemble.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "asm/assembler_report.h"
#include "files/scoped_handle.h"
#include "files/whole_file.h"
#include "message/message.h"
#include "tools/tool_images.h"

namespace varnock {
namespace {

constexpr const char *kCaption = "出错";
constexpr const char *kSourceFileFailed = "创建汇编目录文件失败！";
constexpr const char *kPipeFailed = "创建与控制台通信的管道失败！";
constexpr const char *kStartFailed = "运行NASM编译器失败！请检测目录是否存在nasm.exe程序";

// The source file, and the flat binary NASM writes for it by default (the
// source name without its extension).
constexpr const char *kSourceName = "nasm.asm";
constexpr const char *kOutputName = "nasm";

// The header is the source file's line 1, so the user's first line is its
// line 2. It makes NASM assemble 32-bit code (no operand-size prefixes).
constexpr const char *kHeader = "[bits 32]\r\n";
constexpr int kFirstUserLine = 2;

// What is kept of the assembler's console output for the error message:
// more than any box can show; the rest is read and dropped.
constexpr std::size_t kKeptOutput = 64 * 1024;

// The current directory in full, however long; empty if the query fails.
Text CurrentDirectory() {
  Text directory;
  // The first call gives the size needed, terminator included; the second
  // the length written. Should the directory change in between, ask again.
  DWORD size = GetCurrentDirectoryA(0, nullptr);
  while (size > 0) {
    directory.resize(size);
    DWORD length = GetCurrentDirectoryA(size, directory.data());
    if (length < size) {
      directory.resize(length);
      return directory;
    }
    size = length;
  }
  return {};
}

bool WriteSourceFile(const Text &path, const Text &text) {
  ScopedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  const Text source = kHeader + text;
  return WriteAll(file.get(),
                  {reinterpret_cast<const std::uint8_t *>(source.data()), source.size()});
}

struct ConsoleOutput {
  std::string text;  // ANSI, as the assembler printed it
  bool truncated = false;
};

// Reads the pipe until it fails, which happens once every write end is
// closed: the child holds the only one, so that is when the child ends.
ConsoleOutput Drain(HANDLE readEnd) {
  ConsoleOutput output;
  char buffer[1024];
  DWORD count = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &count, nullptr)) {
    std::size_t room = kKeptOutput - output.text.size();
    output.text.append(buffer, std::min<std::size_t>(count, room));
    if (count > room) output.truncated = true;
  }
  if (output.truncated) {
    // Keep whole lines only: a cut could fall inside a two-byte character.
    std::size_t lastLineEnd = output.text.rfind('\n');
    output.text.resize(lastLineEnd == std::string::npos ? 0 : lastLineEnd + 1);
  }
  return output;
}

}  // namespace

Text WorkDirectoryPath() { return CurrentDirectory() + "\\"; }

ByteSet AssembleText(const Text &text) {
  const ToolImage &assembler = AssemblerImage();
  StageToolImage(assembler.bytes, assembler.fileName);

  const Text workDirectory = WorkDirectoryPath();
  const Text sourcePath = workDirectory + kSourceName;
  if (!WriteSourceFile(sourcePath, text)) {
    ShowErrorMessage(kCaption, kSourceFileFailed);
    return {};
  }

  // Both ends are made inheritable; the read end is then taken back, so
  // that the child inherits only the write end it prints into.
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  ScopedHandle readEnd;
  ScopedHandle writeEnd;
  if (!CreatePipe(readEnd.receive(), writeEnd.receive(), &inheritable, 0) ||
      !SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0)) {
    ShowErrorMessage(kCaption, kPipeFailed);
    return {};
  }

  STARTUPINFOA startup;
  GetStartupInfoA(&startup);
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();

  // CreateProcessA may write into its command line, so it gets a copy.
  Text commandLine = Text(assembler.fileName) + " -f bin " + kSourceName;
  const Text currentDirectory = CurrentDirectory();
  PROCESS_INFORMATION child{};
  const bool started =
      CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup,
                     &child) != 0;
  // From here on the child holds the only write end, so the drain ends
  // when the child does.
  writeEnd.Close();
  if (!started) {
    readEnd.Close();
    ShowErrorMessage(kCaption, kStartFailed);
    return {};
  }
  ScopedHandle process(child.hProcess);
  ScopedHandle thread(child.hThread);

  const ConsoleOutput output = Drain(readEnd.get());
  // The pipe can close a moment before the exit code is there; waiting
  // costs nothing once the child has ended.
  WaitForSingleObject(process.get(), INFINITE);
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process.get(), &exitCode)) exitCode = STILL_ACTIVE;

  ByteSet machineCode;
  if (exitCode == 0) machineCode = ReadWholeFile(workDirectory + kOutputName);

  process.Close();
  thread.Close();
  readEnd.Close();
  DeleteFileA(sourcePath.c_str());
  DeleteFileA((workDirectory + kOutputName).c_str());

  // Warnings of a successful run are not shown; a failure is, always.
  if (exitCode != 0) {
    ShowErrorMessage(kCaption, DescribeAssemblyFailure(output.text, output.truncated, exitCode,
                                                       kSourceName, kFirstUserLine));
  }
  return machineCode;
}

Text AssembleCommand(const Text &assemblyText) {
  return FormatByteSetLiteral(AssembleText(assemblyText));
}

}  // namespace varnock
