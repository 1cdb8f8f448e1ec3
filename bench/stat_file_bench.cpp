// Loading the stat file on a restore, against the reference loader (fuzz/stat_file_reference.h:
// a line at a time with fgets, every number with sscanf) and the physical limit (from_chars over
// the whole file), which file the same records in the same run. All must fill the table alike; the
// program stops before measuring when they do not.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/stat_file_reference.h"
#include "platform/time/simulated_clock.h"
#include "stats/stat_file.h"

namespace {

constexpr int kDropsPerRecord = 8;  // the default flush after eight hourly samples
constexpr DWORD kWholePast = 0xFFFFFFFF;
const WString kStatName = u"\\ZelvarPlugin.dat";
// "Now" for the age of every record: 2024-12-31 23:00 local time.
const SYSTEMTIME kNow{2024, 12, 2, 31, 23, 0, 0, 0};

// The reference loader over the file's text, read whole.
void BaselineLoad(const std::string& path, DWORD maxHistoryDays, HourlyDrainTable& table) {
  std::ifstream file(path, std::ios::binary);
  if (!file) std::abort();
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ReferenceLoad(text, maxHistoryDays, table);
}

int64_t DaysFromCivil(int year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return int64_t{era} * 146097 + dayOfEra - 719468;
}

// The physical limit: the whole file read at once, every number scanned with from_chars, a record's
// age from its day number without calendar calls, and nothing checked that the generated file
// cannot break (no 32-bit check, no date validation, no cut record).
void FromCharsLoad(const std::string& path, DWORD maxHistoryDays, HourlyDrainTable& table) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) std::abort();
  std::string text;
  char buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, count);
  std::fclose(file);
  SYSTEMTIME now;
  GetLocalTime(&now);
  const int64_t nowSeconds = DaysFromCivil(now.wYear, now.wMonth, now.wDay) * 86400 +
                             int64_t{now.wHour} * 3600 + int64_t{now.wMinute} * 60 + now.wSecond;
  const char* at = text.data();
  const char* const end = at + text.size();
  if (text.compare(0, 11, "[version 1]") != 0) return;
  at = static_cast<const char*>(std::memchr(at, '\n', end - at)) + 1;
  while (at < end) {
    int year = 0;
    unsigned month = 0, day = 0, hour = 0;
    at = std::from_chars(at, end, year).ptr + 1;
    at = std::from_chars(at, end, month).ptr + 1;
    at = std::from_chars(at, end, day).ptr + 1;
    at = std::from_chars(at, end, hour).ptr + 1;  // past the colon
    const int64_t age =
        nowSeconds - (DaysFromCivil(year, month, day) * 86400 + int64_t{hour} * 3600);
    const bool kept = static_cast<DWORD>(age) / 86400 < maxHistoryDays;
    for (UINT itemHour = hour;; itemHour = (itemHour + 1) % 24) {
      unsigned drop = 0;
      at = std::from_chars(at, end, drop).ptr;
      if (kept) table.AddSample(itemHour, drop, 0, false);
      if (at >= end || *at++ == '\n') break;
    }
  }
  table.Recompute();
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
      const ULONGLONG start =
          (static_cast<ULONGLONG>(now.dwHighDateTime) << 32 | now.dwLowDateTime) -
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
  HourlyDrainTable limit;
  LoadStatFile(kStatName, kWholePast, loaded, true);
  BaselineLoad(file.path(), kWholePast, baseline);
  FromCharsLoad(file.path(), kWholePast, limit);
  if (Averages(loaded) != Averages(baseline) || Averages(loaded) != Averages(limit) ||
      Averages(loaded) == "No stats") {
    std::fprintf(stderr, "the loaders disagree:\n%s\n%s\n%s\n", Averages(loaded).c_str(),
                 Averages(baseline).c_str(), Averages(limit).c_str());
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
BENCHMARK(BM_LoadStatFile)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

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
BENCHMARK(BM_BaselineLoader)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

void BM_FromCharsLimit(benchmark::State& state) {
  const StatFileOfRecords file(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    HourlyDrainTable table;
    FromCharsLoad(file.path(), kWholePast, table);
    benchmark::DoNotOptimize(table.EstimateHours(0, 50));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_FromCharsLimit)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

}  // namespace
