#include "disasm/disassemble.h"

#include <algorithm>

#include "disasm/library_binding.h"
#include "disasm/listing.h"
#include "message/message.h"
#include "tools/tool_images.h"

namespace varnock {

Text DisassembleByteSet(const ByteSet& bytes) {
  if (bytes.empty()) return Utf8ToAnsi("字节集长度不可为0");
  const ToolImage& image = DisassemblerImage();
  StageToolImage(image.bytes, image.fileName);
  const DisasmEntry entry = BoundDisasmEntry();
  if (!entry) return {};
  // The library reads from a copy followed by zeros, never from memory
  // beyond what this command owns.
  std::vector<std::uint8_t> code(bytes.size() + kReadMargin, 0);
  std::copy(bytes.begin(), bytes.end(), code.begin());
  return DecodeListing(entry, code, bytes.size());
}

std::optional<Text> DisassembleCommand(const Text& literalText) {
  Text listing = DisassembleByteSet(ParseByteSetLiteral(literalText));
  if (listing.empty()) return std::nullopt;
  return listing;
}

}  // namespace varnock
