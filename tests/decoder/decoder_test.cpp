// The decoding DLL through its export, as the program uses it: loaded by
// file name, `_Disasm@4` looked up by name, called with a zero-filled record
// whose Options are 0x10000.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "decoder/disasm_record.h"

namespace varnock {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The entry of the DLL, bound on first use and kept until the process ends.
DisasmEntry Entry() {
  static const DisasmEntry entry = [] {
    HMODULE module = LoadLibraryA(VARNOCK_DECODER_FILE);
    FARPROC entry = module ? GetProcAddress(module, kDisasmEntryName) : nullptr;
    // void (*)() first: the one function type any function pointer casts to
    // without a warning.
    return reinterpret_cast<DisasmEntry>(reinterpret_cast<void (*)()>(entry));
  }();
  return entry;
}

// A record as the program prepares it, followed by a sentinel that shows
// writes past the record's end.
struct RecordUnderTest {
  DisasmRecord record{};
  std::array<std::uint8_t, 64> after{};

  explicit RecordUnderTest(const std::uint8_t* bytes, std::uint64_t virtualAddr = 0,
                           std::uint32_t securityBlock = 0, std::uint32_t archi = 0) {
    record.EIP = reinterpret_cast<std::uintptr_t>(bytes);
    record.VirtualAddr = virtualAddr;
    record.SecurityBlock = securityBlock;
    record.Archi = archi;
    record.Options = kPrefixedNumeral;
    std::snprintf(record.CompleteInstr, sizeof record.CompleteInstr, "untouched");
    after.fill(0xA5);
  }

  // Calls the entry once and checks what every call keeps: nothing of the
  // record but CompleteInstr changes, nothing after it is written, and the
  // text is terminated within its 64 characters.
  std::int32_t Decode() {
    const RecordUnderTest before = *this;
    const std::int32_t result = Entry()(&record);
    const auto* now = reinterpret_cast<const std::uint8_t*>(this);
    const auto* was = reinterpret_cast<const std::uint8_t*>(&before);
    const std::size_t textBegin = offsetof(DisasmRecord, CompleteInstr);
    const std::size_t textEnd = textBegin + sizeof record.CompleteInstr;
    for (std::size_t i = 0; i < sizeof *this; ++i) {
      if ((i < textBegin || i >= textEnd) && now[i] != was[i]) {
        ADD_FAILURE() << "byte " << i << " of the record or after it was written";
        break;
      }
    }
    EXPECT_NE(std::memchr(record.CompleteInstr, '\0', sizeof record.CompleteInstr), nullptr);
    return result;
  }

