// A shown main window for the in-process tests, with commands that record
// what they were given, and a message pump that runs the program's own loop
// body (pre-dispatch, then translate and dispatch) until the queue is empty.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"

namespace varnock::testing {

// The assembly box's initial text.
inline constexpr char kSampleProgram[] =
    "push 10\r\nmov ecx,401000\r\nmov ecx,[ecx+10]\r\nmov ecx,[ecx+28]\r\n"
    "mov eax,401000\r\ncall eax\r\nretn";

class WindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<MainWindow>(GetModuleHandleW(nullptr), RecordingCommands());
    ASSERT_TRUE(window_->Created());
    window_->Show();
    Pump();
  }

  void TearDown() override {
    window_.reset();
    Pump();
    // The destroyed window posted WM_QUIT; the next test starts clean.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  Commands RecordingCommands() {
    Commands commands;
    commands.assemble = [this](const Text& text) {
      assembled_.push_back(text);
      return assembleResult_;
    };
    commands.disassemble = [this](const Text& text) {
      disassembled_.push_back(text);
      return disassembleResult_;
    };
    return commands;
  }

  // Runs what the message loop runs for each queued message.
  void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) continue;
      if (window_ && PreDispatchKey(*window_, message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  HWND Handle(Control control) const { return window_->ControlHandle(control); }

  std::unique_ptr<MainWindow> window_;
  std::vector<Text> assembled_;
  std::vector<Text> disassembled_;
  Text assembleResult_ = "{1,2}";
  std::optional<Text> disassembleResult_ = Text("\r\nnop \r\n");
};

}  // namespace varnock::testing
