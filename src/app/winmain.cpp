// The program's entry: binds the two commands to the shell and starts it.
#include <windows.h>

#include "app/app.h"
#include "asm/assemble.h"
#include "disasm/disassemble.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return varnock::RunApplication(
      instance, varnock::Commands{&varnock::AssembleCommand, &varnock::DisassembleCommand});
}