  std::string Text() const {
    return std::string(record.CompleteInstr, strnlen(record.CompleteInstr, 64));
  }
};

// Decodes `bytes` instruction by instruction as the disassemble command
// does (no SecurityBlock, 15 zero bytes after a copy of them), and gives
// each call's text; a call that finds no known instruction ends the list.
std::vector<std::string> DecodeAll(const Bytes& bytes, std::uint64_t virtualAddr,
                                   std::uint32_t archi) {
  Bytes copy = bytes;
  copy.resize(bytes.size() + 15);
  std::vector<std::string> texts;
  std::size_t position = 0;
  while (position < bytes.size()) {
    const std::uint64_t address = virtualAddr ? virtualAddr + position : 0;
    RecordUnderTest call(copy.data() + position, address, 0, archi);
    const std::int32_t length = call.Decode();
    texts.push_back(call.Text());
    if (length == kUnknownOpcode) {
      return texts;
    }
    if (length <= 0 || length > 15) {
      ADD_FAILURE() << "result " << length << " at byte " << position;
      return texts;
    }
    position += static_cast<std::size_t>(length);
  }
  EXPECT_EQ(position, bytes.size()) << "the last instruction's length runs past the bytes";
  return texts;
}

struct TextCase {
  Bytes bytes;
  std::vector<std::string> texts;  // one per instruction, before the program lowers them
  std::uint32_t archi = 0;
};

TEST(DecoderTest, WritesEachInstructionInTheLibrarysConventions) {
  const std::uint64_t kVirtualAddr = 0x401000;
  const TextCase cases[] = {
      {{0x90, 0xC3}, {"nop ", "ret "}},
      {{0x0F, 0x04}, {"??? "}},
      {{0x90, 0x0F, 0x04, 0x90}, {"nop ", "??? "}},
      {{0x55, 0x8B, 0xEC}, {"push ebp", "mov ebp, esp"}},
      {{0x99}, {"cdq "}},
      // Immediates: padded to the operand size after sign extension.
      {{0x6A, 0x01}, {"push 0x00000001"}},
      {{0x6A, 0xFF}, {"push 0xFFFFFFFF"}},
      {{0xB8, 0xEF, 0xBE, 0xAD, 0xDE}, {"mov eax, 0xDEADBEEF"}},
      {{0x83, 0xC0, 0xFF}, {"add eax, 0xFFFFFFFF"}},
      {{0x66, 0xB8, 0x34, 0x12}, {"mov ax, 0x1234"}},
      {{0x3C, 0x01}, {"cmp al, 0x01"}},
      {{0xD1, 0xE0}, {"shl eax, 1 "}},
      {{0xC1, 0xE0, 0x04}, {"shl eax, 0x04"}},
      {{0xC2, 0x08, 0x00}, {"retn 0x0008"}},
      {{0xCA, 0x08, 0x00}, {"retf 0x0008"}},
      {{0xC8, 0x10, 0x00, 0x00}, {"enter 0x0010, 0x00"}},
      {{0xCD, 0x80}, {"int 0x80"}},
      // Memory operands: size keyword, two- or eight-digit displacements.
      {{0x8B, 0x49, 0x1C}, {"mov ecx, dword ptr [ecx+0x1C]"}},
      {{0x8A, 0x06}, {"mov al, byte ptr [esi]"}},
      {{0xDF, 0x28}, {"fild qword ptr [eax]"}},
      {{0xDB, 0x2E}, {"fld tbyte ptr [esi]"}},
      {{0x8D, 0x44, 0x24, 0x08}, {"lea eax, dword ptr [esp+0x08]"}},
      {{0x8B, 0x45, 0xFC}, {"mov eax, dword ptr [ebp-0x04]"}},
      {{0x8B, 0x81, 0x00, 0x01, 0x00, 0x00}, {"mov eax, dword ptr [ecx+0x00000100]"}},
      {{0x8B, 0x81, 0x00, 0xFF, 0xFF, 0xFF}, {"mov eax, dword ptr [ecx-0x00000100]"}},
      {{0xA1, 0x00, 0x20, 0x40, 0x00}, {"mov eax, dword ptr [0x00402000]"}},
      {{0x64, 0xA1, 0x30, 0x00, 0x00, 0x00}, {"mov eax, dword ptr fs:[0x00000030]"}},
      // BeaEngine hides a gs override, which changes the meaning: shown.
      {{0x65, 0xA1, 0x30, 0x00, 0x00, 0x00}, {"mov eax, dword ptr gs:[0x00000030]"}},
      // Zydis's text where BeaEngine drops the other overrides: shown too.
      {{0x3E, 0x8B, 0x00}, {"mov eax, dword ptr ds:[eax]"}},
      // An fs or gs override of an operand the text leaves out: a prefix.
      {{0x64, 0xA4}, {"fs movsb "}},
      // Branches: absolute eight-digit targets.
      {{0xEB, 0x00}, {"jmp 0x00401002"}},
      {{0xE9, 0xFB, 0x00, 0x00, 0x00}, {"jmp 0x00401100"}},
      {{0xFF, 0x25, 0x00, 0x20, 0x40, 0x00}, {"jmp dword ptr [0x00402000]"}},
      {{0x9A, 0x00, 0x10, 0x40, 0x00, 0x10, 0x00}, {"call far 0x0010 : 0x00401000"}},
      // Registers and prefixes.
      {{0xDE, 0xC1}, {"faddp st(1), st(0)"}},
      {{0x0F, 0x28, 0xC1}, {"movaps xmm0, xmm1"}},
      {{0xF2, 0x0F, 0x10, 0x00}, {"movsd xmm0, qword ptr [eax]"}},
      {{0xF3, 0xA5}, {"rep movsd "}},
      {{0xF0, 0x0F, 0xC1, 0x06}, {"lock xadd dword ptr [esi], eax"}},
      // 16- and 64-bit code.
      {{0xB8, 0x34, 0x12}, {"mov ax, 0x1234"}, 16},
      {{0x8B, 0x47, 0x02}, {"mov ax, word ptr [bx+0x02]"}, 16},
      {{0x48, 0x89, 0xC8}, {"mov rax, rcx"}, 64},
      {{0x48, 0xB8, 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11},
       {"mov rax, 0x1122334455667788"},
       64},
  };
  ASSERT_NE(Entry(), nullptr) << VARNOCK_DECODER_FILE << " or its entry not found";
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.texts.front());
    EXPECT_EQ(DecodeAll(c.bytes, kVirtualAddr, c.archi), c.texts);
  }
}

