#include "literal/literal.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace varnock {
namespace {

using namespace std::string_literals;

// Parses a copy of `text` in a buffer of exactly its size, with no
// terminator behind it, so that reading past the end of the text (the
// second byte of a lead byte that ends it) is an ASan error.
ByteSet ParseExact(std::string_view text) {
  const std::vector<char> exact(text.begin(), text.end());
  return ParseByteSetLiteral(std::string_view(exact.data(), exact.size()));
}

struct FormatCase {
  ByteSet bytes;
  Text text;
};

TEST(FormatByteSetLiteralTest, WritesTheCanonicalForm) {
  const FormatCase cases[] = {
      {{}, ""},
      {{0x00}, "{0}"},
      {{0x90, 0xC3}, "{144,195}"},
      {{0x00, 0xFF, 0x0A, 0x09}, "{0,255,10,9}"},
      {{0x64, 0x63, 0x09, 0x0A}, "{100,99,9,10}"},
  };
  for (const FormatCase& c : cases) {
    EXPECT_EQ(FormatByteSetLiteral(c.bytes), c.text);
  }
}

TEST(FormatByteSetLiteralTest, WritesEveryValueInDecimal) {
  for (int value = 0; value < 256; ++value) {
    const ByteSet bytes = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value)};
    const std::string decimal = std::to_string(value);
    EXPECT_EQ(FormatByteSetLiteral(bytes), "{" + decimal + "," + decimal + "}");
  }
}

struct ParseCase {
  std::string text;
  ByteSet bytes;
};

TEST(ParseByteSetLiteralTest, DropsBracesAndSplitsAtCommas) {
  const ParseCase cases[] = {
      {"", {}},
      {"{}", {}},
      {"}{", {}},
      {"{,}", {0x00}},
      {",", {0x00}},
      {"{144,195}", {0x90, 0xC3}},
      {"{ 144 , 195 }", {0x90, 0xC3}},
      {"144,195", {0x90, 0xC3}},
      {"{85,\r\n139,\r\n236}", {0x55, 0x8B, 0xEC}},
      {"{1,,2}", {0x01, 0x00, 0x02}},
      {"{1,2,}", {0x01, 0x02}},
      {"{1,2,,}", {0x01, 0x02, 0x00}},
      {"{,1}", {0x00, 0x01}},
      {"1,{}", {0x01}},
      {"1, ", {0x01, 0x00}},  // white space after the last comma is an item
      {"{1}{2}", {0x0C}},
      {"{85 139}", {0x55}},
      {"{-1,256,300}", {0xFF, 0x00, 0x2C}},
      {"{\xA3\xB1\xA3\xAC\xA3\xB2}", {0x01}},  // "１，２": the full-width comma does not split
      {"1\0,2"s, {0x01, 0x02}},
  };
  for (const ParseCase& c : cases) {
    EXPECT_EQ(ParseExact(c.text), c.bytes) << "text: " << c.text;
  }
}

TEST(ParseByteSetLiteralTest, StepsOverTwoByteCharacters) {
  const ParseCase cases[] = {
      // A second byte equal to "{", "}" or "," is neither dropped nor a separator.
      {"\x81{,5", {0x00, 0x05}},
      {"\x81},5", {0x00, 0x05}},
      {"\x81,5", {0x00}},
      {"7,\x81,8", {0x07, 0x00}},
      {"\xA3,5", {0x00}},
      {"{1\xB0\xA1,2}", {0x01, 0x02}},
      // A lead byte that ends the text stands alone.
      {"\x81", {0x00}},
      {"5\x81", {0x05}},
      {"5,\x81", {0x05, 0x00}},
      {"5,}\x81", {0x05, 0x00}},
      {"{-\x81", {0x00}},
  };
  for (const ParseCase& c : cases) {
    EXPECT_EQ(ParseExact(c.text), c.bytes) << "text: " << c.text;
  }
}

struct ItemCase {
  std::string item;
  std::uint8_t byte;
};

