#include "asm/assembler_report.h"

#include <charconv>

#include "message/message.h"

namespace varnock {
namespace {

// Rewrites one line of the assembler's output; `line` is UTF-8, so the
// ASCII of a location can never be part of a Chinese character.
std::string RelocateLine(std::string_view line, std::string_view sourceName, int firstLine) {
  if (!line.starts_with(sourceName) || !line.substr(sourceName.size()).starts_with(":")) {
    return std::string(line);
  }
  std::string_view rest = line.substr(sourceName.size() + 1);
  int number = 0;
  auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
  if (error != std::errc() || end == rest.data() || end == rest.data() + rest.size() ||
      *end != ':' || number < firstLine) {
    return std::string(line);
  }
  return "line " + std::to_string(number - firstLine + 1) +
         std::string(end, rest.data() + rest.size());
}

}  // namespace

std::string DescribeAssemblyFailure(std::string_view output, bool truncated, unsigned long exitCode,
                                    std::string_view sourceName, int firstLine) {
  std::string text = "汇编失败：";
  const std::string utf8 = AnsiToUtf8(output);
  std::string_view rest = utf8;
  bool anyLine = false;
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty()) continue;
    text += "\r\n" + RelocateLine(line, sourceName, firstLine);
    anyLine = true;
  }
  if (!anyLine) {
    text += "NASM没有给出错误信息（退出码 " + std::to_string(exitCode) + "）";
  } else if (truncated) {
    text += "\r\n……（其余信息从略）";
  }
  return text;
}

}  // namespace varnock
