// A small side-by-side timer for the benchmarks that run under Wine, where
// Google Benchmark is not available: it runs a subject and its baseline in
// alternation in one process, takes the median of each, and prints both with
// their ratio, so that the comparison does not depend on the machine's speed.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace varnock::bench {

struct SideBySideResult {
  double subjectSeconds;   // median seconds for one run of the subject
  double baselineSeconds;  // median seconds for one run of the baseline
  double ratio() const { return subjectSeconds / baselineSeconds; }
};

inline double MedianSeconds(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

// Runs subject and baseline `rounds` times each, alternating, and prints one
// line: "<name>: subject <s> s, baseline <s> s, ratio <r>".
inline SideBySideResult RunSideBySide(const std::string& name, int rounds,
                                      const std::function<void()>& subject,
                                      const std::function<void()>& baseline) {
  using Clock = std::chrono::steady_clock;
  auto time = [](const std::function<void()>& run) {
    auto start = Clock::now();
    run();
    return std::chrono::duration<double>(Clock::now() - start).count();
  };
  subject();  // warm caches and any first-use work on both sides
  baseline();
  std::vector<double> subjectTimes, baselineTimes;
  for (int i = 0; i < rounds; ++i) {
    subjectTimes.push_back(time(subject));
    baselineTimes.push_back(time(baseline));
  }
  SideBySideResult result{MedianSeconds(subjectTimes), MedianSeconds(baselineTimes)};
  std::printf("%s: subject %.6f s, baseline %.6f s, ratio %.3f\n", name.c_str(),
              result.subjectSeconds, result.baselineSeconds, result.ratio());
  std::fflush(stdout);
  return result;
}

}  // namespace varnock::bench
