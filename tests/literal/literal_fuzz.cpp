// Fuzz target for the literal. For any input, taken both as text and as
// bytes:
// - parsing matches a plain, step-by-step reading of the rule (below), which
//   converts numbers with glibc's strtod rather than from_chars;
// - the canonical form of what was parsed parses back to the same bytes and
//   formats again to the same text;
// - formatting the input bytes and parsing the result gives them back.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "literal/literal.h"

namespace {

using varnock::ByteSet;

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "literal_fuzz: %s\n", what);
    std::abort();
  }
}

// The text cut into characters: a byte of 0x80 or above and the byte after
// it make one, except at the very end.
std::vector<std::string> Characters(std::string_view text) {
  std::vector<std::string> characters;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t size =
        static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
    characters.emplace_back(text.substr(i, size));
    i += size;
  }
  return characters;
}

std::string Fold(const std::string& character) {
  if (character.size() != 2) return character;
  const auto lead = static_cast<unsigned char>(character[0]);
  const auto second = static_cast<unsigned char>(character[1]);
  if (lead == 0xA3 && second >= 0xA1 && second <= 0xFE) return std::string(1, char(second - 0x80));
  if (lead == 0xA1 && second == 0xA1) return " ";
  if (lead == 0xA1 && second == 0xAB) return "~";
  if (lead == 0xA1 && (second == 0xEE || second == 0xEF)) return "*";
  return character;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::uint8_t ModelItemByte(const std::string& item) {
  std::size_t i = item.find_first_not_of(" \t\n\v\f\r");
  if (i == std::string::npos) return 0;
  std::string number;
  if (item[i] == '+' || item[i] == '-') number += item[i++];
  std::size_t digits = 0;
  for (; i < item.size() && IsDigit(item[i]); ++i, ++digits) number += item[i];
  if (i < item.size() && item[i] == '.') {
    number += item[i++];
    for (; i < item.size() && IsDigit(item[i]); ++i, ++digits) number += item[i];
  }
  if (digits == 0) return 0;
  if (i < item.size() && std::string_view("eEdD").find(item[i]) != std::string_view::npos) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < item.size() && (item[j] == '+' || item[j] == '-')) exponent += item[j++];
    if (j < item.size() && IsDigit(item[j])) {
      for (; j < item.size() && IsDigit(item[j]); ++j) exponent += item[j];
      number += exponent;
    }
  }
  // The process never sets a locale, so strtod reads "." as the point.
  const double value = std::strtod(number.c_str(), nullptr);
  if (!std::isfinite(value) || std::fabs(value) >= 9223372036854775808.0) return 0;
  return static_cast<std::uint8_t>(static_cast<std::int64_t>(value));
}

ByteSet ModelParse(std::string_view text) {
  std::vector<std::string> characters;
  for (std::string& character : Characters(text)) {
    if (character != "{" && character != "}") characters.push_back(std::move(character));
  }
  std::vector<std::string> items;
  std::string item;
  bool open = false;  // characters since the last comma
  for (const std::string& character : characters) {
    if (character == ",") {
      items.push_back(item);
      item.clear();
      open = false;
    } else {
      item += Fold(character);
      open = true;
    }
  }
  if (open) items.push_back(item);
  ByteSet bytes;
  for (const std::string& each : items) bytes.push_back(ModelItemByte(each));
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ByteSet parsed = varnock::ParseByteSetLiteral(text);
  Require(parsed == ModelParse(text), "parse differs from the step-by-step reading");

  const varnock::Text canonical = varnock::FormatByteSetLiteral(parsed);
  const ByteSet reparsed = varnock::ParseByteSetLiteral(canonical);
  Require(reparsed == parsed, "canonical form does not parse back");
  Require(varnock::FormatByteSetLiteral(reparsed) == canonical, "canonical form is not stable");

  const ByteSet bytes(data, data + size);
  const varnock::Text literal = varnock::FormatByteSetLiteral(bytes);
  Require(bytes.empty() ? literal.empty() : varnock::ParseByteSetLiteral(literal) == bytes,
          "formatted bytes do not parse back");
  return 0;
}
