// The assemble command: 32-bit x86 assembly text to machine code, through
// the NASM executable that the tool images stage, run as a hidden child
// process in the work directory.
#pragma once

#include "literal/literal.h"

namespace varnock {

// Assembles `text` (ANSI, lines separated by "\r\n") in 32-bit mode and
// returns the machine code; empty on any failure, after telling the user
// why in a "出错" message box (the assembler's own messages, with line
// numbers of `text`, when it rejects the source). An empty or
// instruction-free text gives an empty ByteSet without a message.
ByteSet AssembleText(const Text& text);

// The work directory, where an assembly's temporary files lie: the
// process's current directory followed by "\".
Text WorkDirectoryPath();

// The assemble command: the byte-set literal of AssembleText(text), the
// empty text after any failure. The window puts it in the byte-set box.
Text AssembleCommand(const Text& assemblyText);

}  // namespace varnock
