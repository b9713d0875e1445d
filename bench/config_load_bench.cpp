// Time and memory of loading a configuration of 10,000 entries from the appended data block.
//
//   quorv_bench_config [Google Benchmark options]   time of the load, and of its floor
//   quorv_bench_config --memory                     one load, its heap and resident-set figures
//
// The floor of the time is the least work that fills the same store: copying the block's bytes
// once and inserting the same 10,000 key/value pairs into the store's map. Memory is counted by
// a replacement of the global allocation functions: the peak of the bytes requested and not yet
// released while the load runs, and what the store keeps afterwards (the allocator's own
// bookkeeping per block is not counted). `--memory` runs in a process of its own, on a fresh
// store.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <string>

#include "config/block.h"
#include "config/store.h"
#include "support/block_builder.h"
#include "support/host_system.h"

namespace {

// --- Counting allocator ----------------------------------------------------------------------
// Every allocation carries a header with its size; the benchmark runs on one thread.

constexpr std::size_t kHeader = alignof(std::max_align_t);
std::size_t liveBytes = 0;
std::size_t peakBytes = 0;

void* countedAllocate(std::size_t size) {
  auto* raw = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (raw == nullptr) throw std::bad_alloc();
  std::memcpy(raw, &size, sizeof size);
  liveBytes += size;
  if (liveBytes > peakBytes) peakBytes = liveBytes;
  return raw + kHeader;
}

void countedRelease(void* pointer) {
  if (pointer == nullptr) return;
  auto* raw = static_cast<unsigned char*>(pointer) - kHeader;
  std::size_t size;
  std::memcpy(&size, raw, sizeof size);
  liveBytes -= size;
  std::free(raw);
}

}  // namespace

void* operator new(std::size_t size) { return countedAllocate(size); }
void* operator new[](std::size_t size) { return countedAllocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return countedAllocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* pointer) noexcept { countedRelease(pointer); }
void operator delete[](void* pointer) noexcept { countedRelease(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { countedRelease(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { countedRelease(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { countedRelease(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { countedRelease(pointer); }

namespace {

using namespace quorv;

constexpr int kEntries = 10000;

// Values of 16 to 112 characters (64 on average), like paths, options and message templates.
std::string entryValue(int i) {
  std::string value = "entry " + std::to_string(i) + " ";
  const std::size_t length = 16 + static_cast<std::size_t>(i * 37 % 97);
  while (value.size() < length) value += static_cast<char>('a' + value.size() % 26);
  return value;
}

struct Workload {
  test::Bytes file;          // a PE image followed by the block
  std::size_t blockSize = 0;  // the appended block alone, header to padding
  std::vector<std::pair<int32_t, std::string>> entries;
};

const Workload& workload() {
  static const Workload w = [] {
    Workload out;
    test::BlockSpec spec;
    // Keys far from those the launcher reads, then the launcher kind that the load looks up.
    for (int i = 0; i < kEntries - 1; ++i) spec.strings.emplace_back(100000 + i, entryValue(i));
    spec.strings.emplace_back(107, "4");
    out.entries = spec.strings;
    out.file = test::minimalPe();
    const test::Bytes block = test::blockBytes(spec);
    out.blockSize = block.size();
    out.file.insert(out.file.end(), block.begin(), block.end());
    return out;
  }();
  return w;
}

void loadOnce(const Workload& w) {
  BlockReader reader = makeBlockReader(test::memorySource(w.file));
  seekAppendedBlock(reader);
  loadConfigurationFrom(reader, [] { return std::string("en"); });
}

void BM_LoadConfiguration(benchmark::State& state) {
  const Workload& w = workload();
  for (auto _ : state) {
    state.PauseTiming();
    test::resetHost();
    state.ResumeTiming();
    loadOnce(w);
    benchmark::DoNotOptimize(configStore().strings.size());
  }
  if (configStore().strings.size() != kEntries) state.SkipWithError("store not filled");
  state.counters["entries"] = kEntries;
  state.counters["block_bytes"] = static_cast<double>(w.blockSize);
}
BENCHMARK(BM_LoadConfiguration)->Unit(benchmark::kMicrosecond);

// The floor: the block's bytes copied once, the same pairs inserted into a map of the same type.
void BM_LoadFloor(benchmark::State& state) {
  const Workload& w = workload();
  std::vector<uint8_t> copy(w.blockSize);
  for (auto _ : state) {
    state.PauseTiming();
    std::map<int32_t, std::string> store;
    state.ResumeTiming();
    std::memcpy(copy.data(), w.file.data() + (w.file.size() - w.blockSize), w.blockSize);
    benchmark::DoNotOptimize(copy.data());
    for (const auto& [key, value] : w.entries) store[key] = std::string(value.data(), value.size());
    benchmark::DoNotOptimize(store.size());
    state.PauseTiming();
    store.clear();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LoadFloor)->Unit(benchmark::kMicrosecond);

int memoryReport() {
  const Workload& w = workload();
  test::resetHost();
  const std::size_t liveBefore = liveBytes;
  peakBytes = liveBytes;
  loadOnce(w);
  const std::size_t peak = peakBytes - liveBefore;
  const std::size_t retained = liveBytes - liveBefore;
  std::printf("{\"entries\": %d, \"block_bytes\": %zu, \"peak_heap_bytes\": %zu, \"retained_heap_bytes\": %zu}\n",
              kEntries, w.blockSize, peak, retained);
  return configStore().strings.size() == kEntries ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--memory") == 0) return memoryReport();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
