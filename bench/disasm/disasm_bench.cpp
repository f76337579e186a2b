// DisassembleByteSet over real 32-bit code (the .text of a mingw DLL,
// extracted at build time into code32.bin beside this program) against a
// bare loop over the library's entry on the same bytes. The command's own
// work (the copy, the text, the lower-casing) should be small next to the
// decoding, and grow linearly with the input.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "bench/side_by_side.h"
#include "decoder/disasm_record.h"
#include "disasm/disassemble.h"
#include "tools/tool_images.h"

namespace {

constexpr std::size_t kMargin = 16;  // zeros after the bytes, as the command adds

varnock::ByteSet ReadCode() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string file(path, length);
  file = file.substr(0, file.find_last_of('\\') + 1) + "code32.bin";
  std::ifstream in(file, std::ios::binary);
  return varnock::ByteSet(std::istreambuf_iterator<char>(in), {});
}

// The baseline: one record, one call per instruction, nothing kept but a
// checksum of the texts' first characters.
std::size_t DecodeDirectly(varnock::DisasmEntry entry, const std::vector<std::uint8_t>& padded,
                           std::size_t length) {
  varnock::DisasmRecord record{};
  record.Options = varnock::kPrefixedNumeral;
  const auto start = reinterpret_cast<std::uintptr_t>(padded.data());
  std::size_t position = 0, checksum = 0;
  while (position < length) {
    record.EIP = start + position;
    const std::int32_t result = entry(&record);
    if (result <= 0) break;
    checksum += static_cast<unsigned char>(record.CompleteInstr[0]);
    position += static_cast<std::size_t>(result);
  }
  return checksum + position;
}

// `size` bytes of whole instructions taken from the code, skipping every
// byte that begins no known instruction, so that neither side stops early.
varnock::ByteSet DecodableCode(varnock::DisasmEntry entry, const varnock::ByteSet& code,
                               std::size_t size, std::size_t& skipped) {
  std::vector<std::uint8_t> padded(code.begin(), code.end());
  padded.resize(code.size() + kMargin, 0);
  varnock::DisasmRecord record{};
  record.Options = varnock::kPrefixedNumeral;
  varnock::ByteSet out;
  skipped = 0;
  std::size_t position = 0;
  while (out.size() < size) {
    if (position >= code.size()) position = 0;  // wrap around a short section
    record.EIP = reinterpret_cast<std::uintptr_t>(padded.data()) + position;
    const std::int32_t result = entry(&record);
    if (result <= 0 || position + static_cast<std::size_t>(result) > code.size()) {
      ++skipped;
      ++position;
      continue;
    }
    out.insert(out.end(), code.begin() + position, code.begin() + position + result);
    position += static_cast<std::size_t>(result);
  }
  out.resize(size);
  return out;
}

}  // namespace

int main() {
  const varnock::ByteSet code = ReadCode();
  if (code.empty()) {
    std::fprintf(stderr, "disasm_bench: code32.bin missing or empty\n");
    return 1;
  }
  if (varnock::DisassembleByteSet({0x90}) != "\r\nnop \r\n") {  // stages and binds
    std::fprintf(stderr, "disasm_bench: the decoding library does not work\n");
    return 1;
  }
  const std::string staged = varnock::SystemDirectoryPath() + "qvbeae.dll";
  HMODULE library = LoadLibraryA(staged.c_str());
  FARPROC address = library ? GetProcAddress(library, varnock::kDisasmEntryName) : nullptr;
  if (!address) {
    std::fprintf(stderr, "disasm_bench: cannot bind %s\n", staged.c_str());
    return 1;
  }
  const auto entry = reinterpret_cast<varnock::DisasmEntry>(reinterpret_cast<void*>(address));

  std::size_t skipped = 0;
  const varnock::ByteSet all = DecodableCode(entry, code, 1 << 20, skipped);
  std::printf("code: %zu bytes of .text, %zu undecodable bytes skipped\n", code.size(), skipped);

  struct Size {
    std::size_t bytes;
    int repeats;  // runs per timed sample, so that small inputs time well
    int rounds;
  } const sizes[] = {{1 << 10, 256, 15}, {64 << 10, 4, 15}, {1 << 20, 1, 11}};
  std::size_t sink = 0;
  for (const Size& size : sizes) {
    const varnock::ByteSet bytes(all.begin(), all.begin() + size.bytes);
    std::vector<std::uint8_t> padded(bytes);
    padded.resize(bytes.size() + kMargin, 0);
    std::size_t listingSize = 0;
    const std::string name = "disassemble " + std::to_string(size.bytes / 1024) + " KB";
    const auto result = varnock::bench::RunSideBySide(
        name, size.rounds,
        [&] {
          for (int i = 0; i < size.repeats; ++i) {
            listingSize = varnock::DisassembleByteSet(bytes).size();
            sink += listingSize;
          }
        },
        [&] {
          for (int i = 0; i < size.repeats; ++i)
            sink += DecodeDirectly(entry, padded, bytes.size());
        });
    const double perByte = 1e9 / (static_cast<double>(size.bytes) * size.repeats);
    std::printf(
        "  %zu bytes: command %.2f ns/byte, direct loop %.2f ns/byte, speed %.3fx of "
        "the direct loop, listing %zu characters\n",
        size.bytes, result.subjectSeconds * perByte, result.baselineSeconds * perByte,
        1 / result.ratio(), listingSize);
  }
  // Every command stages the library first (a system directory query and a
  // directory search); at small sizes that, not the decoding, is the cost.
  const auto stagingStart = std::chrono::steady_clock::now();
  constexpr int kStagings = 200;
  const varnock::ToolImage& image = varnock::DisassemblerImage();
  for (int i = 0; i < kStagings; ++i) varnock::StageToolImage(image.bytes, image.fileName);
  const std::chrono::duration<double, std::micro> staging =
      std::chrono::steady_clock::now() - stagingStart;
  std::printf("staging, part of every command: %.1f us per command\n", staging.count() / kStagings);
  FreeLibrary(library);
  return sink == 0;
}
