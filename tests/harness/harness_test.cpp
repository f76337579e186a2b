// The Windows tests rely on the environment the harness gives them: the
// Chinese ANSI code page and a private prefix whose system directory we may
// write.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

TEST(Harness, AnsiCodePageIsGbk) { EXPECT_EQ(GetACP(), 936u); }

TEST(Harness, SystemDirectoryIsWritable) {
  char dir[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryA(dir, MAX_PATH), 0u);
  std::string path = std::string(dir) + "\\varnock-harness-probe.tmp";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST(Harness, HasADisplayForWindows) {
  HWND window = CreateWindowExA(0, "STATIC", "probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  DestroyWindow(window);
}
