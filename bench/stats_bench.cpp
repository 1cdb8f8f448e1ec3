// What one remaining-hours estimate costs on a year of statistics.
#include <benchmark/benchmark.h>

#include <vector>

#include "stats/hourly_drain_table.h"

namespace {

constexpr int kDaysOfRecords = 365;
constexpr int kDropsPerRecord = 8;  // the default flush after eight hourly samples

// One record's hourly drops, 0 to 6 points, from a fixed generator.
std::vector<BYTE> Drops(unsigned& seed) {
  std::vector<BYTE> drops;
  for (int i = 0; i < kDropsPerRecord; ++i) {
    seed = seed * 1103515245u + 12345u;
    drops.push_back(static_cast<BYTE>((seed >> 16) % 7));
  }
  return drops;
}

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
