#include "disasm/listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "disasm/disassemble.h"
#include "disasm/library_binding.h"
#include "message/message.h"

namespace varnock {
namespace {

TEST(LowerCaseAscii, LowersAsciiLettersOnlyAndNeverASecondByte) {
  struct Case {
    std::string text;
    std::string lowered;
  } const cases[] = {
      {"MOV EAX, 0xDEADBEEF", "mov eax, 0xdeadbeef"},
      {"@AZ[`az{", "@az[`az{"},
      // GBK second bytes range over 0x40-0xFE, ASCII letters included.
      {"\xB0\x41Z", "\xB0\x41z"},
      {"\x81\x5A\x81\x5A", "\x81\x5A\x81\x5A"},
      {"A\xB0", "a\xB0"},  // a lead byte at the very end
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(LowerCaseAscii(c.text), c.lowered) << c.text;
}

// The record as the library saw it on each call, and scripted answers.
struct ScriptedAnswer {
  std::int32_t result;
  std::string text;  // 64 characters: written without a terminator
};
std::vector<ScriptedAnswer> g_script;
std::vector<DisasmRecord> g_seen;

#if defined(_WIN32) && !defined(_WIN64)
#define VARNOCK_STDCALL __stdcall
#else
#define VARNOCK_STDCALL
#endif

std::int32_t VARNOCK_STDCALL ScriptedEntry(DisasmRecord* record) {
  g_seen.push_back(*record);
  const ScriptedAnswer& answer = g_script.at(g_seen.size() - 1);
  std::memcpy(record->CompleteInstr, answer.text.data(),
              std::min(answer.text.size() + 1, sizeof record->CompleteInstr));
  // A library may fill the fields after the text; they must not leak into it.
  std::memset(&record->Archi, 'Z', sizeof record->Archi);
  return answer.result;
}

TEST(DecodeListing, HandsTheLibraryOneRecordAndTakesOnlyWhatItReturns) {
  const std::string longest(64, 'A');
  g_script = {{2, longest}, {3, "RET "}, {-2, "BAD "}};
  g_seen.clear();
  std::vector<std::uint8_t> code(6 + kReadMargin, 0x90);
  EXPECT_EQ(DecodeListing(ScriptedEntry, code, 6), "\r\n" + std::string(64, 'a') + "\r\nret \r\n");
  ASSERT_EQ(g_seen.size(), 3u);
  const auto start = reinterpret_cast<std::uintptr_t>(code.data());
  EXPECT_EQ(g_seen[0].EIP, start);
  EXPECT_EQ(g_seen[1].EIP, start + 2);
  EXPECT_EQ(g_seen[2].EIP, start + 5);
  EXPECT_EQ(g_seen[0].Options, kPrefixedNumeral);
  EXPECT_EQ(g_seen[0].VirtualAddr, 0u);
  EXPECT_EQ(g_seen[0].SecurityBlock, 0u);
  EXPECT_EQ(g_seen[0].Archi, 0u);

  // A length past the end adds its line and ends the listing.
  g_script = {{1, "NOP "}, {9, "CALL 0x00000000"}};
  g_seen.clear();
  EXPECT_EQ(DecodeListing(ScriptedEntry, code, 2), "\r\nnop \r\ncall 0x00000000\r\n");
  EXPECT_EQ(g_seen.size(), 2u);
}

TEST(DecodeListing, LowersEachLineAsLowerCaseAsciiDoes) {
  // Lengths around the eight-character words the copy works in, two-byte
  // characters at word starts and ends, and stale bytes left behind a short
  // text by a longer one.
  const std::vector<std::string> texts = {
      "MOV EAX, 0xDEADBEEF",
      "@AZ[`az{",
      "ABCDEFG",
      "",
      "ABCDE\xB0\x41XYZ",
      "ABC",
      "PUSH \xB0\x41X ZZ",
      "ABCDEFGH\xB0\x41",
      "\xB0" + std::string(63, 'A'),
      std::string(63, 'B') + "\xB0",
  };
  g_script.clear();
  std::string expected = "\r\n";
  for (const std::string& text : texts) {
    g_script.push_back({1, text});
    expected += LowerCaseAscii(text) + "\r\n";
  }
  g_seen.clear();
  std::vector<std::uint8_t> code(texts.size() + kReadMargin, 0x90);
  EXPECT_EQ(DecodeListing(ScriptedEntry, code, texts.size()), expected);
}

TEST(DecodeListing, CallTargetIsTheAddressAfterTheCallInTheCopyDecoded) {
  MessageRecorder recorder;
  ASSERT_TRUE(DisassembleCommand("{144}"));  // stages and binds the library
  const DisasmEntry entry = BoundDisasmEntry();
  ASSERT_NE(entry, nullptr);
  std::vector<std::uint8_t> code(5 + kReadMargin, 0);
  code[0] = 0xE8;  // call with displacement 0: the target is the next byte
  // 32-bit code: the address is taken modulo 2^32 in a 64-bit process.
  const auto target = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(code.data()) + 5);
  char expected[32];
  std::snprintf(expected, sizeof expected, "\r\ncall 0x%08x\r\n", static_cast<unsigned>(target));
  EXPECT_EQ(DecodeListing(entry, code, 5), expected);
  EXPECT_TRUE(recorder.messages().empty());
}

}  // namespace
}  // namespace varnock
