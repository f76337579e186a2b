// The decoding loop and the text it builds: internal to the disassemble
// command, declared here so that tests can drive them directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "decoder/disasm_record.h"
#include "literal/literal.h"

namespace varnock {

// Zero bytes that follow the copy of the bytes handed to the library: 16 is
// more than the 15 bytes of the longest x86 instruction, so an instruction
// that starts inside the bytes never makes the library read past the copy.
constexpr std::size_t kReadMargin = 16;

// Decodes code[0, length) with `entry`, one call per instruction, from a
// record whose EIP is code.data() (branch targets are shown as addresses in
// this buffer). `code` holds at least length + kReadMargin bytes; only the
// first length bytes start instructions. Returns "\r\n" and one lower-cased
// line per instruction; stops at a result of 0 or less, or once the position
// reaches or passes length.
Text DecodeListing(DisasmEntry entry, std::span<const std::uint8_t> code, std::size_t length);

// ASCII "A"-"Z" to "a"-"z"; a byte of 0x80 or above starts a two-byte
// character whose second byte is left as it is.
Text LowerCaseAscii(Text text);

// The same, copying [first, last) to out (which may be first); returns the
// end of what was written.
char* CopyLowerCaseAscii(const char* first, const char* last, char* out);

}  // namespace varnock