TEST(DecoderTest, ComputesTargetsFromEipWithoutVirtualAddr) {
  ASSERT_NE(Entry(), nullptr);
  Bytes call = {0xE8, 0x00, 0x00, 0x00, 0x00};
  call.resize(call.size() + 15);
  RecordUnderTest record(call.data());
  ASSERT_EQ(record.Decode(), 5);
  char expected[32];
  std::snprintf(expected, sizeof expected, "call 0x%08X",
                static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(call.data()) + 5));
  EXPECT_EQ(record.Text(), expected);
}

// The end of a readable page followed by an inaccessible one: any read past
// the bytes placed there faults.
class PageEnd {
 public:
  PageEnd() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    pageSize_ = info.dwPageSize;
    base_ = static_cast<std::uint8_t*>(
        VirtualAlloc(nullptr, 2 * pageSize_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    if (base_ && !VirtualProtect(base_ + pageSize_, pageSize_, PAGE_NOACCESS, &old)) {
      VirtualFree(base_, 0, MEM_RELEASE);
      base_ = nullptr;
    }
  }
  ~PageEnd() {
    if (base_) {
      VirtualFree(base_, 0, MEM_RELEASE);
    }
  }
  PageEnd(const PageEnd&) = delete;
  PageEnd& operator=(const PageEnd&) = delete;

  bool ok() const { return base_ != nullptr; }

  // Copies the first `count` bytes so that they end at the page boundary.
  const std::uint8_t* Place(const Bytes& bytes, std::size_t count) {
    std::uint8_t* start = base_ + pageSize_ - count;
    std::memcpy(start, bytes.data(), count);
    return start;
  }

 private:
  std::uint8_t* base_ = nullptr;
  std::size_t pageSize_ = 0;
};

struct BoundCase {
  Bytes bytes;
  std::uint32_t securityBlock;  // also the bytes readable before the page ends; 0: all of them
  std::int32_t result;
};

TEST(DecoderTest, ReadsNothingPastTheInstructionOrTheSecurityBlock) {
  ASSERT_NE(Entry(), nullptr);
  PageEnd page;
  ASSERT_TRUE(page.ok());
  const Bytes call = {0xE8, 0x00, 0x00, 0x00, 0x00};
  const BoundCase cases[] = {
      {{0x90}, 0, 1},
      {call, 0, 5},
      {{0x0F, 0x04}, 0, kUnknownOpcode},
      {{0x90}, 1, 1},
      {call, 5, 5},            // ends exactly at the block
      {call, 4, kOutOfBlock},  // one byte past it
      {call, 100, 5},          // a block beyond 15 bytes limits nothing
      {{0x0F, 0x04}, 1, kOutOfBlock},
      {{0x0F, 0x04}, 2, kUnknownOpcode},
      {{0xC5, 0xF8, 0x77}, 1, kOutOfBlock},  // VEX or les: the second byte decides
      {{0x66, 0x66, 0x66, 0xB8, 0x34, 0x12}, 5, kOutOfBlock},
  };
  for (const BoundCase& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "first byte " << int{c.bytes[0]} << ", block " << c.securityBlock);
    const std::size_t readable = c.securityBlock == 0
                                     ? c.bytes.size()
                                     : std::min<std::size_t>(c.securityBlock, c.bytes.size());
    RecordUnderTest record(page.Place(c.bytes, readable), 0, c.securityBlock);
    EXPECT_EQ(record.Decode(), c.result);
    if (c.result == kOutOfBlock) {
      EXPECT_EQ(record.Text(), "untouched");
    }
  }
}

TEST(DecoderTest, CutsTextsLongerThanTheRecordHolds) {
  ASSERT_NE(Entry(), nullptr);
  // EVEX with a mask, zeroing and a 32-bit displacement: 72 characters.
  Bytes fma = {0x62, 0xF2, 0x7D, 0xC9, 0xB8, 0x84, 0x30, 0x78, 0x56, 0x34, 0x12};
  const std::string full = "vfmadd231ps zmm0 {k1} {z}, zmm0, zmmword ptr [eax+esi*1+0x12345678]";
  fma.resize(fma.size() + 15);
  RecordUnderTest record(fma.data(), 0x401000);
  EXPECT_EQ(record.Decode(), 11);
  EXPECT_EQ(record.Text(), full.substr(0, 63));
}

}  // namespace
}  // namespace varnock
