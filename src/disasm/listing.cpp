#include "disasm/listing.h"

#include <algorithm>
#include <cassert>
#include <iterator>

namespace varnock {

Text DecodeListing(DisasmEntry entry, std::span<const std::uint8_t> code, std::size_t length) {
  assert(code.size() >= length + kReadMargin);
  Text listing = "\r\n";
  // About 8 characters of text per byte of compiled code (a 3-byte
  // instruction gives a line of some 24), so most listings never regrow.
  listing.reserve(2 + length * 8);

  DisasmRecord record{};
  record.Options = kPrefixedNumeral;
  const auto start = reinterpret_cast<std::uintptr_t>(code.data());
  std::size_t position = 0;
  while (position < length) {
    record.EIP = start + position;
    const std::int32_t result = entry(&record);
    if (result <= 0) break;  // kOutOfBlock, kUnknownOpcode, or no sensible length
    const char* text = record.CompleteInstr;
    listing.append(text, std::find(text, text + std::size(record.CompleteInstr), '\0'));
    listing.append("\r\n");
    position += static_cast<std::size_t>(result);
  }
  return LowerCaseAscii(std::move(listing));
}

Text LowerCaseAscii(Text text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x80) {
      ++i;  // the second byte of a two-byte character
    } else if (byte >= 'A' && byte <= 'Z') {
      text[i] = static_cast<char>(byte - 'A' + 'a');
    }
  }
  return text;
}

}  // namespace varnock
