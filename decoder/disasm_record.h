// The decoding record and entry of the disassembler library, in the layout
// of BeaEngine 4.1 (revision 172): the contract between the program and the
// library staged as "qvbeae.dll". A genuine BeaEngine DLL of that version
// must keep working with the program, so the layout is fixed, byte for byte;
// the static_asserts below pin it for both pointer sizes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varnock {

#pragma pack(push, 1)

struct DisasmInstruction {
  std::int32_t Category;
  std::int32_t Opcode;
  char Mnemonic[16];
  std::int32_t BranchType;
  std::uint8_t Flags[12];  // BeaEngine's EFLAGS record: one byte per flag
  std::uint64_t AddrValue;
  std::int64_t Immediat;
  std::uint32_t ImplicitModifiedRegs;
};

#pragma pack(push, 4)
struct DisasmMemory {
  std::int32_t BaseRegister;
  std::int32_t IndexRegister;
  std::int32_t Scale;
  std::int64_t Displacement;
};
#pragma pack(pop)

struct DisasmArgument {
  char ArgMnemonic[32];
  std::int32_t ArgType;
  std::int32_t ArgSize;
  std::int32_t ArgPosition;
  std::uint32_t AccessMode;
  DisasmMemory Memory;
  std::uint32_t SegmentReg;
};

struct DisasmRecord {
  std::uintptr_t EIP;           // address of the first byte to decode
  std::uint64_t VirtualAddr;    // 0: branch targets computed from EIP itself
  std::uint32_t SecurityBlock;  // most bytes one instruction may read, 0 = no limit
  char CompleteInstr[64];       // zero-terminated text of the instruction
  std::uint32_t Archi;          // 0 or 32: 32-bit code; 16 and 64
  std::uint64_t Options;
  DisasmInstruction Instruction;
  DisasmArgument Argument1;
  DisasmArgument Argument2;
  DisasmArgument Argument3;
  std::uint8_t Prefix[26];      // the library's prefix record
  std::uint32_t Reserved_[40];  // the library's own scratch state
};

#pragma pack(pop)

constexpr std::size_t kPointerShift = sizeof(std::uintptr_t) - 4;
static_assert(sizeof(DisasmInstruction) == 60);
static_assert(sizeof(DisasmMemory) == 20);
static_assert(sizeof(DisasmArgument) == 72);
static_assert(offsetof(DisasmRecord, EIP) == 0);
static_assert(offsetof(DisasmRecord, VirtualAddr) == 4 + kPointerShift);
static_assert(offsetof(DisasmRecord, SecurityBlock) == 12 + kPointerShift);
static_assert(offsetof(DisasmRecord, CompleteInstr) == 16 + kPointerShift);
static_assert(offsetof(DisasmRecord, Archi) == 80 + kPointerShift);
static_assert(offsetof(DisasmRecord, Options) == 84 + kPointerShift);
static_assert(offsetof(DisasmRecord, Instruction) == 92 + kPointerShift);
static_assert(offsetof(DisasmRecord, Argument1) == 152 + kPointerShift);
static_assert(offsetof(DisasmRecord, Argument2) == 224 + kPointerShift);
static_assert(offsetof(DisasmRecord, Argument3) == 296 + kPointerShift);
static_assert(offsetof(DisasmRecord, Prefix) == 368 + kPointerShift);
static_assert(offsetof(DisasmRecord, Reserved_) == 394 + kPointerShift);
static_assert(sizeof(DisasmRecord) == 554 + kPointerShift);

// Results of the entry besides a positive instruction length.
constexpr std::int32_t kUnknownOpcode = -1;  // no known instruction at EIP; text "??? "
constexpr std::int32_t kOutOfBlock = 0;      // the instruction needs more than SecurityBlock bytes

// Options: MASM syntax (0), no tabulation (0), 0x-prefixed hexadecimal numerals.
constexpr std::uint64_t kPrefixedNumeral = 0x10000;
constexpr std::uint64_t kShowSegmentRegs = 0x01000000;

// The exported entry: stdcall, one pointer argument, signed 32-bit result.
constexpr const char kDisasmEntryName[] = "_Disasm@4";
#if defined(_WIN32) && !defined(_WIN64)
using DisasmEntry = std::int32_t(__stdcall*)(DisasmRecord*);
#else
using DisasmEntry = std::int32_t (*)(DisasmRecord*);
#endif

}  // namespace varnock
