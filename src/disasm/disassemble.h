// The disassemble command: a byte-set literal becomes 32-bit x86 assembly
// text, one lower-case line per instruction, decoded by the staged library
// "qvbeae.dll" through its entry _Disasm@4.
#pragma once

#include <optional>

#include "literal/literal.h"

namespace varnock {

// Decodes the bytes as 32-bit code: "\r\n", then one line per instruction,
// each ending in "\r\n", stopping silently at the first byte that begins no
// known instruction. An empty ByteSet gives "字节集长度不可为0" (ANSI) and
// touches no file. Otherwise stages "qvbeae.dll" first. The empty text means
// the library could not be bound: the error message has been shown and the
// next call tries again.
Text DisassembleByteSet(const ByteSet& bytes);

// The text for the assembly box from the text of the byte-set box (ANSI both).
// nullopt: the library could not be bound, the message has been shown; leave
// both boxes as they are.
std::optional<Text> DisassembleCommand(const Text& literalText);

}  // namespace varnock
