#include "disasm/listing.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>

namespace varnock {
namespace {

constexpr std::size_t kTextSize = sizeof(DisasmRecord::CompleteInstr);
constexpr std::uint64_t kOnes = 0x0101010101010101;
constexpr std::uint64_t kHighBits = 0x8080808080808080;

// Copies the record's text, lowered, to out and returns the end of the line.
// The text is taken eight characters at a time while they are ASCII, which
// keeps the copy small next to the decoding; the first character of 0x80 or
// above hands the rest to CopyLowerCaseAscii. Writes up to 7 bytes beyond
// the returned end. Words are little-endian, as on every Windows target.
char* CopyInstructionText(const char* text, char* out) {
  for (std::size_t i = 0; i < kTextSize; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text + i, 8);
    // The lowest flagged byte is the first zero (borrows only run upward).
    const std::uint64_t zeros = (word - kOnes) & ~word & kHighBits;
    const int count = zeros ? std::countr_zero(zeros) / 8 : 8;
    const std::uint64_t inText = count == 8 ? ~0ull : (1ull << (8 * count)) - 1;
    if (word & kHighBits & inText) {
      return CopyLowerCaseAscii(text + i, std::find(text + i, text + kTextSize, '\0'), out);
    }
    // Bytes below 0x80: adding 0x3F sets the high bit from "A" up, adding
    // 0x25 from "[" up, without a carry into the next byte of the text.
    const std::uint64_t upper = (word + kOnes * 0x3F) & ~(word + kOnes * 0x25) & kHighBits;
    const std::uint64_t lowered = word | (upper >> 2);  // 0x80 >> 2: the case bit 0x20
    std::memcpy(out, &lowered, 8);
    out += count;
    if (zeros) break;
  }
  return out;
}

}  // namespace

Text DecodeListing(DisasmEntry entry, std::span<const std::uint8_t> code, std::size_t length) {
  assert(code.size() >= length + kReadMargin);
  // Room for the longest line, its "\r\n", and the 7 bytes the copy may
  // write beyond it.
  constexpr std::size_t kLineRoom = kTextSize + 2 + 7;
  // The lines are written straight into the text, which is lengthened a
  // step at a time ahead of them and cut to what was written at the end.
  // About 7 characters per byte of compiled code (a 3-byte instruction gives
  // a line of some 20): reserving 8 keeps most listings from moving.
  constexpr std::size_t kStep = 64 * 1024;
  Text listing;
  listing.reserve(2 + kLineRoom + length * 8);
  listing.resize(2 + kLineRoom);
  char* out = listing.data();
  *out++ = '\r';
  *out++ = '\n';

  DisasmRecord record{};
  record.Options = kPrefixedNumeral;
  const auto start = reinterpret_cast<std::uintptr_t>(code.data());
  std::size_t position = 0;
  while (position < length) {
    record.EIP = start + position;
    const std::int32_t result = entry(&record);
    if (result <= 0) break;  // kOutOfBlock, kUnknownOpcode, or no sensible length
    const std::size_t used = static_cast<std::size_t>(out - listing.data());
    if (listing.size() - used < kLineRoom) {
      // Within the reserved capacity a step at a time; past it the text
      // grows geometrically.
      const std::size_t spare = listing.capacity() - listing.size();
      listing.resize(listing.size() + std::max(kLineRoom, std::min(kStep, spare)));
      out = listing.data() + used;
    }
    // Each line is lowered on its own: the "\r\n" after it holds no
    // letter, so this equals lowering the whole text afterwards.
    out = CopyInstructionText(record.CompleteInstr, out);
    *out++ = '\r';
    *out++ = '\n';
    position += static_cast<std::size_t>(result);
  }
  listing.resize(static_cast<std::size_t>(out - listing.data()));
  return listing;
}

char* CopyLowerCaseAscii(const char* first, const char* last, char* out) {
  while (first != last) {
    const auto byte = static_cast<unsigned char>(*first++);
    if (byte >= 0x80) {
      *out++ = static_cast<char>(byte);
      if (first != last) *out++ = *first++;  // the second byte of a two-byte character
    } else {
      // Without a branch: letters and other characters mix unpredictably.
      const bool upper = static_cast<unsigned>(byte - 'A') < 26u;
      *out++ = static_cast<char>(byte | (upper << 5));
    }
  }
  return out;
}

Text LowerCaseAscii(Text text) {
  CopyLowerCaseAscii(text.data(), text.data() + text.size(), text.data());
  return text;
}

}  // namespace varnock
