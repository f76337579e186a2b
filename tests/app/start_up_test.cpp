// The start-up steps that can run inside a test: the program directory and
// entering it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/app.h"

namespace varnock {
namespace {

TEST(ProgramDirectory, IsTheModuleNameCutAtTheLastBackslash) {
  const struct {
    const wchar_t* moduleFileName;
    const wchar_t* directory;
  } cases[] = {
      {L"C:\\Program Files\\Varnock\\varnock.exe", L"C:\\Program Files\\Varnock"},
      {L"Z:\\a.b\\c\\varnock.exe", L"Z:\\a.b\\c"},
      // A root keeps its backslash: "C:" alone is the drive's current directory.
      {L"C:\\varnock.exe", L"C:\\"},
      {L"\\\\?\\C:\\varnock.exe", L"\\\\?\\C:\\"},
      {L"\\\\server\\share\\varnock.exe", L"\\\\server\\share"},
      {L"varnock.exe", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProgramDirectoryOf(c.moduleFileName), c.directory) << c.moduleFileName;
  }
}

TEST(ProgramDirectory, BecomesTheCurrentDirectory) {
  const std::wstring module = ModuleFileName();
  ASSERT_GT(module.size(), 12u);
  EXPECT_EQ(module.substr(module.size() - 12), L"app_test.exe");

  wchar_t elsewhere[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryW(elsewhere, MAX_PATH), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(elsewhere));

  ASSERT_TRUE(EnterProgramDirectory());
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  EXPECT_EQ(std::wstring(current), ProgramDirectoryOf(module));
}

}  // namespace
}  // namespace varnock
