// How long a restore spends reading a year of statistics, and what one estimate costs.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/time/simulated_clock.h"
#include "stats/stat_file.h"

namespace {

constexpr int kDaysOfRecords = 365;
constexpr int kDropsPerRecord = 8;  // the default flush after eight hourly samples
const WString kStatName = u"\\Storage\\My Documents\\ZelvarPlugin.dat";

FILETIME FileTimeOf(ULONGLONG units) {
  return FILETIME{static_cast<DWORD>(units), static_cast<DWORD>(units >> 32)};
}

// One record's hourly drops, 0 to 6 points, from a fixed generator.
std::vector<BYTE> Drops(unsigned& seed) {
  std::vector<BYTE> drops;
  for (int i = 0; i < kDropsPerRecord; ++i) {
    seed = seed * 1103515245u + 12345u;
    drops.push_back(static_cast<BYTE>((seed >> 16) % 7));
  }
  return drops;
}

// A device root in a temporary folder holding one year of records up to "now", 2024-12-31 23:00.
class YearOfRecords {
 public:
  YearOfRecords() : clock_(SYSTEMTIME{2024, 12, 0, 31, 23, 0, 0, 0}, 0), clockGuard_(clock_) {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelvar-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    folder_ = pattern;
    SetDeviceRoot(folder_);
    HourlyDrainTable unused;
    LoadStatFile(kStatName, 0, unused, false);  // creates the file with its version line
    constexpr ULONGLONG kHour = 36000000000ULL;
    const ULONGLONG now = clock_.UtcNow();
    unsigned seed = 1;
    for (ULONGLONG start = now - kDaysOfRecords * 24 * kHour; start < now; start += kDropsPerRecord * kHour) {
      AppendStatRecord(kStatName, FileTimeOf(start), Drops(seed));
      ++records_;
    }
  }
  ~YearOfRecords() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  int records() const { return records_; }

 private:
  SimulatedClock clock_;
  ScopedClock clockGuard_;
  std::string folder_;
  int records_ = 0;
};

void BM_LoadStatFileOneYear(benchmark::State& state) {
  YearOfRecords year;
  for (auto _ : state) {
    HourlyDrainTable table;
    benchmark::DoNotOptimize(LoadStatFile(kStatName, 400, table, true));
    benchmark::DoNotOptimize(table.EstimateHours(0, 50));
  }
  state.SetItemsProcessed(state.iterations() * year.records());
  state.counters["records"] = year.records();
}
BENCHMARK(BM_LoadStatFileOneYear)->Unit(benchmark::kMillisecond);

void BM_EstimateHours(benchmark::State& state) {
  HourlyDrainTable table;
  unsigned seed = 7;
  for (int day = 0; day < kDaysOfRecords; ++day) {
    for (UINT hour = 0; hour < 24; hour += kDropsPerRecord) {
      const std::vector<BYTE> drops = Drops(seed);
      for (int i = 0; i < kDropsPerRecord; ++i) table.AddSample(hour + i, drops[i], 0, false);
    }
  }
  table.Recompute();
  const INT percent = static_cast<INT>(state.range(0));
  INT hour = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(table.EstimateHours(hour, percent));
    hour = (hour + 1) % 24;
  }
}
BENCHMARK(BM_EstimateHours)->Arg(5)->Arg(50)->Arg(100)->Arg(255);

}  // namespace
