// Formatting a ByteSet as its canonical literal, in one pass over the bytes.
#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

#include "literal/literal.h"

namespace varnock {
namespace {

// One value's decimal digits followed by its separator, padded to four
// characters so that every value is copied with one fixed-size store.
struct DecimalValue {
  char text[4];
  std::uint8_t size;  // digits plus the separator: 2 to 4
};

constexpr std::array<DecimalValue, 256> MakeDecimalTable() {
  std::array<DecimalValue, 256> table{};
  for (int value = 0; value < 256; ++value) {
    DecimalValue& entry = table[value];
    int size = 0;
    if (value >= 100) entry.text[size++] = static_cast<char>('0' + value / 100);
    if (value >= 10) entry.text[size++] = static_cast<char>('0' + value / 10 % 10);
    entry.text[size++] = static_cast<char>('0' + value % 10);
    entry.text[size++] = ',';
    entry.size = static_cast<std::uint8_t>(size);
  }
  return table;
}

constexpr std::array<DecimalValue, 256> kDecimal = MakeDecimalTable();

static_assert(kDecimal[0].size == 2 && kDecimal[0].text[0] == '0');
static_assert(kDecimal[255].size == 4 && kDecimal[255].text[2] == '5');

}  // namespace

Text FormatByteSetLiteral(const ByteSet& bytes) {
  if (bytes.empty()) return {};
  // "{", then at most three digits and a separator per value; the last
  // separator's place takes the "}". Checked so that 4 * n cannot wrap in a
  // 32-bit process.
  Text text;
  if (bytes.size() > (text.max_size() - 1) / 4) {
    throw std::length_error("byte set too long for a literal");
  }
  text.reserve(1 + 4 * bytes.size());
  text.push_back('{');
  // Values go through a small buffer on the stack and are appended to the
  // reserved text a block at a time: the text is written once, never
  // zero-filled first, and its unused tail is never touched.
  constexpr std::size_t kBlockValues = 1024;
  char block[4 * kBlockValues];
  for (std::size_t first = 0; first < bytes.size(); first += kBlockValues) {
    const std::size_t last = std::min(bytes.size(), first + kBlockValues);
    char* out = block;
    for (std::size_t i = first; i < last; ++i) {
      const DecimalValue& decimal = kDecimal[bytes[i]];
      // All four characters: the ones past `size` are overwritten by the
      // next value or not appended.
      std::memcpy(out, decimal.text, sizeof decimal.text);
      out += decimal.size;
    }
    text.append(block, static_cast<std::size_t>(out - block));
  }
  text.back() = '}';
  return text;
}

}  // namespace varnock
