// AssembleText on the window's sample program against the bare cost of its
// child: CreateProcess of the staged assembler on the same source, and a
// wait for it to end. Runs in its working directory; the baseline uses a
// subdirectory of its own so the two never share files.
#include <windows.h>

#include <cstdio>
#include <string>

#include "asm/assemble.h"
#include "bench/side_by_side.h"
#include "message/message.h"
#include "tools/tool_images.h"

namespace {

const varnock::Text kSample =
    "push 10\r\nmov ecx,401000\r\nmov ecx,[ecx+10]\r\nmov ecx,[ecx+28]\r\n"
    "mov eax,401000\r\ncall eax\r\nretn";

bool WriteSource(const std::string& path) {
  const std::string source = "[bits 32]\r\n" + kSample;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, source.data(), static_cast<DWORD>(source.size()), &written, nullptr) &&
            written == source.size();
  CloseHandle(file);
  return ok;
}

// The child as the bridge starts it, hidden, without the pipe around it.
bool RunAssemblerDirectly(const std::string& directory) {
  STARTUPINFOA startup;
  GetStartupInfoA(&startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  char commandLine[] = "qvnasm.exe -f bin nasm.asm";
  PROCESS_INFORMATION child{};
  if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                      &startup, &child)) {
    return false;
  }
  WaitForSingleObject(child.hProcess, INFINITE);
  DWORD exitCode = 1;
  GetExitCodeProcess(child.hProcess, &exitCode);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  return exitCode == 0;
}

}  // namespace

int main() {
  varnock::MessageRecorder recorder;  // a failure is printed, not shown in a box
  const varnock::ToolImage& assembler = varnock::AssemblerImage();
  varnock::StageToolImage(assembler.bytes, assembler.fileName);

  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  const std::string baselineDirectory = std::string(current) + "\\asm_bench_baseline";
  CreateDirectoryA(baselineDirectory.c_str(), nullptr);
  if (!WriteSource(baselineDirectory + "\\nasm.asm") || !RunAssemblerDirectly(baselineDirectory) ||
      varnock::AssembleText(kSample).size() != 21) {
    std::fprintf(stderr, "asm_bench: the assembler does not run here\n");
    for (const auto& message : recorder.messages()) {
      std::fprintf(stderr, "  %s\n", message.text.c_str());
    }
    return 1;
  }

  varnock::bench::RunSideBySide(
      "AssembleText(sample) vs CreateProcess+wait of the assembler", 40,
      [] { varnock::AssembleText(kSample); }, [&] { RunAssemblerDirectly(baselineDirectory); });

  DeleteFileA((baselineDirectory + "\\nasm.asm").c_str());
  DeleteFileA((baselineDirectory + "\\nasm").c_str());
  RemoveDirectoryA(baselineDirectory.c_str());
  return 0;
}