// Each item is parsed followed by a comma, which makes it an item even
// when it is empty.
TEST(ParseByteSetLiteralTest, ReadsOneByteFromEachItem) {
  const ItemCase cases[] = {
      {"144", 144},
      {" 12", 12},
      {"", 0},
      {"-1", 255},
      {"300", 44},
      {"256", 0},
      {"-129", 127},
      {"-255", 1},
      {"1.7", 1},
      {"-1.7", 255},
      {".5", 0},
      {"5.", 5},
      {"1e2", 100},
      {"1E2", 100},
      {"1d2", 100},
      {"1D2", 100},
      {"25d-1", 2},
      {"1.5e1", 15},
      {"2e+2", 200},
      {"1e", 1},
      {"1e+", 1},
      {"1ex", 1},
      {"12abc", 12},
      {"abc", 0},
      {"0x10", 0},
      {"+5", 5},
      {"- 5", 0},
      {"-.5", 0},
      {"-.", 0},
      {".", 0},
      {"-0", 0},
      {"\t\r\n\v\f 7", 7},
      // Braces inside a number are dropped before it is read.
      {"1{2", 12},
      {"1}2", 12},
      {"-{5", 251},
      // Full-width forms.
      {"\xA3\xB1\xA3\xB2", 12},           // １２
      {"\xA3\xAD\xA3\xB3", 253},          // －３
      {"\xA3\xAB\xA3\xB5", 5},            // ＋５
      {"1\xA3\xB2", 12},                  // 1２
      {"\xA3\xB3\xA3\xAE\xA3\xB9", 3},    // ３．９
      {"\xA3\xB1\xA3\xE5\xA3\xB2", 100},  // １ｅ２
      {"\xA1\xA1\x37", 7},                // ideographic space, "7"
      {"\xA3\xB1\xA1\xA1\xA3\xB2", 1},    // １　２
      // The value is the correctly rounded double of the prefix.
      {"4294967297", 1},
      {"1000000000000001", 1},
      {"9007199254740993", 0},  // 2^53 + 1 rounds to 2^53
      {"9007199254740995", 4},  // 2^53 + 3 rounds to even, 2^53 + 4
      {"2.99999999999999999", 3},
      {"0.99999999999999995", 1},  // above 1 - 2^-54: rounds to 1
      {"0.99999999999999994", 0},  // below it
      // Beyond the signed 64-bit range, and beyond a double's.
      {"18446744073709551615", 0},
      {"9223372036854775807", 0},  // its double is 2^63
      {"1e400", 0},
      {"-1e400", 0},
      {"1e-400", 0},
      {"1e99999999999999999999", 0},
      // Long items.
      {std::string(5000, '0') + "7", 7},
      {"0." + std::string(4999, '0') + "25e5002", 250},
      {"1" + std::string(5000, '0'), 0},
      {"1e" + std::string(5000, '0') + "2", 100},
  };
  for (const ItemCase& c : cases) {
    EXPECT_EQ(ParseExact(c.item + ","), ByteSet{c.byte}) << "item: " << c.item.substr(0, 40);
  }
}

// Sets the first locale that writes numbers with a decimal comma, and
// restores the previous one when it goes.
class DecimalCommaLocale {
 public:
  DecimalCommaLocale() : previous_(std::setlocale(LC_ALL, nullptr)) {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252", "German",
                             "fr_FR.UTF-8", "French"}) {
      if (std::setlocale(LC_ALL, name) != nullptr &&
          std::string(std::localeconv()->decimal_point) == ",") {
        active_ = true;
        return;
      }
    }
    std::setlocale(LC_ALL, previous_.c_str());
  }
  ~DecimalCommaLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
  DecimalCommaLocale(const DecimalCommaLocale&) = delete;
  DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

  bool active() const { return active_; }

 private:
  std::string previous_;
  bool active_ = false;
};

TEST(ParseByteSetLiteralTest, ReadsThePointWhateverTheLocale) {
  const DecimalCommaLocale locale;
  if (!locale.active()) GTEST_SKIP() << "no locale with a decimal comma here";
  EXPECT_EQ(ParseByteSetLiteral("{2.5e1,.5e1,1.5d1, 7}"), (ByteSet{25, 5, 15, 7}));
  EXPECT_EQ(FormatByteSetLiteral({1, 200}), "{1,200}");
}

TEST(ByteSetLiteralTest, FormattedBytesParseBack) {
  ByteSet everyValue;
  for (int value = 0; value < 256; ++value) everyValue.push_back(static_cast<std::uint8_t>(value));
  // push ebp; mov ebp,esp; sub esp,8; mov eax,[ebp+8]; leave; ret 4
  const ByteSet code = {0x55, 0x8B, 0xEC, 0x83, 0xEC, 0x08, 0x8B,
                        0x45, 0x08, 0xC9, 0xC2, 0x04, 0x00};
  std::mt19937 random(7);
  ByteSet noise(100000);
  for (std::uint8_t& byte : noise) byte = static_cast<std::uint8_t>(random());
  for (const ByteSet& bytes : {everyValue, code, noise, ByteSet{0}}) {
    EXPECT_EQ(ParseByteSetLiteral(FormatByteSetLiteral(bytes)), bytes);
  }
  EXPECT_EQ(FormatByteSetLiteral(ParseByteSetLiteral("{ 85,\r\n139 , 236,}")), "{85,139,236}");
}

}  // namespace
}  // namespace varnock
