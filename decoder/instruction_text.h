// The text of one decoded instruction in the conventions of the decoding
// library's callers: MASM syntax with 0x-prefixed, upper-case hexadecimal
// numerals, as BeaEngine 4.1 writes it with its PrefixedNumeral option.
// Internal to decoder/.
#pragma once

#include <Zydis/Zydis.h>

#include <cstddef>
#include <cstdint>

namespace varnock {

// Writes the zero-terminated text of `instruction` (its visible `operands`)
// into `buffer` of `size` characters; branch targets are computed from
// `runtimeAddress`, the address of the instruction's first byte. Returns
// false, with an unspecified buffer, when the text does not fit or the
// formatter cannot express the instruction.
bool FormatInstructionText(const ZydisDecodedInstruction& instruction,
                           const ZydisDecodedOperand* operands, std::uint64_t runtimeAddress,
                           char* buffer, std::size_t size);

}  // namespace varnock
