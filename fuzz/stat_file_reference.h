// The stat file's reference loader, its rules written the plainest way: a line at a time with fgets
// into the 2000-character buffer, every number with sscanf, each number held to 32 bits, a final
// line without its line feed counted up to its last separator. The differential fuzz target checks
// the loader against it on any input; the benchmark measures the loader against it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "stats/hourly_drain_table.h"
#include "stats/stat_file.h"

// Files the text's records into the table as the loader must, and recomputes it; answers whether
// the version line was right (or the text empty).
inline bool ReferenceLoad(std::string_view text, DWORD maxHistoryDays, HourlyDrainTable& table) {
  const auto inInt32 = [](long long value) { return value >= INT32_MIN && value <= INT32_MAX; };
  const char* data = text.data();
  size_t size = text.size();
  // The format's rule for a crash: a final line without its line feed was cut short, so only what
  // precedes its last separator counts (a cut version line leaves an empty file).
  if (size > 0 && data[size - 1] != '\n') {
    while (size > 0 && data[size - 1] != ',' && data[size - 1] != ':' && data[size - 1] != '\n')
      --size;
  }
  if (size == 0) return true;
  FILE* file = fmemopen(const_cast<char*>(data), size, "r");
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
      if (std::sscanf(item, "%lld", &drop) == 1 && inInt32(drop)) {
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
