// Google Benchmark reporter for the host benchmarks: the usual table, then
// one line per subject that has a baseline in the same run, giving both
// rates and the subject's speed as a multiple of its baseline's. A baseline
// is named after its subject with "Baseline" added to the function name:
// "Format/1024" is compared with "FormatBaseline/1024".
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace varnock::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run> &runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const auto found = run.counters.find("bytes_per_second");
      if (found != run.counters.end()) rates_[run.benchmark_name()] = found->second.value;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto &[name, rate] : rates_) {
      const std::size_t slash = std::min(name.find('/'), name.size());
      const std::string baseline = name.substr(0, slash) + "Baseline" + name.substr(slash);
      const auto found = rates_.find(baseline);
      if (found == rates_.end()) continue;
      std::printf("%-16s %8.1f MB/s vs baseline %7.1f MB/s: %5.2fx its speed\n", name.c_str(),
                  rate / 1e6, found->second / 1e6, rate / found->second);
    }
  }

 private:
  std::map<std::string, double> rates_;
};

}  // namespace varnock::bench
