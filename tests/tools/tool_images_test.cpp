// Staging runs against the real system directory of the test prefix.
#include "tools/tool_images.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace varnock {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kSmallImage = {'v', 'a', 'r', 'n', 'o', 'c', 'k', 0, 1, 2, 0xFF};

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// The names in the system directory, to show that a call left nothing
// behind (no partial or temporary file under any name).
using Entries = std::set<std::string>;

Entries SystemDirectoryEntries() {
  Entries names;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((SystemDirectoryPath() + "*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.insert(data.cFileName);
  while (FindNextFileA(search, &data));
  FindClose(search);
  return names;
}

Entries EntriesAddedSince(const Entries& before) {
  Entries added;
  for (const std::string& name : SystemDirectoryEntries()) {
    if (!before.count(name)) added.insert(name);
  }
  return added;
}

// A directory of the test's own in its working directory, removed with the
// files in it.
struct ScratchDirectory {
  std::string path;
  ScratchDirectory() {
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    path = std::string(current) + "\\varnock-tools-scratch";
    CreateDirectoryA(path.c_str(), nullptr);
  }
  ~ScratchDirectory() {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
      do DeleteFileA((path + "\\" + data.cFileName).c_str());
      while (FindNextFileA(search, &data));
      FindClose(search);
    }
    // A child that ran in here holds it as its current directory until the
    // system has finished tearing it down, a moment after it has ended.
    for (int i = 0;
         i < 100 && !RemoveDirectoryA(path.c_str()) && GetLastError() == ERROR_SHARING_VIOLATION;
         ++i) {
      Sleep(10);
    }
  }
};

std::uint16_t PeMachine(std::span<const std::uint8_t> image) {
  if (image.size() < 0x40 || image[0] != 'M' || image[1] != 'Z') return 0;
  std::uint32_t peOffset = image[0x3C] | image[0x3D] << 8 | image[0x3E] << 16 | image[0x3F] << 24;
  if (image.size() < peOffset + 6 || image[peOffset] != 'P' || image[peOffset + 1] != 'E') return 0;
  return static_cast<std::uint16_t>(image[peOffset + 4] | image[peOffset + 5] << 8);
}

TEST(SystemDirectoryPath, IsTheSystemDirectoryWithTrailingBackslash) {
  char expected[MAX_PATH];
  UINT length = GetSystemDirectoryA(expected, MAX_PATH);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(SystemDirectoryPath(), std::string(expected, length) + "\\");
}

TEST(AssemblerImage, IsAnExecutableForThisBuildsTarget) {
#ifdef _WIN64
  const std::uint16_t kMachine = IMAGE_FILE_MACHINE_AMD64;
#else
  const std::uint16_t kMachine = IMAGE_FILE_MACHINE_I386;
#endif
  EXPECT_STREQ(AssemblerImage().fileName, "qvnasm.exe");
  EXPECT_EQ(PeMachine(AssemblerImage().bytes), kMachine);
  EXPECT_STREQ(DisassemblerImage().fileName, "qvbeae.dll");
}

// The assembler, staged from its image, is found by its bare name and
// assembles.
TEST(StageToolImage, StagedAssemblerEqualsItsImageAndRuns) {
  const ToolImage& image = AssemblerImage();
  const std::string staged = SystemDirectoryPath() + image.fileName;
  DeleteFileA(staged.c_str());
  ASSERT_FALSE(PathExists(staged));

  StageToolImage(image.bytes, image.fileName);
  ASSERT_EQ(ReadBytes(staged), Bytes(image.bytes.begin(), image.bytes.end()));

  ScratchDirectory scratch;
  const std::string& dir = scratch.path;
  WriteBytes(dir + "\\t.asm",
             {'[', 'b', 'i', 't', 's', ' ', '3', '2', ']', '\n', 'n', 'o', 'p', '\n'});

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  char commandLine[] = "qvnasm.exe -f bin t.asm";
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                             nullptr, dir.c_str(), &startup, &process));
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  Bytes output = ReadBytes(dir + "\\t");

  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(output, Bytes{0x90});
}

TEST(StageToolImage, LeavesAPresentFileAsItIs) {
  const std::string name = "varnock-present.bin";
  const std::string path = SystemDirectoryPath() + name;
  WriteBytes(path, {'o', 'l', 'd'});
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  FILETIME old{0x10000000, 0x01C00000};  // a date long past, unlike any write now
  SetFileTime(file, nullptr, nullptr, &old);
  CloseHandle(file);

  StageToolImage(kSmallImage, name);

  WIN32_FILE_ATTRIBUTE_DATA after;
  ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &after));
  EXPECT_EQ(CompareFileTime(&after.ftLastWriteTime, &old), 0);
  EXPECT_EQ(ReadBytes(path), (Bytes{'o', 'l', 'd'}));
  DeleteFileA(path.c_str());
}

TEST(StageToolImage, CountsADirectoryAsPresent) {
  const std::string name = "varnock-directory.bin";
  const std::string path = SystemDirectoryPath() + name;
  ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
  EXPECT_TRUE(PathExists(path));
  const auto before = SystemDirectoryEntries();

  StageToolImage(kSmallImage, name);

  EXPECT_EQ(EntriesAddedSince(before), Entries{});
  EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            DWORD{FILE_ATTRIBUTE_DIRECTORY});
  EXPECT_TRUE(RemoveDirectoryA(path.c_str())) << "something was written into it";
}

// A write that cannot be completed leaves nothing: not the final name (which
// every later run would take for the tool) and no temporary file.
TEST(StageToolImage, AFailedWriteLeavesNothingBehind) {
  // An image whose second half cannot be read: the write fails midway,
  // after part of it may have reached the disk.
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const std::size_t page = system.dwPageSize;
  auto* pages = static_cast<std::uint8_t*>(
      VirtualAlloc(nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_NE(pages, nullptr);
  std::fill(pages, pages + page, std::uint8_t{0x90});
  DWORD oldProtection;
  ASSERT_TRUE(VirtualProtect(pages + page, page, PAGE_NOACCESS, &oldProtection));
  const std::span<const std::uint8_t> halfReadable(pages, 2 * page);

  struct Case {
    const char* what;
    std::span<const std::uint8_t> image;
    std::string fileName;
  };
  const Case cases[] = {
      {"into a missing directory", kSmallImage, "varnock-missing-directory\\tool.bin"},
      {"from an image that cannot be read whole", halfReadable, "varnock-partial.bin"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteFileA((SystemDirectoryPath() + c.fileName).c_str());
    const auto before = SystemDirectoryEntries();
    StageToolImage(c.image, c.fileName);
    EXPECT_FALSE(PathExists(SystemDirectoryPath() + c.fileName));
    EXPECT_EQ(EntriesAddedSince(before), Entries{});
  }
  VirtualFree(pages, 0, MEM_RELEASE);
}

// Run twice by ctest: the first process stages the file and ends, the second
// finds it whole and removes it.
TEST(StagedFileSurvival, StagedFileOutlivesTheProcess) {
  const std::string name = "varnock-survivor.bin";
  const std::string path = SystemDirectoryPath() + name;
  if (!std::getenv("VARNOCK_SURVIVAL_CHECK")) {
    DeleteFileA(path.c_str());
    StageToolImage(kSmallImage, name);
    EXPECT_TRUE(PathExists(path));
    return;
  }
  EXPECT_EQ(ReadBytes(path), kSmallImage);
  EXPECT_TRUE(DeleteFileA(path.c_str()));
}

}  // namespace
}  // namespace varnock
