// Loading the stat file on a restore, against a straightforward loader (a line at a time with
// getline, every number with sscanf) that files the same records in the same run. Both must fill
// the table alike; the program stops before measuring when they do not.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/time/simulated_clock.h"
#include "stats/stat_file.h"

namespace {

constexpr int kDropsPerRecord = 8;  // the default flush after eight hourly samples
constexpr DWORD kWholePast = 0xFFFFFFFF;
const WString kStatName = u"\\ZelvarPlugin.dat";
// "Now" for the age of every record: 2024-12-31 23:00 local time.
const SYSTEMTIME kNow{2024, 12, 2, 31, 23, 0, 0, 0};

// The reference loader: the file's rules in the plainest way, without the 32-bit check on numbers
// (the generated file holds none beyond).
void BaselineLoad(const std::string& path, DWORD maxHistoryDays, HourlyDrainTable& table) {
  FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) std::abort();
  SYSTEMTIME now;
  GetLocalTime(&now);
  char* line = nullptr;
  size_t capacity = 0;
  bool versionRead = false;
  while (getline(&line, &capacity, file) != -1) {
    if (!versionRead) {
      if (std::strncmp(line, "[version 1]", 11) != 0) break;
      versionRead = true;
      continue;
    }
    int year, month, day, hour;
    if (std::sscanf(line, "%d.%d.%d.%d:", &year, &month, &day, &hour) < 4) continue;
    const SYSTEMTIME head{static_cast<WORD>(year), static_cast<WORD>(month), 0, static_cast<WORD>(day),
                          static_cast<WORD>(hour), 0, 0, 0};
    FILETIME valid;
    if (!SystemTimeToFileTime(&head, &valid)) continue;
    if (static_cast<DWORD>(SecondsBetween(head, now)) / 86400 >= maxHistoryDays) continue;
    const char* item = std::strchr(line, ':');
    if (item == nullptr) continue;
    ++item;
    for (UINT itemHour = hour; *item != '\0'; itemHour = (itemHour + 1) % 24) {
      int drop;
      if (std::sscanf(item, "%d", &drop) == 1) {
        if (drop >= 100) break;
        table.AddSample(itemHour, static_cast<UINT>(drop), 0, false);
      }
      item = std::strchr(item, ',');
      if (item == nullptr) break;
      ++item;
    }
  }
  std::free(line);
  table.Recompute();
  std::fclose(file);
}

// A device root in a temporary folder holding a stat file of the given number of records, eight
// hours apart up to now, with drops of 0 to 6 points from a fixed generator.
class StatFileOfRecords {
 public:
  explicit StatFileOfRecords(int records) : clock_(kNow, 0), clockGuard_(clock_) {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelvar-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    folder_ = pattern;
    SetDeviceRoot(folder_);
    std::ofstream file(path(), std::ios::binary);
    file << "[version 1]\n";
    unsigned seed = 1;
    for (int i = records; i > 0; --i) {
      FILETIME now;
      SystemTimeToFileTime(&kNow, &now);
      const ULONGLONG start = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32 | now.dwLowDateTime) -
                              static_cast<ULONGLONG>(i) * kDropsPerRecord * 36000000000ULL;
      const FILETIME startTime{static_cast<DWORD>(start), static_cast<DWORD>(start >> 32)};
      SYSTEMTIME head;
      FileTimeToSystemTime(&startTime, &head);
      file << head.wYear << '.' << head.wMonth << '.' << head.wDay << '.' << head.wHour << ':';
      for (int k = 0; k < kDropsPerRecord; ++k) {
        seed = seed * 1103515245u + 12345u;
        file << (seed >> 16) % 7 << (k + 1 == kDropsPerRecord ? '\n' : ',');
      }
    }
  }
  ~StatFileOfRecords() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::string path() const { return folder_ + "/ZelvarPlugin.dat"; }

 private:
  SimulatedClock clock_;
  ScopedClock clockGuard_;
  std::string folder_;
};

std::string Averages(const HourlyDrainTable& table) {
  WString text;
  table.FormatCumulative(text, 24);
  return NarrowUtf8(text);
}

void CheckSameTable(const StatFileOfRecords& file) {
  HourlyDrainTable loaded;
  HourlyDrainTable baseline;
  LoadStatFile(kStatName, kWholePast, loaded, true);
  BaselineLoad(file.path(), kWholePast, baseline);
  if (Averages(loaded) != Averages(baseline) || Averages(loaded) == "No stats") {
    std::fprintf(stderr, "the loader and the baseline disagree:\n%s\n%s\n", Averages(loaded).c_str(),
                 Averages(baseline).c_str());
    std::abort();
  }
}

void BM_LoadStatFile(benchmark::State& state) {
  const StatFileOfRecords file(static_cast<int>(state.range(0)));
  CheckSameTable(file);
  for (auto _ : state) {
    HourlyDrainTable table;
    benchmark::DoNotOptimize(LoadStatFile(kStatName, kWholePast, table, true));
    benchmark::DoNotOptimize(table.EstimateHours(0, 50));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadStatFile)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

void BM_BaselineLoader(benchmark::State& state) {
  const StatFileOfRecords file(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    HourlyDrainTable table;
    BaselineLoad(file.path(), kWholePast, table);
    benchmark::DoNotOptimize(table.EstimateHours(0, 50));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_BaselineLoader)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

}  // namespace
