// Growth of one expansion with the log off: a .vmoptions line holding N references to one
// launcher variable (each followed by one character), for N = 1,000, 10,000 and 100,000.
// Linear growth keeps the time per reference flat; replacing in place would move the rest of
// the text at every reference, which grows with the square of N.
//
//   quorv_bench_expand [Google Benchmark options]
#include <benchmark/benchmark.h>

#include <string>

#include "launch/expand.h"
#include "support/host_system.h"

namespace {

using namespace quorv;

void BM_ExpandReferences(benchmark::State& state) {
  test::resetHost();
  test::setLogOn(false);
  std::string line;
  for (int64_t i = 0; i < state.range(0); ++i) line += "${launcher:sys.pathlistSeparator}x";
  ExpandValues values;
  values.executableDirectory = "C:\\app\\";
  values.systemTempDirectory = "C:\\Temp\\";
  for (auto _ : state) {
    std::string text = line;
    expandWith(text, values, nullptr);
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["references"] = static_cast<double>(state.range(0));
  state.counters["bytes"] = static_cast<double>(line.size());
}
BENCHMARK(BM_ExpandReferences)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
