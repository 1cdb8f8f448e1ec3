// Loads arbitrary bytes as a stat file and checks the loader against a reference loader written
// the plainest way (a line at a time with fgets into the 2000-character buffer, every number with
// sscanf, each number held to 32 bits): both must judge the version line alike and file exactly
// the same drops under the same hours, under two history windows. The loader reads the text from
// memory, as it reads a file's text once it has read it (the tests load real files).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/time/simulated_clock.h"
#include "stats/stat_file_reader.h"

namespace {

// Local time now: 2024-03-31 13:00 (UTC 12:00, one hour ahead).
const SYSTEMTIME kUtcNow{2024, 3, 0, 31, 12, 0, 0, 0};
constexpr int kLocalOffsetMinutes = 60;

bool InInt32(long long value) { return value >= INT32_MIN && value <= INT32_MAX; }

// The reference: answers whether the version line was right (or the file empty).
bool ReferenceLoad(const uint8_t* data, size_t size, DWORD maxHistoryDays,
                   HourlyDrainTable& table) {
  // The format's rule for a crash: a final line without its line feed was cut short, so only what
  // precedes its last separator counts (a cut version line leaves an empty file).
  if (size > 0 && data[size - 1] != '\n') {
    while (size > 0 && data[size - 1] != ',' && data[size - 1] != ':' && data[size - 1] != '\n')
      --size;
  }
  if (size == 0) return true;
  FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "r");
  if (file == nullptr) std::abort();
  SYSTEMTIME now;
  GetLocalTime(&now);
  char line[2000];
  bool first = true;
  bool versionRight = true;
  while (std::fgets(line, sizeof line, file) != nullptr) {
    if (first) {
      first = false;
      versionRight = std::strncmp(line, "[version 1]", 11) == 0;
      if (!versionRight) break;
      continue;
    }
    long long year, month, day, hour;
    if (std::sscanf(line, "%lld.%lld.%lld.%lld", &year, &month, &day, &hour) != 4) continue;
    if (year < 0 || year > 0xFFFF || month < 0 || month > 0xFFFF || day < 0 || day > 0xFFFF ||
        hour < 0 || hour > 0xFFFF) {
      continue;
    }
    const SYSTEMTIME head{static_cast<WORD>(year),
                          static_cast<WORD>(month),
                          0,
                          static_cast<WORD>(day),
                          static_cast<WORD>(hour),
                          0,
                          0,
                          0};
    FILETIME valid;
    if (!SystemTimeToFileTime(&head, &valid)) continue;
    if (static_cast<DWORD>(SecondsBetween(head, now)) / 86400 >= maxHistoryDays) continue;
    const char* item = std::strchr(line, ':');
    if (item == nullptr) continue;
    ++item;
    for (UINT itemHour = static_cast<UINT>(hour); *item != '\0'; itemHour = (itemHour + 1) % 24) {
      long long drop;
      if (std::sscanf(item, "%lld", &drop) == 1 && InInt32(drop)) {
        if (drop >= 100) break;
        table.AddSample(itemHour, static_cast<UINT>(drop), 0, false);
      }
      item = std::strchr(item, ',');
      if (item == nullptr) break;
      ++item;
    }
  }
  std::fclose(file);
  table.Recompute();
  return versionRight;
}

void CheckSameTables(const HourlyDrainTable& loaded, const HourlyDrainTable& reference) {
  for (UINT hour = 0; hour < HourlyDrainTable::kHoursPerDay; ++hour) {
    if (loaded.bucket(hour).dropSum != reference.bucket(hour).dropSum ||
        loaded.bucket(hour).sampleCount != reference.bucket(hour).sampleCount) {
      std::fprintf(stderr, "hour %u: loaded %u/%d, reference %u/%d\n", hour,
                   loaded.bucket(hour).dropSum, loaded.bucket(hour).sampleCount,
                   reference.bucket(hour).dropSum, reference.bucket(hour).sampleCount);
      std::abort();
    }
  }
  for (int hour = 0; hour < 24; ++hour) {
    for (int percent : {0, 1, 50, 100, 255}) {
      const double hours = loaded.EstimateHours(hour, percent);
      if (!(hours == -1.0 || (hours >= 0 && std::isfinite(hours)))) std::abort();
    }
  }
  WString text;
  loaded.FormatCumulative(text, 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SimulatedClock clock(kUtcNow, kLocalOffsetMinutes);
  ScopedClock clockGuard(clock);
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  for (const DWORD maxHistoryDays : {30u, 0xFFFFFFFFu}) {
    HourlyDrainTable loaded;
    const bool versionRight = FileStatText(text, now, maxHistoryDays, loaded, true);
    loaded.Recompute();
    HourlyDrainTable reference;
    if (ReferenceLoad(data, size, maxHistoryDays, reference) != versionRight) std::abort();
    CheckSameTables(loaded, reference);
  }
  return 0;
}
