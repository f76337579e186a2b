// Lenient parsing of any text into a ByteSet.
//
// The text is read item by item. Most items of a real literal are a
// few plain digits, which the fast paths in ParseByteSetLiteral convert on
// the spot; anything else (a fraction, an exponent, a "+", a brace or a
// two-byte character inside the number, more than 15 digits) goes to
// ReadItem, which applies the whole rule: drop the braces, fold full-width
// forms, read the longest number prefix, convert it to the correctly rounded
// double, truncate, keep the low 8 bits. Both give the same byte.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <system_error>

#include "literal/literal.h"

namespace varnock {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Space, tab, line feed, vertical tab, form feed, carriage return: the C
// locale's white space, fixed here whatever the current locale.
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool IsBrace(char c) { return c == '{' || c == '}'; }

bool IsExponentLetter(char c) { return c == 'e' || c == 'E' || c == 'd' || c == 'D'; }

bool IsLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// The length of the character that starts at `p`: two for a lead byte, but
// one for a lead byte that ends the text, which has no second byte to take.
std::ptrdiff_t CharacterSize(const char* p, const char* end) {
  return IsLeadByte(*p) && end - p >= 2 ? 2 : 1;
}

// The ASCII character a two-byte GBK character stands for in a number, or
// 0 when it has none: the full-width forms of "!" to "~" (0xA3 0xA1-0xFE),
// the ideographic space, the full-width tilde and the two stars.
char FoldFullWidth(unsigned char lead, unsigned char second) {
  if (lead == 0xA3 && second >= 0xA1 && second <= 0xFE) {
    return static_cast<char>(second - 0x80);
  }
  if (lead == 0xA1) {
    switch (second) {
      case 0xA1:
        return ' ';
      case 0xAB:
        return '~';
      case 0xEE:
      case 0xEF:
        return '*';
    }
  }
  return 0;
}

// The low 8 bits of a magnitude truncated toward zero, negated if
// `negative`; a magnitude of 2^63 or more (infinity included) gives 0, as it
// has no signed 64-bit integer.
std::uint8_t TruncatedByte(double magnitude, bool negative) {
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (!(magnitude < kTwoTo63)) return 0;
  const auto whole = static_cast<std::uint64_t>(magnitude);
  return static_cast<std::uint8_t>(negative ? 0 - whole : whole);
}

// The byte of one item, given with its braces removed and its full-width
// forms folded. Reads the longest prefix "[+-] digits [. digits]
// [eEdD [+-] digits]" (at least one mantissa digit) after leading white
// space; no number gives 0.
std::uint8_t ItemByte(std::string& item) {
  const std::size_t size = item.size();
  std::size_t i = 0;
  while (i < size && IsSpace(item[i])) ++i;
  bool negative = false;
  if (i < size && (item[i] == '+' || item[i] == '-')) {
    negative = item[i] == '-';
    ++i;
  }
  const std::size_t start = i;
  std::size_t digits = 0;
  for (; i < size && IsDigit(item[i]); ++i) ++digits;
  if (i < size && item[i] == '.') {
    for (++i; i < size && IsDigit(item[i]); ++i) ++digits;
  }
  if (digits == 0) return 0;
  if (i < size && IsExponentLetter(item[i])) {
    std::size_t j = i + 1;
    if (j < size && (item[j] == '+' || item[j] == '-')) ++j;
    if (j < size && IsDigit(item[j])) {
      item[i] = 'e';  // from_chars knows no "d" exponent
      for (i = j; i < size && IsDigit(item[i]); ++i) {
      }
    }
  }
  // from_chars rounds correctly whatever the number of digits, does not
  // look at the locale, and reports overflow (and underflow) as out of
  // range: infinity and a vanishing value both give byte 0.
  double magnitude = 0;
  const auto result = std::from_chars(item.data() + start, item.data() + i, magnitude);
  if (result.ec != std::errc{}) return 0;
  return TruncatedByte(magnitude, negative);
}

struct ItemRead {
  const char* next;  // after the separating comma, or the end of the text
  int byte;          // -1: no item (nothing but braces after the last comma)
};

// Reads the item that starts at `p` by the whole rule. The text after the
// last comma is an item only if something but braces is left of it.
ItemRead ReadItem(const char* p, const char* end, std::string& item) {
  item.clear();
  while (p < end) {
    const char c = *p;
    if (c == ',') return {p + 1, ItemByte(item)};
    if (IsBrace(c)) {
      ++p;
    } else if (CharacterSize(p, end) == 2) {
      const char folded =
          FoldFullWidth(static_cast<unsigned char>(c), static_cast<unsigned char>(p[1]));
      if (folded != 0) {
        item.push_back(folded);
      } else {
        item.append(p, 2);
      }
      p += 2;
    } else {
      item.push_back(c);
      ++p;
    }
  }
  return {end, item.empty() ? -1 : ItemByte(item)};
}

// Where the next item starts, from inside an item whose number has been
// read: after the next comma that is a character of its own, or `end`.
const char* SkipRestOfItem(const char* p, const char* end) {
  while (p < end) {
    if (*p == ',') return p + 1;
    p += CharacterSize(p, end);
  }
  return end;
}

// 15 decimal digits stay below 2^53, so their double is the integer itself
// and its low 8 bits are those of the integer.
constexpr std::ptrdiff_t kExactDigits = 15;

// A character after the fast path's digits that may still belong to the
// number, or (a brace, a two-byte character) change it once dropped or
// folded; the item then goes to ReadItem.
bool MayContinueNumber(char c) {
  return IsDigit(c) || c == '.' || IsExponentLetter(c) || IsBrace(c) || IsLeadByte(c);
}

// The number of comma bytes, second bytes included: an upper bound on the
// number of separators. Counted in blocks of 255 with an 8-bit count, which
// compilers turn into byte-wide vector code (std::count is 10 times slower).
std::size_t CountCommas(const char* p, const char* end) {
  std::size_t count = 0;
  while (p < end) {
    const std::ptrdiff_t block = std::min<std::ptrdiff_t>(end - p, 255);
    std::uint8_t inBlock = 0;
    for (std::ptrdiff_t i = 0; i < block; ++i) inBlock += p[i] == ',';
    count += inBlock;
    p += block;
  }
  return count;
}

// The place values of the first three digits of a number of 1, 2 or 3
// digits; a 0 weight cancels a character that is no digit.
constexpr unsigned kDigitWeights[4][3] = {{0, 0, 0}, {1, 0, 0}, {10, 1, 0}, {100, 10, 1}};

}  // namespace

