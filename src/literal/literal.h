// The byte-set literal: the notation "{" decimal byte values separated by ","
// "}" in which a host language writes raw machine code ({144,195} is nop,
// ret). This is the one place that defines it; both conversions are pure
// functions that never fail and report nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnock {

// A counted sequence of bytes, such as a piece of machine code.
using ByteSet = std::vector<std::uint8_t>;

// Text in the system's ANSI code page (GBK, code page 936): 8-bit bytes in
// which a byte of 0x80 or above starts a two-byte character.
using Text = std::string;

// The canonical literal of `bytes`: "{", each value in decimal without
// leading zeros, separated by ",", then "}"; no spaces, no line breaks.
// An empty ByteSet gives the empty text, never "{}".
Text FormatByteSetLiteral(const ByteSet& bytes);

// Reads any text as a literal, leniently. "{" and "}" are dropped wherever
// they stand; the ASCII comma separates items (a trailing comma adds none,
// two commas in a row add an empty one); each item gives one byte: the
// leading decimal number it holds (full-width digits and signs count, as do
// a fraction and an "e"/"d" exponent), truncated toward zero, modulo 256; an
// item without a number gives 0. A byte of 0x80 or above starts a two-byte
// character whose second byte never separates or is dropped. Every byte of
// the view is part of the text, a NUL included. Independent of the C locale.
ByteSet ParseByteSetLiteral(std::string_view text);

}  // namespace varnock
