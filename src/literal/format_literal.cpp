// Formatting a ByteSet as its canonical literal, in one pass over the bytes.
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
  text.resize(1 + 4 * bytes.size());
  char* out = text.data();
  *out++ = '{';
  for (std::uint8_t value : bytes) {
    const DecimalValue& decimal = kDecimal[value];
    // Writes all four characters; the ones past `size` are overwritten by
    // the next value or cut off below, and stay inside the buffer.
    std::memcpy(out, decimal.text, sizeof decimal.text);
    out += decimal.size;
  }
  out[-1] = '}';
  text.resize(static_cast<std::size_t>(out - text.data()));
  return text;
}

}  // namespace varnock
