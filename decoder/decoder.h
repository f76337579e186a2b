// The decoding library: BeaEngine 4.1's `Disasm` entry on the Zydis decoder.
// The Windows build exports it from a DLL as `_Disasm@4` (the disassembler
// image, staged as "qvbeae.dll"); host builds link it directly, for the fuzz
// target and the benchmark.
#pragma once

#include <cstdint>

#include "decoder/disasm_record.h"

namespace varnock {

// Decodes the one instruction at `record.EIP`, as the exported entry does.
// Reads `Archi` (16 or 64, else 32-bit code), `VirtualAddr` (the address that
// branch targets are computed from; 0: `EIP` itself) and `SecurityBlock` (the
// most bytes it may read; 0: no limit), and never more than 15 bytes from
// `EIP`, nor more than the instruction needs. Returns the instruction's
// length with its text in `CompleteInstr` (cut to 63 characters);
// kUnknownOpcode with "??? " there; or kOutOfBlock, `CompleteInstr` left as
// it was, when the instruction runs past `SecurityBlock`. `Options` is not
// read: the text is always the MASM form with 0x-prefixed numerals that the
// program asks for (0x10000). Writes nothing of the record but
// `CompleteInstr`.
std::int32_t DecodeInstruction(DisasmRecord& record);

}  // namespace varnock
