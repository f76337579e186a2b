// Formatting and parsing of the literal at 1 KB, 1 MB and 16 MB, each side
// by side with a naive baseline in the same run: snprintf per byte into a
// growing string, and splitting at commas with strtod per item. Formatting
// counts ByteSet bytes, parsing counts literal text. After the table, one
// line per size gives the speed-up over the baseline.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "literal/literal.h"

namespace {

using varnock::ByteSet;
using varnock::Text;

ByteSet RandomBytes(std::size_t size) {
  std::mt19937 random(1);
  ByteSet bytes(size);
  for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

// A canonical literal of about `size` characters, random bytes taking
// about 3.6 characters each.
Text LiteralOfSize(std::size_t size) {
  Text text = varnock::FormatByteSetLiteral(RandomBytes(size * 10 / 36));
  return text;
}

Text NaiveFormat(const ByteSet& bytes) {
  Text text;
  char value[8];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const int size =
        std::snprintf(value, sizeof value, i == 0 ? "{%u" : ",%u", static_cast<unsigned>(bytes[i]));
    text.append(value, static_cast<std::size_t>(size));
  }
  if (!bytes.empty()) text += '}';
  return text;
}

ByteSet NaiveParse(const Text& literal) {
  std::string text = literal;
  text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '{' || c == '}'; }),
             text.end());
  ByteSet bytes;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    const std::string item = text.substr(start, comma - start);
    bytes.push_back(
        static_cast<std::uint8_t>(static_cast<std::int64_t>(std::strtod(item.c_str(), nullptr))));
    start = comma + 1;
  }
  return bytes;
}

void Format(benchmark::State& state) {
  const ByteSet bytes = RandomBytes(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(varnock::FormatByteSetLiteral(bytes));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void FormatBaseline(benchmark::State& state) {
  const ByteSet bytes = RandomBytes(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(NaiveFormat(bytes));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void Parse(benchmark::State& state) {
  const Text text = LiteralOfSize(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(varnock::ParseByteSetLiteral(text));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

void ParseBaseline(benchmark::State& state) {
  const Text text = LiteralOfSize(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(NaiveParse(text));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

constexpr std::int64_t kSizes[] = {1 << 10, 1 << 20, 16 << 20};

void Sizes(benchmark::internal::Benchmark* benchmark) {
  for (std::int64_t size : kSizes) benchmark->Arg(size);
  benchmark->Unit(benchmark::kMicrosecond);
}

BENCHMARK(Format)->Apply(Sizes);
BENCHMARK(FormatBaseline)->Apply(Sizes);
BENCHMARK(Parse)->Apply(Sizes);
BENCHMARK(ParseBaseline)->Apply(Sizes);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  varnock::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
