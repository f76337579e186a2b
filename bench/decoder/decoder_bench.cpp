// The decoding library's entry, instruction by instruction over the .text
// section of a real i686 DLL, side by side in one run with a plain Zydis loop
// (decode, then format with Zydis's default Intel style) over the same bytes.
// Both loops step over an undecodable byte and bound every read by the end
// of the sample. After the table, one line gives the library's speed as a
// fraction of the plain loop's.
#include <Zydis/Zydis.h>
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "decoder/decoder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes& Sample() {
  static const Bytes sample = [] {
    std::ifstream file(VARNOCK_DECODER_BENCH_SAMPLE, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }();
  return sample;
}

// One pass over `code`; gives the number of instructions decoded.
std::int64_t DisasmPass(const Bytes& code) {
  varnock::DisasmRecord record{};
  record.Options = varnock::kPrefixedNumeral;
  std::int64_t instructions = 0;
  std::size_t position = 0;
  while (position < code.size()) {
    const std::size_t left = code.size() - position;
    record.EIP = reinterpret_cast<std::uintptr_t>(code.data() + position);
    record.SecurityBlock = left < 15 ? static_cast<std::uint32_t>(left) : 0;
    const std::int32_t length = varnock::DecodeInstruction(record);
    benchmark::DoNotOptimize(record.CompleteInstr);
    if (length > 0) {
      position += static_cast<std::size_t>(length);
      ++instructions;
    } else {
      ++position;
    }
  }
  return instructions;
}

std::int64_t ZydisPass(const Bytes& code, const ZydisDecoder& decoder,
                       const ZydisFormatter& formatter) {
  std::int64_t instructions = 0;
  std::size_t position = 0;
  char text[256];
  while (position < code.size()) {
    const std::uint8_t* bytes = code.data() + position;
    ZydisDecoderContext context;
    ZydisDecodedInstruction instruction;
    ZydisDecodedOperand operands[ZYDIS_MAX_OPERAND_COUNT_VISIBLE];
    if (ZYAN_SUCCESS(ZydisDecoderDecodeInstruction(&decoder, &context, bytes,
                                                   code.size() - position, &instruction)) &&
        ZYAN_SUCCESS(ZydisDecoderDecodeOperands(&decoder, &context, &instruction, operands,
                                                instruction.operand_count_visible)) &&
        ZYAN_SUCCESS(ZydisFormatterFormatInstruction(
            &formatter, &instruction, operands, instruction.operand_count_visible, text,
            sizeof text, reinterpret_cast<std::uintptr_t>(bytes), nullptr))) {
      benchmark::DoNotOptimize(text);
      position += instruction.length;
      ++instructions;
    } else {
      ++position;
    }
  }
  return instructions;
}

void Count(benchmark::State& state, std::int64_t instructions) {
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Sample().size()));
  state.counters["instructions_per_second"] = benchmark::Counter(
      static_cast<double>(state.iterations() * instructions), benchmark::Counter::kIsRate);
}

void Disasm(benchmark::State& state) {
  std::int64_t instructions = 0;
  for (auto _ : state) instructions = DisasmPass(Sample());
  Count(state, instructions);
}

void DisasmBaseline(benchmark::State& state) {
  ZydisDecoder decoder;
  ZydisDecoderInit(&decoder, ZYDIS_MACHINE_MODE_LEGACY_32, ZYDIS_STACK_WIDTH_32);
  ZydisFormatter formatter;
  ZydisFormatterInit(&formatter, ZYDIS_FORMATTER_STYLE_INTEL);
  std::int64_t instructions = 0;
  for (auto _ : state) instructions = ZydisPass(Sample(), decoder, formatter);
  Count(state, instructions);
}

BENCHMARK(Disasm)->Unit(benchmark::kMillisecond);
BENCHMARK(DisasmBaseline)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (Sample().empty()) {
    std::fprintf(stderr, "decoder_bench: no sample at %s\n", VARNOCK_DECODER_BENCH_SAMPLE);
    return 1;
  }
  std::printf("sample: %zu bytes of 32-bit code\n", Sample().size());
  varnock::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
