// The program's entry: binds the two commands to the shell and starts it.
#include <windows.h>

#include <utility>

#include "app/app.h"
#include "disasm/disassemble.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  varnock::Commands commands;
  commands.disassemble = &varnock::DisassembleCommand;
  return varnock::RunApplication(instance, std::move(commands));
}