ByteSet ParseByteSetLiteral(std::string_view text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  // Every item but the last ends at a comma: room for all of them at once,
  // written through a plain pointer and cut to size at the end.
  ByteSet bytes(CountCommas(p, end) + 1);
  std::uint8_t* out = bytes.data();
  std::string item;  // ReadItem's buffer, reused for every item
  while (p < end) {
    // Fastest path, the canonical item: one to three digits and a comma,
    // read without a branch on the number of digits.
    if (end - p >= 4) {
      const unsigned d0 = static_cast<unsigned char>(p[0]) - '0';
      const unsigned d1 = static_cast<unsigned char>(p[1]) - '0';
      const unsigned d2 = static_cast<unsigned char>(p[2]) - '0';
      if (d0 < 10) {
        const bool two = d1 < 10;
        const bool three = two && d2 < 10;
        const std::ptrdiff_t digits = 1 + two + three;
        if (p[digits] == ',') {
          // Weights instead of a choice: the number of digits of random
          // values is not predictable, a mispredicted branch per item.
          const unsigned* const weight = kDigitWeights[digits];
          *out++ = static_cast<std::uint8_t>(d0 * weight[0] + d1 * weight[1] + d2 * weight[2]);
          p += digits + 1;
          continue;
        }
      }
    }
    const char* const itemStart = p;
    // Fast path: braces and white space, an optional "-" right before the
    // digits, then at most 15 digits that end the number.
    while (p < end && (IsSpace(*p) || IsBrace(*p))) ++p;
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    if (p < end && IsDigit(*p)) {
      const char* const digits = p;
      unsigned value = 0;  // modulo 2^32, which keeps the low 8 bits
      for (; p < end && IsDigit(*p); ++p) value = value * 10 + static_cast<unsigned>(*p - '0');
      if (p - digits <= kExactDigits && (p == end || !MayContinueNumber(*p))) {
        *out++ = static_cast<std::uint8_t>(negative ? 0 - value : value);
        p = p < end && *p == ',' ? p + 1 : SkipRestOfItem(p, end);
        continue;
      }
    }
    const ItemRead read = ReadItem(itemStart, end, item);
    if (read.byte >= 0) *out++ = static_cast<std::uint8_t>(read.byte);
    p = read.next;
  }
  bytes.resize(static_cast<std::size_t>(out - bytes.data()));
  return bytes;
}

}  // namespace varnock
